// SPDX-License-Identifier: GPL-3.0-or-later
#include "save_slots.h"

#include "byte_order.h"
#include "save_image_bytes.h"
#include "sjis.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::string bytesText(std::initializer_list<unsigned char> b)
{
    return std::string(b.begin(), b.end());
}

std::string repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// A blank image and a folder for the ".sav" files loaded into it.
class SlotTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<SaveImage> image = std::make_unique<SaveImage>();

    SlotTest() { blankSaveImage(*image); }
    Bytes bytes() const { return Bytes(image->begin(), image->end()); }
    SaveResult load(const std::string& name, const Bytes& contents, int s)
    {
        writeBytes(dir.file(name), contents);
        return loadSlotFromFile(dir.file(name), *image, s);
    }
    // The title field of slot s as text, checking that the field ends in NULs.
    std::string storedTitle(int s) const
    {
        const unsigned char* field = image->data() + slotTitleOffset(s);
        std::size_t i = 0;
        std::string text;
        while (i < SLOT_TITLE_SIZE && field[i] != 0) text.push_back(static_cast<char>(field[i++]));
        EXPECT_LT(i, SLOT_TITLE_SIZE) << "title field without its NUL";
        for (; i < SLOT_TITLE_SIZE; ++i) EXPECT_EQ(field[i], 0) << "byte " << i << " after the title";
        return text;
    }
};

}  // namespace

TEST_F(SlotTest, LoadFillsOnlyTheSlotAndTheChecksum)
{
    const Bytes save = patternBytes(8192, 3);
    ASSERT_EQ(load("Quest.sav", save, 2), SaveCode::Done);
    // State used, title Quest and NULs, extension 73 61 76 00, the data and
    // a matching checksum; every other byte as it was.
    EXPECT_EQ(bytes(), SaveImageBytes().useSlot(2, "Quest", save).bytes());
    EXPECT_EQ(slotDisplayTitle(*image, 2), "Quest");
}

TEST_F(SlotTest, LoadRefusesBadFilesAndSlotsWithoutChange)
{
    const Bytes before = bytes();
    EXPECT_EQ(load("big.sav", patternBytes(8193), 0), SaveCode::SavTooLarge);
    EXPECT_EQ(load("empty.sav", Bytes(), 0), SaveCode::Missing);
    EXPECT_EQ(loadSlotFromFile(dir.file("missing.sav"), *image, 0), SaveCode::Missing);
    EXPECT_EQ(load("ok.sav", patternBytes(10), 7), SaveCode::EmptySlot);
    EXPECT_EQ(loadSlotFromFile(dir.file("ok.sav"), *image, -1), SaveCode::EmptySlot);
    EXPECT_EQ(bytes(), before);
}

TEST_F(SlotTest, ShortSaveClearsTheRestAndExtractsAFullSlot)
{
    ASSERT_EQ(load("a longer name.sav", patternBytes(8192, 1), 5), SaveCode::Done);
    const Bytes small = patternBytes(100, 2);
    ASSERT_EQ(load("small.sav", small, 5), SaveCode::Done);
    EXPECT_EQ(bytes(), SaveImageBytes().useSlot(5, "small", small).bytes());

    Bytes expected = small;
    expected.resize(8192, 0);
    ASSERT_EQ(extractSlot(dir.file("out.sav"), *image, 5), SaveCode::Done);
    EXPECT_EQ(readBytes(dir.file("out.sav")), expected);
    EXPECT_EQ(extractSlot(dir.file("no/folder/out.sav"), *image, 5), SaveCode::WriteFailed);
    EXPECT_EQ(extractSlot(dir.file("bad.sav"), *image, 9), SaveCode::EmptySlot);
    EXPECT_FALSE(fileExists(dir.file("bad.sav")));
}

TEST_F(SlotTest, TitleComesFromTheFileNameAndAlwaysFitsItsField)
{
    const std::string kanaA = bytesText({0xA5, 0xA2});  // ア in EUC-JP
    const struct {
        std::string name;
        std::string euc;
    } cases[] = {
        {"a.b.sav", "a.b"},
        {"noext", "noext"},
        {repeat("x", 40) + ".sav", repeat("x", 31)},
        // UTF-8 names are stored in EUC-JP: クエスト, and 表 (95 5C in CP932,
        // whose second byte is a backslash).
        {"クエスト.sav", bytesText({0xA5, 0xAF, 0xA5, 0xA8, 0xA5, 0xB9, 0xA5, 0xC8})},
        {"表.sav", bytesText({0xC9, 0xBD})},
        // Double-byte characters: 15 whole ones fit, the 16th would need byte 31.
        {repeat("あ", 20) + ".sav", repeat(bytesText({0xA4, 0xA2}), 15)},
        // Half-width katakana double in EUC-JP; a voiced pair stays one character.
        {repeat("ｱ", 20) + ".sav", repeat(kanaA, 15)},
        {repeat("ｶﾞ", 20) + ".sav", repeat(bytesText({0xA5, 0xAC}), 15)},
        // One ASCII letter first: 1 + 15 * 2 = 31 bytes.
        {"Z" + repeat("ｱ", 20) + ".sav", "Z" + repeat(kanaA, 15)},
        // A character CP932 cannot hold is dropped from the name.
        {"A😀B.sav", "AB"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(load(c.name, {1, 2, 3}, 1), SaveCode::Done) << c.name;
        EXPECT_EQ(storedTitle(1), c.euc) << c.name;
    }
    ASSERT_EQ(load("クエスト.sav", {1}, 1), SaveCode::Done);
    EXPECT_EQ(slotDisplayTitle(*image, 1), bytesText({0x83, 0x4E, 0x83, 0x47, 0x83, 0x58, 0x83, 0x67}));
}

TEST_F(SlotTest, DeleteLeavesOnlyTheEmptyState)
{
    const Bytes data = patternBytes(8192);
    ASSERT_EQ(load("Game.sav", data, 4), SaveCode::Done);
    ASSERT_EQ(load("Game.sav", data, 3), SaveCode::Done);
    EXPECT_EQ(deleteSlot(*image, 4), 0);
    // Slot 4: 40 header bytes of zero but the empty state, 8192 zero bytes.
    const Bytes expected = SaveImageBytes().useSlot(3, "Game", data).bytes();
    EXPECT_EQ(bytes(), expected);
    EXPECT_EQ(deleteSlot(*image, 12), 0);
    EXPECT_EQ(bytes(), expected);
}

TEST_F(SlotTest, RenameFiltersTitlesAndTellsWhatHappened)
{
    ASSERT_EQ(load("Old.sav", {9}, 0), SaveCode::Done);
    const std::string kanji = bytesText({0x8A, 0xBF});  // 漢
    const std::string hiraA = bytesText({0x82, 0xA0});  // あ
    const std::string hiraI = bytesText({0x82, 0xA2});  // い

    RenameResult r = renameSlot(*image, 0, kanji + kanji);
    EXPECT_EQ(r.outcome, RenameOutcome::Refused);
    EXPECT_EQ(r.shown, "Old");
    EXPECT_EQ(storedTitle(0), "Old");

    r = renameSlot(*image, 0, hiraA + kanji + hiraI);
    EXPECT_EQ(r.outcome, RenameOutcome::StoredFixed);
    EXPECT_EQ(r.shown, hiraA + hiraI);
    EXPECT_EQ(storedTitle(0), bytesText({0xA4, 0xA2, 0xA4, 0xA4}));
    EXPECT_EQ(slotDisplayTitle(*image, 0), hiraA + hiraI);

    r = renameSlot(*image, 0, "Dragon Quest");
    EXPECT_EQ(r.outcome, RenameOutcome::Stored);
    EXPECT_EQ(storedTitle(0), "Dragon Quest");

    // An empty slot or no selection: nothing stored, but the box shows the
    // filtered text.
    const Bytes before = bytes();
    r = renameSlot(*image, 1, "New" + kanji);
    EXPECT_EQ(r.outcome, RenameOutcome::Unchanged);
    EXPECT_EQ(r.shown, "New");
    r = renameSlot(*image, std::nullopt, "Other");
    EXPECT_EQ(r.outcome, RenameOutcome::Unchanged);
    EXPECT_EQ(r.shown, "Other");
    EXPECT_EQ(bytes(), before);

    // 21 half-width katakana would take 42 bytes in EUC-JP: whole characters
    // are dropped from the end until the title fits.
    r = renameSlot(*image, 0, std::string(21, '\xB1'));
    EXPECT_EQ(r.outcome, RenameOutcome::Stored);
    EXPECT_EQ(storedTitle(0), repeat(bytesText({0xA5, 0xA2}), 15));
    EXPECT_EQ(r.shown, slotDisplayTitle(*image, 0));
    // Only the title changes: the state stays.
    EXPECT_EQ(getLe32(image->data() + slotHeaderOffset(0)), SLOT_USED);
}

TEST(EucToSjis, ConvertsPairsKanaAndPassesTheRest)
{
    const auto conv = [](const std::string& s) { return eucToSjis(s).value(); };
    EXPECT_EQ(conv(bytesText({0xA4, 0xA2})), bytesText({0x82, 0xA0}));
    EXPECT_EQ(conv(bytesText({0x8E, 0xB1})), bytesText({0x83, 0x41}));
    // A voiced mark stored as its own pair stays a mark: ｶﾞ gives カ゛.
    EXPECT_EQ(conv(bytesText({0x8E, 0xB6, 0x8E, 0xDE})), bytesText({0x83, 0x4A, 0x81, 0x4A}));
    // The text ends at its NUL.
    EXPECT_EQ(conv(std::string("ab\0cd", 5)), "ab");
    // Plain text, broken pairs and a last lone byte are copied as they are.
    for (const std::string& same : {std::string("Quest 2"), std::string(), bytesText({0xA4, 0x41, 0x42}),
                                    bytesText({0x8E, 0xE0}), bytesText({'A', 0xA4}), bytesText({'A', 0x8E}),
                                    bytesText({0xFF, 'x'})}) {
        EXPECT_EQ(conv(same), same);
    }
}

TEST(JisPairToSjis, UndoesSjisPairToJisForEveryDoubleByteCode)
{
    int checked = 0;
    for (int lead = 0x81; lead <= 0xEF; ++lead) {
        if (lead > 0x9F && lead < 0xE0) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const JisPair jis = sjisPairToJis(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            unsigned char j1 = jis.row;
            unsigned char j2 = jis.cell;
            jisPairToSjis(j1, j2);
            ASSERT_EQ(j1, lead) << std::hex << lead << " " << trail;
            ASSERT_EQ(j2, trail) << std::hex << lead << " " << trail;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 47 * 188);
}
