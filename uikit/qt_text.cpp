// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_text.h"

#include "text_encoding.h"

std::string toCp932(const QString& text, bool* dropped)
{
    return utf8ToCp932(text.toStdString(), dropped);
}

QString fromCp932(const std::string& bytes)
{
    return QString::fromStdString(cp932ToUtf8(bytes));
}

QString namesWithCount(const QStringList& names, int shown)
{
    if (names.size() <= shown) return names.join(QLatin1Char('\n'));
    return names.mid(0, shown).join(QLatin1Char('\n')) + QStringLiteral("\nand %1 more").arg(names.size() - shown);
}
