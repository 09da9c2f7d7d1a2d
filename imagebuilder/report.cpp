#include "report.h"

#include "file_io.h"

#include <cstdio>

void Report::fileProblem(const std::string& path, int errorNumber)
{
    problem(path, fileErrorText(errorNumber));
}

void PrintedReport::problem(const std::string& path, const std::string& reason)
{
    std::fprintf(stderr, "%s: %s\n", path.c_str(), reason.c_str());
}

void PrintedReport::recordStarted(const std::string& source, const std::string& name, const std::string& extension)
{
    std::printf("%s %s %s\n", source.c_str(), name.c_str(), extension.c_str());
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
