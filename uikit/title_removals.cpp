#include "title_removals.h"

#include "qt_text.h"
#include "title_rules.h"

#include <QStringList>

namespace {

// Calls keep with the CP932 bytes of each character of typed the cartridge
// can hold, and removed with each one it can't: those CP932 can't hold and,
// when the title goes through the title rules (filtered), the double-byte
// characters the rules refuse. Judged one character at a time: neither rule
// looks at neighbours.
template <typename Keep, typename Removed>
void sortCharacters(const QString& typed, bool filtered, Keep keep, Removed removed)
{
    for (const char32_t codePoint : typed.toUcs4()) {
        const QString character = QString::fromUcs4(&codePoint, 1);
        bool dropped = false;
        std::string bytes = toCp932(character, &dropped);
        if (!dropped && filtered) dropped = filterTitle(bytes) != 0;
        if (dropped || bytes.empty()) {
            removed(character);
        } else {
            keep(bytes);
        }
    }
}

}  // namespace

QString charactersNotOnCartridge(const QString& typed, bool filtered)
{
    QStringList removed;
    sortCharacters(
        typed, filtered, [](const std::string&) {},
        [&removed](const QString& character) {
            if (!removed.contains(character)) removed << character;
        });
    return removed.join(QLatin1Char(' '));
}

std::string titleBeforeItsCut(const QString& typed, bool filtered)
{
    std::string kept;
    sortCharacters(
        typed, filtered, [&kept](const std::string& bytes) { kept += bytes; }, [](const QString&) {});
    return kept;
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

QString titleCutText(const QString& kept, const QString& limit)
{
    return QStringLiteral("Title cut to %1: \"%2\"").arg(limit, kept);
}
