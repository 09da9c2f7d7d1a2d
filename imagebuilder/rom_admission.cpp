// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom_admission.h"

#include "archive_path.h"
#include "archive_reader.h"
#include "file_io.h"
#include "image_messages.h"
#include "ini_profile.h"
#include "path_text.h"
#include "report.h"
#include "rom_file.h"
#include "rom_list.h"
#include "text_encoding.h"
#include "title_cleaning.h"
#include "title_rules.h"

#include <cerrno>

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
        result.ownTitle = true;
    }
    if (result.slot > POCKET_SLOT_MAX) result.slot = POCKET_SLOT_MAX;
    return result;
}

std::string defaultRomTitle(std::string_view path, bool cleanTitles)
{
    std::string name = romFileStemOf(path);
    if (cleanTitles) name = cleanRomTitle(name);
    // Characters CP932 cannot hold are dropped here; the filter then drops
    // the double-byte characters a title may not carry.
    std::string title = utf8ToCp932(name);
    filterTitle(title);
    return title;
}

void applyRememberedValues(RomEntry* entry, const IniSnapshot& settings, bool cleanTitles)
{
    if (entry == nullptr) return;
    const std::string key = romFileNameOf(entry->path);
    // A stored title was filtered when it was typed; it is only cut here,
    // and never cleaned: the user may have typed it.
    std::string title;
    if (settings.value("TITLE", key)) {
        title = utf8ToCp932(settings.readString("TITLE", key, "", SETTINGS_VALUE_MAX));
    } else {
        title = defaultRomTitle(entry->path, cleanTitles);
    }
    entry->pocketTitleOwn = false;
    romEntrySetTitle(entry, title, entry->mapper, entry->battery);

    const std::string pocket = settings.readString("PocketNES", key, "0|0|0", SETTINGS_VALUE_MAX);
    const PocketValues values = parsePocketValue(pocket, entry->title.value_or(std::string()));
    romEntrySetPocket(entry, values.title, values.flags, values.follow, values.slot);
    entry->pocketTitleOwn = values.ownTitle;
}

namespace {

// What a probe of the entry's file found; its size is the list's to set.
void takeProbe(RomEntry* entry, const NesRomProbe& probe)
{
    entry->mapper = probe.mapper;
    entry->battery = probe.battery;
    entry->nes20 = probe.nes20 ? 1 : 0;
    entry->imageMapper = mapperInImage(entry->path, probe);
    entry->promisedBytes = probe.promisedBytes;
}

// Adds a probed ROM with its remembered title and PocketNES values.
RomEntry* addProbed(RomList* list, const std::string& path, const NesRomProbe& probe, const IniSnapshot& settings,
                    bool cleanTitles)
{
    // The size the probe saw: the file is opened once.
    RomEntry* entry = romListAddSized(list, path, probe.size);
    if (entry == nullptr) return nullptr;
    takeProbe(entry, probe);
    applyRememberedValues(entry, settings, cleanTitles);
    return entry;
}

void noteCaseTwin(const RomList* list, const RomEntry* entry, Admission& result)
{
    if (const RomEntry* twin = romListCaseTwin(list, entry)) result.caseTwins.emplace_back(entry->path, twin->path);
}

void admitArchive(RomList* list, const std::string& archive, const IniSnapshot& settings, bool cleanTitles,
                  Report& report, ArchiveMemberReader* archives, Admission& result)
{
    // A member's name must lead back to this archive; a folder name such as
    // "old.zip::keep" in the archive's path would make it lead elsewhere.
    std::string splitArchive;
    std::string splitMember;
    if (!splitArchiveEntry(joinArchiveEntry(archive, "x"), splitArchive, splitMember) || splitArchive != archive) {
        report.problem(archive, archiveNameProblemText());
        return;
    }
    // One listing of an archive serves every time the command names it.
    ArchiveMemberReader own;
    const ArchiveListing& listing = (archives != nullptr ? *archives : own).listingOf(archive);
    int roms = 0;
    int problems = 0;
    int skipped = 0;
    for (const ArchiveMember& member : listing.members) {
        const std::string name = joinArchiveEntry(archive, member.name);
        if (member.problem != ArchiveProblem::None) {
            report.problem(name, member.reason);
            ++problems;
            continue;
        }
        NesRomProbe probe;
        probe.size = member.size;
        if (probeNesHeader(member.head.data(), member.headSize, probe) != NesProbe::Nes) {
            ++skipped;
            continue;
        }
        ++roms;
        RomEntry* entry = addProbed(list, name, probe, settings, cleanTitles);
        if (entry == nullptr) continue;
        if (result.first == nullptr) result.first = entry;
        ++result.added;
        noteCaseTwin(list, entry, result);
    }
    if (listing.problem != ArchiveProblem::None) {
        report.problem(archive, listing.reason);
    } else if (roms == 0 && problems == 0) {
        report.problem(archive, archiveWithoutRomText());
        skipped = 0;
    }
    result.skipped += skipped;
    if (result.added > 0) result.code = AdmitCode::Added;
}

// A ROM file or one archive member.
Admission admitOne(RomList* list, const std::string& path, const IniSnapshot& settings, bool cleanTitles,
                   ArchiveMemberReader* archives)
{
    Admission result;
    // A ROM listed already is not read again: a list naming one file a
    // million times costs a million looks, not a million reads.
    if (romListFind(list, path) != nullptr) return result;
    NesRomProbe probe;
    if (probeNesRom(path, probe, archives) != NesProbe::Nes) {
        result.code = AdmitCode::NotNes;
        result.openError = probe.errorNumber;
        result.reason = probe.errorNumber != 0 ? probe.reason : std::string();
        result.notNesBytes = probe.size;
        return result;
    }
    RomEntry* entry = addProbed(list, path, probe, settings, cleanTitles);
    if (entry == nullptr) return result;
    result.code = AdmitCode::Added;
    result.first = entry;
    result.added = 1;
    noteCaseTwin(list, entry, result);
    return result;
}

}  // namespace

RomEntry* admitUnreadable(RomList* list, const std::string& path, const IniSnapshot& settings, bool cleanTitles,
                          const std::string& reason)
{
    RomEntry* entry = addProbed(list, path, NesRomProbe{}, settings, cleanTitles);
    if (entry != nullptr) entry->unreadable = reason.empty() ? std::string("can't be read") : reason;
    return entry;
}

bool readmitRomEntry(RomList* list, RomEntry* entry, ArchiveMemberReader* archives)
{
    if (entry == nullptr) return false;
    NesRomProbe probe;
    if (probeNesRom(entry->path, probe, archives) != NesProbe::Nes) {
        entry->unreadable = keptRomProblemText(probe.errorNumber, probe.reason);
        return false;
    }
    romListResize(list, entry, probe.size);
    takeProbe(entry, probe);
    entry->unreadable.clear();
    return true;
}

Admission admitRomPath(RomList* list, const std::string& path, const IniSnapshot& settings, bool cleanTitles,
                       Report& report, ArchiveMemberReader* archives)
{
    // A member that is an archive itself ("Sets.zip::More.zip") is read as a
    // member: archives inside archives are not opened.
    if (isArchiveEntry(path) || !isArchivePath(path)) return admitOne(list, path, settings, cleanTitles, archives);
    Admission result;
    admitArchive(list, path, settings, cleanTitles, report, archives, result);
    return result;
}

int rederiveTitles(RomList* list, const IniSnapshot& settings, bool cleanTitles)
{
    int changed = 0;
    for (RomEntry* e = list != nullptr ? list->head : nullptr; e != nullptr; e = e->next) {
        if (settings.value("TITLE", romFileNameOf(e->path))) continue;
        // Derived titles are filtered, and so cut as an entry keeps them.
        const std::string before = defaultRomTitle(e->path, !cleanTitles);
        const std::string after = defaultRomTitle(e->path, cleanTitles);
        if (!e->title || *e->title != before || before == after) continue;
        romEntrySetTitle(e, after, e->mapper, e->battery);
        ++changed;
    }
    return changed;
}
