// SPDX-License-Identifier: GPL-3.0-or-later
#include "create_image_report.h"

#include "qt_text.h"

CreateImageReport::CreateImageReport(Prompts& prompts, const QString& text) : prompts_(prompts), text_(text) {}

void CreateImageReport::problem(const std::string& path, const std::string& reason)
{
    problems_ << fromPlatform(path + ": " + reason);
}

void CreateImageReport::recordStarted(const std::string&, const std::string&, const std::string&) {}

bool CreateImageReport::progress(std::int64_t written, std::int64_t total)
{
    // Made when the writing starts, so a build that fails before it shows none.
    if (!display_) display_ = prompts_.startProgress(text_);
    return display_->update(written, total);
}

QString CreateImageReport::reasons(const QString& fallback) const
{
    return problems_.isEmpty() ? fallback : problems_.join(QLatin1Char('\n'));
}

void CreateImageReport::finish()
{
    display_.reset();
}
