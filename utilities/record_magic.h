// SPDX-License-Identifier: GPL-3.0-or-later
// The two record markers of a cartridge image. The save image uses the same
// two values as its slot states (used / empty), so both cores include this.
#pragma once

#include <cstdint>

constexpr std::uint32_t FILE_RECORD_MAGIC = 0x04174170;  // bytes 70 41 17 04
constexpr std::uint32_t END_RECORD_MAGIC = 0x41700417;   // bytes 17 04 70 41
