// SPDX-License-Identifier: GPL-3.0-or-later
#include "report.h"

#include "file_io.h"
#include "path_text.h"

#include <cstdio>

void Report::fileProblem(const std::string& path, int errorNumber)
{
    problem(path, fileErrorText(errorNumber));
}

PrintedReport::PrintedReport(std::string program, bool records) : program_(std::move(program)), records_(records) {}

void PrintedReport::problem(const std::string& path, const std::string& reason)
{
    ++problems_;
    // A file name may hold control characters; none reaches a terminal raw.
    std::fprintf(stderr, "%s: %s: %s\n", program_.c_str(), printableText(path).c_str(), printableText(reason).c_str());
}

void PrintedReport::recordStarted(const std::string& source, const std::string& name, const std::string& extension)
{
    if (!records_) return;
    std::printf("%s %s %s\n", printableText(source).c_str(), printableText(name).c_str(),
                printableText(extension).c_str());
}

bool PrintedReport::progress(std::int64_t, std::int64_t)
{
    return true;
}

void CollectedReport::problem(const std::string& path, const std::string& reason)
{
    problems.push_back(path + ": " + reason);
}

void CollectedReport::recordStarted(const std::string& source, const std::string& name,
                                    const std::string& extension)
{
    records.push_back(source + " " + name + " " + extension);
}

bool CollectedReport::progress(std::int64_t writtenBytes, std::int64_t totalBytes)
{
    written = writtenBytes;
    total = totalBytes;
    ++progressCalls;
    return true;
}

std::string CollectedReport::problemText() const
{
    std::string text;
    for (const std::string& line : problems) text += (text.empty() ? "" : "\n") + line;
    return text;
}
