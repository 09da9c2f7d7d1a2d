// SPDX-License-Identifier: GPL-3.0-or-later
// What romweld-cli shows while it builds an image: the lines every program
// prints (a line per record on the standard output, "path: reason" on the
// error output), and, only when the error output is a terminal, a one-line
// progress bar there. The bar is taken away before any other line is
// printed and drawn again after it, so it never breaks a line.
#pragma once

#include "report.h"

class BuildReport : public PrintedReport {
public:
    // drawBar: whether the error output is a terminal the bar may go to;
    // records: whether each record gets its line.
    BuildReport(bool drawBar, bool records);
    ~BuildReport() override;
    BuildReport(const BuildReport&) = delete;
    BuildReport& operator=(const BuildReport&) = delete;

    void problem(const std::string& path, const std::string& reason) override;
    void recordStarted(const std::string& source, const std::string& name, const std::string& extension) override;
    bool progress(std::int64_t written, std::int64_t total) override;

    // Takes the bar away for good (before the closing line).
    void finish();

private:
    void erase();

    bool drawBar_;
    bool shown_ = false;
    int shownPercent_ = -1;
};

// The bar for written of total bytes, without its leading "\r":
// "[#######.......]  45%". The percentage is rounded down, so 100% means done.
std::string progressBarText(std::int64_t written, std::int64_t total);
