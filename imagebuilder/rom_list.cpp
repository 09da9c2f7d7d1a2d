// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom_list.h"

#include "archive_path.h"
#include "file_io.h"
#include "path_text.h"
#include "rom_file.h"
#include "title_rules.h"

#include <algorithm>
#include <limits>
#include <new>

std::unique_ptr<RomList> romListCreate()
{
    try {
        return std::make_unique<RomList>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

ListEdit romListFree(std::unique_ptr<RomList>& list)
{
    if (!list) return ListEdit::NoEntry;
    list.reset();
    return ListEdit::Done;
}

namespace {

std::int32_t roundedSize(std::int64_t size)
{
    constexpr std::int32_t largest = std::numeric_limits<std::int32_t>::max() & ~3;
    if (size > largest) return largest;
    return static_cast<std::int32_t>((size + 3) & ~std::int64_t{3});
}

}  // namespace

std::string romIdentityOf(const std::string& path)
{
    std::string archive;
    std::string member;
    const bool inArchive = splitArchiveEntry(path, archive, member);
    const FileFacts facts = fileFactsOf(inArchive ? archive : path);
    if (!facts.exists) return "path:" + path;
    std::string key = std::to_string(facts.device) + ":" + std::to_string(facts.inode);
    return inArchive ? "member:" + key + ":" + member : "file:" + key;
}

RomEntry* romListFind(const RomList* list, const std::string& path)
{
    if (list == nullptr) return nullptr;
    const auto exact = list->byPath.find(path);
    if (exact != list->byPath.end()) return exact->second;
    const auto same = list->byIdentity.find(romIdentityOf(path));
    return same == list->byIdentity.end() ? nullptr : same->second;
}

const RomEntry* romListCaseTwin(const RomList* list, const RomEntry* entry)
{
    if (list == nullptr || entry == nullptr) return nullptr;
    const auto it = list->byFoldedPath.find(foldNoCase(entry->path));
    return it != list->byFoldedPath.end() && it->second != entry ? it->second : nullptr;
}

RomEntry* romListAdd(RomList* list, const std::string& path, Report& report)
{
    if (list == nullptr || romListFind(list, path) != nullptr) return nullptr;
    return romListAddSized(list, path, fileSize(path, report));
}

RomEntry* romListAddSized(RomList* list, const std::string& path, std::int64_t fileBytes)
{
    if (list == nullptr || list->byPath.count(path) != 0) return nullptr;
    RomEntry* entry = nullptr;
    try {
        auto owned = std::make_unique<RomEntry>();
        owned->path = path;
        owned->identity = romIdentityOf(path);
        entry = owned.get();
        if (list->byIdentity.count(entry->identity) != 0) return nullptr;
        list->entries.push_back(std::move(owned));
        try {
            list->byIdentity.emplace(entry->identity, entry);
            list->byPath.emplace(path, entry);
            list->byFoldedPath.emplace(foldNoCase(path), entry);
        } catch (const std::bad_alloc&) {
            // Nothing of the entry stays: the list is as it was.
            list->byIdentity.erase(entry->identity);
            list->byPath.erase(path);
            list->entries.pop_back();
            throw;
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    entry->size = roundedSize(fileBytes);
    entry->sourceBytes = fileBytes;
    entry->prev = list->tail;
    if (list->tail != nullptr) {
        list->tail->next = entry;
    } else {
        list->head = entry;
    }
    list->tail = entry;
    list->count += 1;
    list->totalSize += entry->size;
    return entry;
}

RomEntry* romListAddCopy(RomList* list, const RomEntry& from)
{
    RomEntry* added = romListAddSized(list, from.path, from.sourceBytes);
    if (added == nullptr) return nullptr;
    // The list's own fields stay the list's: its links and the identity it
    // keys the entry by.
    RomEntry* const prev = added->prev;
    RomEntry* const next = added->next;
    const std::string identity = added->identity;
    const auto sized = added->size;
    *added = from;
    added->prev = prev;
    added->next = next;
    added->identity = identity;
    added->selected = 0;
    // The entry's own size (none while it can't be read) counts.
    list->totalSize += added->size - sized;
    return added;
}

void romListResize(RomList* list, RomEntry* entry, std::int64_t fileBytes)
{
    if (list == nullptr || entry == nullptr) return;
    list->totalSize -= entry->size;
    entry->size = roundedSize(fileBytes);
    entry->sourceBytes = fileBytes;
    list->totalSize += entry->size;
}

ListEdit romListRemove(RomList* list, const std::string& path)
{
    RomEntry* entry = romListFind(list, path);
    if (entry == nullptr) return ListEdit::NoEntry;
    (entry->prev != nullptr ? entry->prev->next : list->head) = entry->next;
    (entry->next != nullptr ? entry->next->prev : list->tail) = entry->prev;
    list->totalSize -= entry->size;
    list->count -= 1;
    list->byIdentity.erase(entry->identity);
    list->byPath.erase(entry->path);
    const auto folded = list->byFoldedPath.find(foldNoCase(entry->path));
    if (folded != list->byFoldedPath.end() && folded->second == entry) list->byFoldedPath.erase(folded);
    auto& owned = list->entries;
    owned.erase(std::find_if(owned.begin(), owned.end(),
                             [entry](const std::unique_ptr<RomEntry>& e) { return e.get() == entry; }));
    return ListEdit::Done;
}

RomEntry* romListAt(const RomList* list, int index)
{
    if (list == nullptr || index < 0 || index >= list->count) return nullptr;
    RomEntry* e = list->head;
    for (int i = 0; i < index && e != nullptr; ++i) e = e->next;
    return e;
}

namespace {

// Swaps two neighbours a and b, where b == a->next.
void swapWithNext(RomList* list, RomEntry* a)
{
    RomEntry* b = a->next;
    RomEntry* before = a->prev;
    RomEntry* after = b->next;
    (before != nullptr ? before->next : list->head) = b;
    (after != nullptr ? after->prev : list->tail) = a;
    b->prev = before;
    b->next = a;
    a->prev = b;
    a->next = after;
}

}  // namespace

ListEdit romListMove(RomList* list, int index, int direction)
{
    RomEntry* entry = romListAt(list, index);
    if (entry == nullptr) return ListEdit::NoEntry;
    if (direction > 0) {
        if (entry->prev != nullptr) swapWithNext(list, entry->prev);
    } else if (entry->next != nullptr) {
        swapWithNext(list, entry);
    }
    return ListEdit::Done;
}

ListEdit romListMoveMarked(RomList* list, int direction)
{
    if (list == nullptr) return ListEdit::NoEntry;
    if (direction > 0) {
        for (RomEntry* e = list->head; e != nullptr;) {
            RomEntry* next = e->next;  // entries behind e have not moved yet
            if (e->selected != 0 && e->prev != nullptr) swapWithNext(list, e->prev);
            e = next;
        }
    } else {
        for (RomEntry* e = list->tail; e != nullptr;) {
            RomEntry* prev = e->prev;
            if (e->selected != 0 && e->next != nullptr) swapWithNext(list, e);
            e = prev;
        }
    }
    return ListEdit::Done;
}

namespace {

const std::string& titleOrEmpty(const RomEntry* e)
{
    static const std::string empty;
    return e->title ? *e->title : empty;
}

// Negative, zero or positive as a orders before, with or after b by key.
int compareByKey(const RomEntry* a, const RomEntry* b, int key)
{
    auto sign = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (key) {
    case SortByPath: return a->path.compare(b->path);
    case SortByTitle: return titleOrEmpty(a).compare(titleOrEmpty(b));
    case SortBySize: return sign(a->size, b->size);
    case SortByMapper: return sign(a->mapper, b->mapper);
    default: return sign(a->battery, b->battery);
    }
}

}  // namespace

ListSort romListSort(RomList* list, int key, int ascending)
{
    if (list == nullptr || key < SortByPath || key > SortByBattery) return ListSort::BadArgument;
    if (list->count == 0) return ListSort::Sorted;
    std::vector<RomEntry*> order;
    try {
        order.reserve(static_cast<std::size_t>(list->count));
    } catch (const std::bad_alloc&) {
        return ListSort::NoMemory;
    }
    for (RomEntry* e = list->head; e != nullptr; e = e->next) order.push_back(e);
    std::sort(order.begin(), order.end(), [key, ascending](const RomEntry* a, const RomEntry* b) {
        const int c = compareByKey(a, b, key);
        return ascending != 0 ? c < 0 : c > 0;
    });
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i]->prev = i > 0 ? order[i - 1] : nullptr;
        order[i]->next = i + 1 < order.size() ? order[i + 1] : nullptr;
    }
    list->head = order.front();
    list->tail = order.back();
    return ListSort::Sorted;
}

int romEntrySetTitle(RomEntry* entry, std::string_view title, int mapper, int battery)
{
    if (entry == nullptr) return 0;
    entry->title.reset();
    entry->mapper = mapper;
    entry->battery = battery;
    try {
        entry->title = std::string(title);
        cutTitle(&*entry->title, 21);
        // A title of 21 characters always fits the PocketNES title's 29.
        if (!entry->pocketTitleOwn) entry->pocketTitle = entry->title;
    } catch (const std::bad_alloc&) {
        entry->title.reset();
    }
    return 0;
}

int romEntrySetPocket(RomEntry* entry, std::string_view pocketTitle, int flags, int follow,
                      int slot)
{
    if (entry == nullptr) return 0;
    entry->pocketTitle.reset();
    entry->pocketFlags = flags;
    entry->pocketFollow = follow;
    entry->pocketSlot = slot;
    try {
        entry->pocketTitle = std::string(pocketTitle);
        cutTitle(&*entry->pocketTitle, 29);
    } catch (const std::bad_alloc&) {
        entry->pocketTitle.reset();
    }
    return 0;
}
