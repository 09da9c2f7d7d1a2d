// SPDX-License-Identifier: GPL-3.0-or-later
#include "build_report.h"

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int BAR_CELLS = 40;

int percentOf(std::int64_t written, std::int64_t total)
{
    if (total <= 0 || written >= total) return 100;
    if (written <= 0) return 0;
    return static_cast<int>(written * 100 / total);
}

}  // namespace

std::string progressBarText(std::int64_t written, std::int64_t total)
{
    const int percent = percentOf(written, total);
    const int filled = percent * BAR_CELLS / 100;
    std::string text = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(BAR_CELLS - filled), '.') + "] ";
    const std::string number = std::to_string(percent);
    return text + std::string(3 - number.size(), ' ') + number + "%";
}

BuildReport::BuildReport(bool drawBar, bool records) : PrintedReport("romweld-cli", records), drawBar_(drawBar) {}

BuildReport::~BuildReport()
{
    finish();
}

void BuildReport::finish()
{
    erase();
    drawBar_ = false;
}

void BuildReport::erase()
{
    if (!shown_) return;
    // Back to the start of the line, and the line cleared.
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    shown_ = false;
}

void BuildReport::problem(const std::string& path, const std::string& reason)
{
    erase();
    PrintedReport::problem(path, reason);
}

void BuildReport::recordStarted(const std::string& source, const std::string& name, const std::string& extension)
{
    // The line may go to the same terminal as the bar.
    if (shown_ && ::isatty(STDOUT_FILENO) != 0) erase();
    PrintedReport::recordStarted(source, name, extension);
}

bool BuildReport::progress(std::int64_t written, std::int64_t total)
{
    if (!drawBar_) return true;
    const int percent = percentOf(written, total);
    if (shown_ && percent == shownPercent_) return true;
    // The standard output's lines reach a shared terminal first.
    std::fflush(stdout);
    std::fprintf(stderr, "\r%s", progressBarText(written, total).c_str());
    std::fflush(stderr);
    shown_ = true;
    shownPercent_ = percent;
    return true;
}
