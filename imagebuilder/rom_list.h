// SPDX-License-Identifier: GPL-3.0-or-later
// The ordered list of ROM files that the merge tool writes into an image.
// A doubly linked list of plain records: the windows address entries by
// index and move them one place at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class Report;

struct RomEntry {
    std::string path;                        // as given to romListAdd (UTF-8)
    std::int32_t size = 0;                   // file size rounded up to a multiple of 4
    std::int64_t sourceBytes = 0;            // file size in bytes, as it was when added
    std::optional<std::string> title;        // Shift-JIS (CP932), <= 21 chars, <= 32 bytes
    std::int32_t mapper = 0;
    std::int32_t battery = 0;
    std::int32_t nes20 = 0;                  // 1 when the header is in the NES 2.0 format
    // The mapper the image's copy of the header names (a damaged header is
    // repaired on the way); -1: the same as mapper.
    std::int32_t imageMapper = -1;
    std::int64_t promisedBytes = 0;          // what the iNES header promises (rom_dump_check.h); 0: nothing
    std::optional<std::string> pocketTitle;  // Shift-JIS (CP932), <= 29 chars, <= 32 bytes
    // The user gave the ROM a PocketNES title of its own (the settings keep
    // one); until then the PocketNES title follows the title.
    bool pocketTitleOwn = false;
    std::int32_t pocketFlags = 0;
    std::int32_t pocketFollow = 0;
    std::int32_t pocketSlot = 0;
    std::int32_t selected = 0;               // carries a window selection across a redraw
    // Why the ROM can't be read, for an entry kept although its file (or
    // archive member) could not be read when it was listed, such as a ROM on
    // a card not mounted yet; empty for every other entry. Such an entry is
    // left out of the image and its size until it can be read again.
    std::string unreadable;
    std::string identity;                    // romIdentityOf(path) when added
    RomEntry* prev = nullptr;
    RomEntry* next = nullptr;
};

// The mapper the image will name for the entry.
inline int romImageMapper(const RomEntry& entry)
{
    return entry.imageMapper >= 0 ? entry.imageMapper : entry.mapper;
}

struct RomList {
    std::int32_t count = 0;
    // Held in 64 bits so that many large files can't wrap the sum.
    std::int64_t totalSize = 0;
    RomEntry* head = nullptr;
    RomEntry* tail = nullptr;
    // Owns the entries; their order is given by the links alone.
    std::vector<std::unique_ptr<RomEntry>> entries;
    // The entries by the file they are (romIdentityOf) and by path, so that
    // a ROM already listed is found at once however long the list; and by
    // path with ASCII letters folded, to tell names that only letter case
    // tells apart. Kept by romListAdd and romListRemove.
    std::unordered_map<std::string, RomEntry*> byIdentity;
    std::unordered_map<std::string, RomEntry*> byPath;
    std::unordered_map<std::string, RomEntry*> byFoldedPath;
};

// What makes two paths one ROM: the file itself (its device and inode, so
// that links and a second spelling of one path are one ROM, and two files
// whose names differ only in letter case are two); for an archive member,
// its archive's identity and the member's name; for a path that names
// nothing, the path itself.
std::string romIdentityOf(const std::string& path);

enum RomSortKey {
    SortByPath = 0,
    SortByTitle = 1,
    SortBySize = 2,
    SortByMapper = 3,
    SortByBattery = 4,
};

// What freeing, removing or moving gives: done, or no such list or entry
// (-1, as list operations have always said it).
enum class ListEdit {
    Done = 0,
    NoEntry = -1,
};

// What sorting gives.
enum class ListSort {
    Sorted = 0,
    BadArgument = 1,  // a null list or a key outside 0-4
    NoMemory = 2,     // the working array can't be allocated: the list is unchanged
};

// A new empty list, or null when memory is short.
std::unique_ptr<RomList> romListCreate();

// Frees the list and every entry and leaves list null: Done, or NoEntry for
// a null list.
ListEdit romListFree(std::unique_ptr<RomList>& list);

// Appends an entry for path, sized from the file (0 when it can't be sized,
// and report hears why). Null when list is null, the path or the same file
// (romIdentityOf) is listed already, or memory is short.
RomEntry* romListAdd(RomList* list, const std::string& path, Report& report);
// The same for a file whose size in bytes is known already (a probe gave it).
RomEntry* romListAddSized(RomList* list, const std::string& path, std::int64_t fileBytes);
// Appends a copy of an entry of another list, with every value it holds
// (titles, options, probe findings), not selected. Null as for romListAdd.
RomEntry* romListAddCopy(RomList* list, const RomEntry& from);

// Gives an entry of the list the size of a file of fileBytes bytes.
void romListResize(RomList* list, RomEntry* entry, std::int64_t fileBytes);

// Done after removing the entry romListFind finds; NoEntry when none.
ListEdit romListRemove(RomList* list, const std::string& path);

// The entry listed under exactly this path, else the entry of the file the
// path names now (romIdentityOf), or null.
RomEntry* romListFind(const RomList* list, const std::string& path);

// A listed entry other than entry whose path differs from entry's only in
// ASCII letter case (two such files would be one on a FAT-formatted memory
// card), or null.
const RomEntry* romListCaseTwin(const RomList* list, const RomEntry* entry);

// The entry at the zero-based index, or null.
RomEntry* romListAt(const RomList* list, int index);

// Moves the entry at index one place: towards the head when direction > 0,
// towards the tail otherwise; it stays at that end. Done, or NoEntry
// without entry.
ListEdit romListMove(RomList* list, int index, int direction);

// Moves every entry whose selected mark is set one place, as romListMove of
// each of their indexes would in turn: towards the head (direction > 0) from
// the head's end, towards the tail otherwise from the tail's end. Done, or
// NoEntry for a null list.
ListEdit romListMoveMarked(RomList* list, int direction);

// Sorted after sorting (or for an empty list), else why not. Not stable.
ListSort romListSort(RomList* list, int key, int ascending);

// Sets title (cut to 21 characters), mapper and battery; a PocketNES title
// that is not the entry's own (pocketTitleOwn) becomes the same text. Always 0.
int romEntrySetTitle(RomEntry* entry, std::string_view title, int mapper, int battery);

// Sets the PocketNES title (cut to 29 characters), flags, follow and slot. Always 0.
int romEntrySetPocket(RomEntry* entry, std::string_view pocketTitle, int flags, int follow,
                      int slot);
