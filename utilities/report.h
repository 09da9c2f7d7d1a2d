// SPDX-License-Identifier: GPL-3.0-or-later
// How the image builder hands what it meets on its way to whoever called it:
// a file it could not use and why, each record of an image as it begins, and
// how much of an image is written. The cores never print; each program
// decides how to show these (lines on a terminal, a message and a progress
// dialog in a window, a list in a test).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Report {
public:
    virtual ~Report() = default;

    // path could not be used (or not to its end); reason says why, in words.
    virtual void problem(const std::string& path, const std::string& reason) = 0;
    // The same for a reason given as an error number (fileErrorText tells it).
    void fileProblem(const std::string& path, int errorNumber);

    // A record of an image begins: the file its data come from, the name
    // and the extension it is listed under, all UTF-8.
    virtual void recordStarted(const std::string& source, const std::string& name,
                               const std::string& extension) = 0;

    // written of total bytes of an image are written. False asks the work to
    // stop: it then ends as a failure and leaves nothing behind.
    virtual bool progress(std::int64_t written, std::int64_t total) = 0;
};

// What the programs print: each problem as "program: path: reason" on the
// error output, each record as "source name extension" on the standard
// output (unless records is false), with control characters written as \xHH
// (printableText).
class PrintedReport : public Report {
public:
    explicit PrintedReport(std::string program, bool records = true);
    void problem(const std::string& path, const std::string& reason) override;
    void recordStarted(const std::string& source, const std::string& name, const std::string& extension) override;
    bool progress(std::int64_t written, std::int64_t total) override;
    // How many problems were printed.
    int problems() const { return problems_; }

private:
    std::string program_;
    bool records_;
    int problems_ = 0;
};

// Keeps everything for the caller to look at: problems as "path: reason"
// lines, records as "source name extension" lines, the last progress.
class CollectedReport : public Report {
public:
    std::vector<std::string> problems;
    std::vector<std::string> records;
    std::int64_t written = 0;
    std::int64_t total = 0;
    int progressCalls = 0;

    void problem(const std::string& path, const std::string& reason) override;
    void recordStarted(const std::string& source, const std::string& name, const std::string& extension) override;
    bool progress(std::int64_t written, std::int64_t total) override;

    // The problems, one per line, without a last line end.
    std::string problemText() const;
};
