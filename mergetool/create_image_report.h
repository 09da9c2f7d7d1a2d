// SPDX-License-Identifier: GPL-3.0-or-later
// What the window hears from the image writer while "Create Image" runs: the
// reasons of a failure, kept for the message, and how far the image is, on a
// progress display with a Cancel button. Nothing goes to the process's
// standard streams.
#pragma once

#include "prompts.h"
#include "report.h"

#include <QString>
#include <QStringList>
#include <memory>

class CreateImageReport : public Report {
public:
    // The progress display comes from prompts, with text.
    CreateImageReport(Prompts& prompts, const QString& text);

    void problem(const std::string& path, const std::string& reason) override;
    void recordStarted(const std::string& source, const std::string& name, const std::string& extension) override;
    bool progress(std::int64_t written, std::int64_t total) override;

    // The reasons heard, as "path: reason" lines; fallback when there are none.
    QString reasons(const QString& fallback) const;
    // The progress display goes away.
    void finish();

private:
    Prompts& prompts_;
    QString text_;
    std::unique_ptr<ProgressDisplay> display_;
    QStringList problems_;
};
