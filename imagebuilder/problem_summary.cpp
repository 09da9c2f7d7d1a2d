// SPDX-License-Identifier: GPL-3.0-or-later
#include "problem_summary.h"

void ProblemSummary::problem(const std::string& path, const std::string& reason)
{
    if (count_ < PROBLEMS_SHOWN) shown_.push_back(path + ": " + reason);
    ++count_;
}

std::vector<std::string> ProblemSummary::lines() const
{
    std::vector<std::string> all = shown_;
    const int more = count_ - static_cast<int>(shown_.size());
    if (more > 0) all.push_back("... and " + std::to_string(more) + (more == 1 ? " more problem" : " more problems"));
    return all;
}

std::string ProblemSummary::text() const
{
    std::string joined;
    for (const std::string& line : lines()) joined += (joined.empty() ? "" : "\n") + line;
    return joined;
}
