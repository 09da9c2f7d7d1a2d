// SPDX-License-Identifier: GPL-3.0-or-later
#include "title_removals.h"

#include "qt_text.h"
#include "title_rules.h"

std::string titleBeforeItsCut(const QString& typed, bool filtered)
{
    return titleBeforeItsCut(toPlatform(typed), filtered);
}

QString invalidTitleDetail(const QString& typed, bool filtered)
{
    return fromPlatform(invalidTitleDetailText(toPlatform(typed), filtered));
}

QString titleCutText(const QString& kept, const QString& limit)
{
    return QStringLiteral("Title cut to %1: \"%2\"").arg(limit, kept);
}
