// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom_list.h"

#include "path_text.h"
#include "report.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Every fact that must hold after any operation, failed ones included.
void expectConsistent(const RomList& list)
{
    std::vector<const RomEntry*> forward;
    std::int64_t total = 0;
    const RomEntry* prev = nullptr;
    for (const RomEntry* e = list.head; e != nullptr; e = e->next) {
        ASSERT_LE(forward.size(), list.entries.size()) << "the links form a loop";
        EXPECT_EQ(e->prev, prev);
        forward.push_back(e);
        total += e->size;
        prev = e;
    }
    EXPECT_EQ(list.tail, prev);
    std::vector<const RomEntry*> backward;
    for (const RomEntry* e = list.tail; e != nullptr && backward.size() <= forward.size(); e = e->prev) {
        backward.insert(backward.begin(), e);
    }
    EXPECT_EQ(backward, forward);
    EXPECT_EQ(list.count, static_cast<std::int32_t>(forward.size()));
    EXPECT_EQ(list.entries.size(), forward.size());
    EXPECT_EQ(list.totalSize, total);
    std::set<const RomEntry*> owned;
    for (const auto& e : list.entries) owned.insert(e.get());
    for (const RomEntry* e : forward) EXPECT_EQ(owned.count(e), 1u);
    // The indexes hold exactly the listed entries, each one file.
    EXPECT_EQ(list.byPath.size(), forward.size());
    EXPECT_EQ(list.byIdentity.size(), forward.size());
    for (const RomEntry* e : forward) EXPECT_EQ(romListFind(&list, e->path), e);
    for (const RomEntry* e : forward) EXPECT_EQ(list.byIdentity.at(e->identity), e);
    for (const RomEntry* e : forward) EXPECT_EQ(e->size % 4, 0);
}

std::vector<std::string> pathsOf(const RomList& list)
{
    std::vector<std::string> paths;
    for (const RomEntry* e = list.head; e != nullptr; e = e->next) paths.push_back(e->path);
    return paths;
}

// A list of the named files (each written with its given size) in that order.
class ListWithFiles : public testing::Test {
protected:
    // The new entry; the test ends here when it could not be added.
    RomEntry* add(const std::string& name, std::size_t bytes)
    {
        writeBytes(dir.file(name), patternBytes(bytes));
        RomEntry* e = romListAdd(list.get(), dir.file(name), report);
        expectConsistent(*list);
        if (e == nullptr) throw std::runtime_error("not added: " + name);
        return e;
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const std::string& p : pathsOf(*list)) out.push_back(p.substr(dir.path().size()));
        return out;
    }
    void expectNames(const std::vector<std::string>& expected) const
    {
        expectConsistent(*list);
        EXPECT_EQ(names(), expected);
    }

    TempDir dir;
    CollectedReport report;
    std::unique_ptr<RomList> list = romListCreate();
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(ListWithFiles, AddRoundsSizesAndKeepsTotals)
{
    ASSERT_NE(list, nullptr);
    expectNames({});
    EXPECT_EQ(list->totalSize, 0);

    const struct { const char* name; std::size_t bytes; std::int32_t rounded; } files[] = {
        {"big.nes", 40977, 40980}, {"exact.nes", 40980, 40980}, {"one.nes", 1, 4},
        {"two.nes", 2, 4},         {"three.nes", 3, 4},          {"empty.nes", 0, 0}};
    std::int64_t total = 0;
    for (const auto& f : files) {
        RomEntry* e = add(f.name, f.bytes);
        EXPECT_EQ(e->size, f.rounded) << f.name;
        EXPECT_EQ(e->path, dir.file(f.name));
        EXPECT_FALSE(e->title.has_value() || e->pocketTitle.has_value());
        EXPECT_EQ(list->totalSize, total += f.rounded) << f.name;
    }

    // A file that can't be found is listed with size 0; the caller hears why.
    EXPECT_TRUE(report.problems.empty());
    RomEntry* missing = romListAdd(list.get(), dir.file("gone.nes"), report);
    EXPECT_EQ(report.problems, std::vector<std::string>{dir.file("gone.nes") + ": No such file or directory"});
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->size, 0);
    EXPECT_EQ(list->count, 7);
    EXPECT_EQ(list->tail, missing);
    expectConsistent(*list);

    EXPECT_EQ(romListAdd(nullptr, dir.file("big.nes"), report), nullptr);
    // A size already known is taken as it is.
    RomEntry* sized = romListAddSized(list.get(), dir.file("elsewhere.nes"), 4097);
    ASSERT_NE(sized, nullptr);
    EXPECT_EQ(sized->size, 4100);
    EXPECT_EQ(romListAddSized(list.get(), dir.file("elsewhere.nes"), 4), nullptr);
    expectConsistent(*list);

    // A copy into another list carries every value, and its own size counts
    // there (none for an entry kept while it can't be read).
    sized->title = "Kept";
    sized->unreadable = "No such file or directory";
    sized->size = 0;
    auto other = romListCreate();
    const RomEntry* copy = romListAddCopy(other.get(), *sized);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->title, std::optional<std::string>("Kept"));
    EXPECT_EQ(copy->unreadable, "No such file or directory");
    EXPECT_EQ(other->totalSize, 0);
    expectConsistent(*other);
}

// One ROM is one file: a link or a second spelling of a listed file's path
// adds nothing, while two files whose names differ only in letter case are
// two ROMs, told as twins (one file on a FAT card); so are two such names of
// files that are not there, and two members of one archive.
TEST_F(ListWithFiles, TheSameRomIsTheSameFileNotTheSameNameWithCaseIgnored)
{
    RomList& l = *list;
    RomEntry* upper = add("Zelda.nes", 16);
    RomEntry* lower = add("zelda.nes", 16);
    ASSERT_NE(upper, nullptr);
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(romListCaseTwin(&l, upper), nullptr);
    EXPECT_EQ(romListCaseTwin(&l, lower), upper);
    ASSERT_EQ(::symlink(dir.file("Zelda.nes").c_str(), dir.file("link.nes").c_str()), 0);
    ASSERT_EQ(::link(dir.file("zelda.nes").c_str(), dir.file("hard.nes").c_str()), 0);
    for (const std::string& same : {dir.file("link.nes"), dir.file("hard.nes"), dir.path() + "./Zelda.nes"}) {
        EXPECT_EQ(romListAdd(&l, same, report), nullptr) << same;
        EXPECT_NE(romListFind(&l, same), nullptr) << same;
    }
    EXPECT_NE(romListAdd(&l, "/nowhere/Gone.nes", report), nullptr);
    EXPECT_NE(romListAdd(&l, "/nowhere/gone.nes", report), nullptr);
    EXPECT_EQ(romListAdd(&l, "/nowhere/gone.nes", report), nullptr);
    EXPECT_NE(romListAddSized(&l, dir.file("Zelda.nes") + "x.zip::a.nes", 4), nullptr);
    EXPECT_NE(romListAddSized(&l, dir.file("Zelda.nes") + "x.zip::A.nes", 4), nullptr);
    EXPECT_EQ(l.count, 6);
    expectConsistent(l);

    // Removing by path takes that entry, and the twin goes on being found.
    EXPECT_EQ(static_cast<int>(romListRemove(&l, dir.file("zelda.nes"))), 0);
    EXPECT_EQ(romListFind(&l, dir.file("Zelda.nes")), upper);
    EXPECT_EQ(romListFind(&l, dir.file("zelda.nes")), nullptr);
    EXPECT_EQ(romListFind(nullptr, dir.file("Zelda.nes")), nullptr);
    expectConsistent(l);
}

TEST_F(ListWithFiles, RemoveUnlinksAndSubtractsExactlyTheEntrySize)
{
    add("a.nes", 5);
    add("b.nes", 40977);
    add("c.nes", 9);
    add("d.nes", 16);
    ASSERT_EQ(list->totalSize, 8 + 40980 + 12 + 16);

    // From the middle, then refusals, then the head, the tail and the last one.
    const struct { std::string path; int result; Names left; std::int64_t total; } steps[] = {
        {dir.file("b.nes"), 0, {"a.nes", "c.nes", "d.nes"}, 8 + 12 + 16},
        {dir.file("b.nes"), -1, {"a.nes", "c.nes", "d.nes"}, 8 + 12 + 16},
        {"nothing", -1, {"a.nes", "c.nes", "d.nes"}, 8 + 12 + 16},
        {dir.file("a.nes"), 0, {"c.nes", "d.nes"}, 12 + 16},
        {dir.file("d.nes"), 0, {"c.nes"}, 12},
        {dir.file("c.nes"), 0, {}, 0},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.path);
        EXPECT_EQ(static_cast<int>(romListRemove(list.get(), step.path)), step.result);
        expectNames(step.left);
        EXPECT_EQ(list->totalSize, step.total);
    }
    EXPECT_EQ(static_cast<int>(romListRemove(nullptr, dir.file("a.nes"))), -1);

    // The list is usable again after it was emptied.
    add("e.nes", 4);
    expectNames({"e.nes"});
}

TEST_F(ListWithFiles, AtAndMoveByIndex)
{
    for (const char* n : {"a", "b", "c", "d"}) add(n, 4);
    EXPECT_EQ(romListAt(list.get(), 0), list->head);
    EXPECT_EQ(romListAt(list.get(), 3), list->tail);
    EXPECT_EQ(romListAt(list.get(), 2)->path, dir.file("c"));
    for (int outside : {-1, 4, 1000}) EXPECT_EQ(romListAt(list.get(), outside), nullptr) << outside;
    EXPECT_EQ(romListAt(nullptr, 0), nullptr);

    // Direction above 0 is towards the head, 0 or below towards the tail; at
    // an end the entry stays.
    const struct { int index; int direction; int result; Names order; } moves[] = {
        {2, 1, 0, {"a", "c", "b", "d"}},  {1, 0, 0, {"a", "b", "c", "d"}},   {0, -5, 0, {"b", "a", "c", "d"}},
        {3, 7, 0, {"b", "a", "d", "c"}},  {0, 1, 0, {"b", "a", "d", "c"}},   {3, -1, 0, {"b", "a", "d", "c"}},
        {4, 1, -1, {"b", "a", "d", "c"}}, {-1, -1, -1, {"b", "a", "d", "c"}},
    };
    for (const auto& m : moves) {
        SCOPED_TRACE(testing::Message() << "index " << m.index << " direction " << m.direction);
        EXPECT_EQ(static_cast<int>(romListMove(list.get(), m.index, m.direction)), m.result);
        expectNames(m.order);
    }
    EXPECT_EQ(static_cast<int>(romListMove(nullptr, 0, 1)), -1);

    // Two entries: a swap moves both ends.
    romListRemove(list.get(), dir.file("a"));
    romListRemove(list.get(), dir.file("d"));
    EXPECT_EQ(static_cast<int>(romListMove(list.get(), 1, 1)), 0);
    expectNames({"c", "b"});
}

TEST_F(ListWithFiles, MarkedEntriesMoveAsEachWouldInTurn)
{
    // Every mark pattern of six entries, both ways, against romListMove of
    // each marked index in turn (from the head going up, from the tail going
    // down), which is what the window's up and down did one by one.
    for (const char* n : {"a", "b", "c", "d", "e", "f"}) add(n, 4);
    auto reference = romListCreate();
    for (const char* n : {"a", "b", "c", "d", "e", "f"}) romListAddSized(reference.get(), dir.file(n), 4);
    for (int marks = 0; marks < 64; ++marks) {
        for (const int direction : {1, -1}) {
            SCOPED_TRACE(testing::Message() << "marks " << marks << " direction " << direction);
            std::vector<int> rows;
            int row = 0;
            for (RomEntry* e = list->head; e != nullptr; e = e->next, ++row) {
                e->selected = (marks >> row) & 1;
                if (e->selected != 0) rows.push_back(row);
            }
            if (direction < 0) std::reverse(rows.begin(), rows.end());
            for (const int r : rows) romListMove(reference.get(), r, direction);
            EXPECT_EQ(static_cast<int>(romListMoveMarked(list.get(), direction)), 0);
            expectConsistent(*list);
            EXPECT_EQ(pathsOf(*list), pathsOf(*reference));
        }
    }
    EXPECT_EQ(static_cast<int>(romListMoveMarked(nullptr, 1)), -1);
}

TEST_F(ListWithFiles, SortByEveryKeyBothWays)
{
    add("b-long.nes", 100)->mapper = 4;
    add("B.nes", 10)->battery = 1;
    add("a.nes", 50)->mapper = 1;
    add("c.nes", 30)->mapper = 200;
    romEntrySetTitle(romListAt(list.get(), 0), "Zelda", 4, 0);
    romEntrySetTitle(romListAt(list.get(), 1), "\x83\x51\x81\x5B\x83\x80", 0, 1);
    romEntrySetTitle(romListAt(list.get(), 3), "Mario", 200, 0);
    // a.nes keeps no title, which sorts as an empty one.

    const struct { int key; int ascending; Names order; } cases[] = {
        {SortByPath, 1, {"B.nes", "a.nes", "b-long.nes", "c.nes"}},
        {SortByPath, 0, {"c.nes", "b-long.nes", "a.nes", "B.nes"}},
        {SortByTitle, 1, {"a.nes", "c.nes", "b-long.nes", "B.nes"}},
        {SortByTitle, 0, {"B.nes", "b-long.nes", "c.nes", "a.nes"}},
        {SortBySize, 1, {"B.nes", "c.nes", "a.nes", "b-long.nes"}},
        {SortBySize, 0, {"b-long.nes", "a.nes", "c.nes", "B.nes"}},
        {SortByMapper, 1, {"B.nes", "a.nes", "b-long.nes", "c.nes"}},
        {SortByMapper, 0, {"c.nes", "b-long.nes", "a.nes", "B.nes"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " ascending " << c.ascending);
        EXPECT_EQ(static_cast<int>(romListSort(list.get(), c.key, c.ascending)), 0);
        expectNames(c.order);
    }
    EXPECT_EQ(static_cast<int>(romListSort(list.get(), SortByBattery, 1)), 0);
    expectConsistent(*list);
    EXPECT_EQ(list->tail->path, dir.file("B.nes"));
    EXPECT_EQ(static_cast<int>(romListSort(list.get(), SortByBattery, 0)), 0);
    EXPECT_EQ(list->head->path, dir.file("B.nes"));

    // The whole path counts, folder included, case significant.
    auto paths = romListCreate();
    romListAdd(paths.get(), "c:\\a\\b.nes", report);
    romListAdd(paths.get(), "C:\\b\\a.nes", report);
    EXPECT_EQ(static_cast<int>(romListSort(paths.get(), SortByPath, 1)), 0);
    EXPECT_EQ(pathsOf(*paths), (Names{"C:\\b\\a.nes", "c:\\a\\b.nes"}));
}

TEST_F(ListWithFiles, SortRefusesBadKeysAndHandlesTinyLists)
{
    EXPECT_EQ(static_cast<int>(romListSort(list.get(), SortByPath, 1)), 0);  // empty
    expectConsistent(*list);
    EXPECT_EQ(static_cast<int>(romListSort(nullptr, SortByPath, 1)), 1);

    RomEntry* only = add("only.nes", 8);
    EXPECT_EQ(static_cast<int>(romListSort(list.get(), SortBySize, 0)), 0);
    EXPECT_EQ(list->head, only);
    EXPECT_EQ(list->tail, only);
    expectConsistent(*list);

    add("b.nes", 4);
    add("a.nes", 4);
    for (int key : {5, -1, 1000}) {
        EXPECT_EQ(static_cast<int>(romListSort(list.get(), key, 1)), 1);
        expectNames({"only.nes", "b.nes", "a.nes"});
    }
}

TEST_F(ListWithFiles, TitlesAreCopiedAndCut)
{
    RomEntry* e = add("game.nes", 16);
    std::string title(25, 't');
    EXPECT_EQ(romEntrySetTitle(e, title, 65, 1), 0);
    title[0] = 'X';  // the entry holds its own copy
    EXPECT_EQ(e->title, std::string(21, 't'));
    EXPECT_EQ(e->mapper, 65);
    EXPECT_EQ(e->battery, 1);

    romEntrySetTitle(e, "", 2, 0);
    EXPECT_EQ(e->title, "");
    EXPECT_EQ(e->mapper, 2);
    romEntrySetTitle(e, std::string(400, '\x82'), 0, 0);  // hundreds of lead bytes
    EXPECT_EQ(e->title, std::string(32, '\x82'));

    EXPECT_EQ(romEntrySetPocket(e, std::string(40, 'p'), 0x21, 3, 2), 0);
    EXPECT_EQ(e->pocketTitle, std::string(29, 'p'));
    EXPECT_EQ(e->pocketFlags, 0x21);
    EXPECT_EQ(e->pocketFollow, 3);
    EXPECT_EQ(e->pocketSlot, 2);
    // 31 bytes: the last double-byte character would begin at byte 31.
    const std::string three = "\x82\xA0\x82\xA2\x82\xA4";
    romEntrySetPocket(e, three + std::string(25, 'b') + "\x82\xA6", 0, 0, 0);
    EXPECT_EQ(e->pocketTitle, three + std::string(25, 'b'));

    // A PocketNES title follows the title until it is the entry's own.
    romEntrySetTitle(e, "Follows", 0, 0);
    EXPECT_EQ(e->pocketTitle, "Follows");
    e->pocketTitleOwn = true;
    romEntrySetPocket(e, "Own", 0, 0, 0);
    romEntrySetTitle(e, "Retitled", 0, 0);
    EXPECT_EQ(e->pocketTitle, "Own");

    EXPECT_EQ(romEntrySetTitle(nullptr, "x", 0, 0), 0);
    EXPECT_EQ(romEntrySetPocket(nullptr, "x", 0, 0, 0), 0);
    expectConsistent(*list);
}

TEST(RomListFree, ReleasesTheListOnce)
{
    auto list = romListCreate();
    romListAddSized(list.get(), "/nowhere/a.nes", 0);
    romListAddSized(list.get(), "/nowhere/b.nes", 0);
    EXPECT_EQ(static_cast<int>(romListFree(list)), 0);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(static_cast<int>(romListFree(list)), -1);
}
