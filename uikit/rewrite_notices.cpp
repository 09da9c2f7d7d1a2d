// SPDX-License-Identifier: GPL-3.0-or-later
#include "rewrite_notices.h"

#include "file_io.h"
#include "prompts.h"
#include "qt_text.h"

#include <QCoreApplication>
#include <QSet>
#include <QTimer>

namespace {

Prompts* teller = nullptr;

void queueRewriteNotice(const std::string& file, const std::string& copy)
{
    static QSet<QString> told;
    const QString name = fromPlatform(file);
    if (teller == nullptr || told.contains(name)) return;
    told.insert(name);
    const QString text = fromPlatform(rewriteNoticeText(file, copy));
    QTimer::singleShot(0, QCoreApplication::instance(), [text] {
        if (teller != nullptr) teller->showMessage(text);
    });
}

}  // namespace

void tellRewritesThrough(Prompts& prompts)
{
    teller = &prompts;
    setRewriteNotice(queueRewriteNotice);
}
