#include "rom_admission.h"

#include "ini_profile.h"
#include "path_text.h"
#include "rom_file.h"
#include "rom_list.h"
#include "text_encoding.h"
#include "title_rules.h"

namespace {

// Settings values are read to at most this many bytes, like every path-sized
// value of the settings file.
constexpr std::size_t SETTINGS_VALUE_MAX = 259;

// PocketNES knows save slots 0 to 8; a larger stored number means the last.
constexpr int POCKET_SLOT_MAX = 8;

}  // namespace

PocketValues parsePocketValue(std::string_view value, std::string_view entryTitle)
{
    PocketValues result;
    result.title = std::string(entryTitle);

    const std::size_t first = value.find('|');
    if (first == std::string_view::npos) return result;
    result.flags = leadingInt(value.substr(0, first));

    const std::string_view rest = value.substr(first + 1);
    const std::size_t second = rest.find('|');
    if (second == std::string_view::npos) {
        result.follow = leadingInt(rest);
        return result;
    }
    result.follow = leadingInt(rest.substr(0, second));

    const std::string_view tail = rest.substr(second + 1);
    const std::size_t third = tail.find('|');
    if (third == std::string_view::npos) {
        result.slot = leadingInt(tail);
    } else {
        result.slot = leadingInt(tail.substr(0, third));
        result.title = utf8ToCp932(tail.substr(third + 1));
    }
    if (result.slot > POCKET_SLOT_MAX) result.slot = POCKET_SLOT_MAX;
    return result;
}

std::string defaultRomTitle(std::string_view path)
{
    std::string_view name = path.substr(fileNamePart(path));
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) name = name.substr(0, dot);
    // Characters CP932 cannot hold are dropped here; the filter then drops
    // the double-byte characters a title may not carry.
    std::string title = utf8ToCp932(name);
    filterTitle(title);
    return title;
}

int admitRomFile(RomList* list, const std::string& path, const IniSnapshot& settings, RomEntry** added,
                 int* openError)
{
    if (added != nullptr) *added = nullptr;
    if (openError != nullptr) *openError = 0;
    NesRomProbe probe;
    if (probeNesRom(path, probe) != 0) {
        if (openError != nullptr) *openError = probe.errorNumber;
        return ADMIT_NOT_NES;
    }

    // The size the probe saw: the file is opened once.
    RomEntry* entry = romListAddSized(list, path, probe.size);
    if (entry == nullptr) return ADMIT_REFUSED;

    const std::string key = fileNameOf(path);
    // A stored title was filtered when it was typed; it is only cut here.
    std::string title;
    if (settings.value("TITLE", key)) {
        title = utf8ToCp932(settings.readString("TITLE", key, "", SETTINGS_VALUE_MAX));
    } else {
        title = defaultRomTitle(path);
    }
    romEntrySetTitle(entry, title, probe.mapper, probe.battery);
    entry->nes20 = probe.nes20 ? 1 : 0;

    const std::string pocket = settings.readString("PocketNES", key, "0|0|0", SETTINGS_VALUE_MAX);
    const PocketValues values = parsePocketValue(pocket, entry->title.value_or(std::string()));
    romEntrySetPocket(entry, values.title, values.flags, values.follow, values.slot);

    if (added != nullptr) *added = entry;
    return ADMIT_ADDED;
}
