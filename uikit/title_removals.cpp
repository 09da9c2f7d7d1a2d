#include "title_removals.h"

#include "qt_text.h"
#include "title_rules.h"

QString charactersNotOnCartridge(const QString& typed, bool filtered)
{
    return fromPlatform(charactersNotOnCartridge(toPlatform(typed), filtered));
}

QString invalidTitleDetail(const QString& typed, bool filtered)
{
    return fromPlatform(invalidTitleDetailText(toPlatform(typed), filtered));
}
