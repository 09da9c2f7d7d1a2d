#include "title_removals.h"

#include "qt_text.h"
#include "title_rules.h"

#include <QStringList>

QString charactersNotOnCartridge(const QString& typed, bool filtered)
{
    QStringList removed;
    for (const char32_t codePoint : typed.toUcs4()) {
        const QString character = QString::fromUcs4(&codePoint, 1);
        if (removed.contains(character)) continue;
        // Judged one character at a time: neither rule looks at neighbours.
        bool dropped = false;
        std::string bytes = toCp932(character, &dropped);
        if (!dropped && filtered) dropped = filterTitle(bytes) != 0;
        if (dropped || bytes.empty()) removed << character;
    }
    return removed.join(QLatin1Char(' '));
}

QString invalidTitleDetail(const QString& typed, bool filtered)
{
    const QString removed = charactersNotOnCartridge(typed, filtered);
    if (!removed.isEmpty()) {
        return QStringLiteral("Removed: %1 (the cartridge can't show these characters)").arg(removed);
    }
    if (typed.isEmpty()) return QStringLiteral("A title can't be empty.");
    return QString();
}
