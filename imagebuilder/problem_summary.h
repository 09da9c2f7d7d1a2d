// SPDX-License-Identifier: GPL-3.0-or-later
// Problems told as one summary, however many there are: the first few by
// name with their reasons, then how many more. A list of a hundred thousand
// missing ROMs makes a message of a few lines, and the memory of a few.
#pragma once

#include "report.h"

#include <string>
#include <vector>

// The problems a summary names; the rest are counted.
constexpr int PROBLEMS_SHOWN = 15;

class ProblemSummary : public Report {
public:
    // A problem with path: named while fewer than PROBLEMS_SHOWN are, else counted.
    void problem(const std::string& path, const std::string& reason) override;
    void recordStarted(const std::string&, const std::string&, const std::string&) override {}
    bool progress(std::int64_t, std::int64_t) override { return true; }

    int count() const { return count_; }
    bool empty() const { return count_ == 0; }
    // "path: reason" for each problem named, then "... and N more" when
    // there were more: the lines the command line prints, and the lines of
    // the window's message.
    std::vector<std::string> lines() const;
    // lines() joined by line breaks.
    std::string text() const;

private:
    std::vector<std::string> shown_;
    int count_ = 0;
};
