// SPDX-License-Identifier: GPL-3.0-or-later
// The process's peak memory, for tests that a reader or copier works in a
// bounded buffer however large its input. The sanitizers keep shadow memory
// of their own, so such a test is skipped under them (ROMWELD_TEST_SANITIZED).
#pragma once

#include <fstream>
#include <sys/resource.h>

#if defined(__SANITIZE_ADDRESS__)
#define ROMWELD_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ROMWELD_TEST_SANITIZED 1
#endif
#endif

inline long maxRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Starts the peak-memory count afresh, where the system allows it, so that
// memory other tests used and gave back cannot hide growth.
inline void resetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}
