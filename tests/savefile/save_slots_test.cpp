#include "save_slots.h"

#include "byte_order.h"
#include "sjis.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<SaveImage> blankImage()
{
    auto image = std::make_unique<SaveImage>();
    blankSaveImage(*image);
    return image;
}

Bytes titleField(const SaveImage& image, int s)
{
    return Bytes(image.begin() + static_cast<long>(slotTitleOffset(s)),
                 image.begin() + static_cast<long>(slotTitleOffset(s) + SLOT_TITLE_SIZE));
}

Bytes slotData(const SaveImage& image, int s)
{
    return Bytes(image.begin() + static_cast<long>(slotDataOffset(s)),
                 image.begin() + static_cast<long>(slotDataOffset(s) + SLOT_DATA_SIZE));
}

// The title field as text, and a check that the field ends in NULs.
std::string storedTitle(const SaveImage& image, int s)
{
    const Bytes field = titleField(image, s);
    std::string text;
    std::size_t i = 0;
    while (i < field.size() && field[i] != 0) text.push_back(static_cast<char>(field[i++]));
    EXPECT_LT(i, field.size()) << "title field without its NUL";
    for (; i < field.size(); ++i) EXPECT_EQ(field[i], 0) << "byte " << i << " after the title";
    return text;
}

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

}  // namespace

TEST(LoadSlot, FillsSlotDataTitleExtensionAndChecksum)
{
    TempDir dir;
    const Bytes save = patternBytes(8192, 3);
    writeBytes(dir.file("Quest.sav"), save);
    auto image = blankImage();
    const Bytes before(image->begin(), image->end());

    ASSERT_EQ(loadSlotFromFile(dir.file("Quest.sav"), *image, 2), 0);
    EXPECT_TRUE(slotIsUsed(*image, 2));
    EXPECT_EQ(getLe32(image->data() + slotHeaderOffset(2)), SLOT_USED);
    EXPECT_EQ(storedTitle(*image, 2), "Quest");
    const unsigned char* ext = image->data() + slotExtensionOffset(2);
    EXPECT_EQ(Bytes(ext, ext + 4), (Bytes{0x73, 0x61, 0x76, 0x00}));
    EXPECT_EQ(slotData(*image, 2), save);
    EXPECT_EQ(getLe32(image->data() + CHECKSUM_OFFSET), saveImageChecksum(*image));
    EXPECT_EQ(slotDisplayTitle(*image, 2), "Quest");

    // Nothing else moved: the other slots, their data and the free area.
    for (std::size_t i = 0; i < before.size(); ++i) {
        const bool slot2Header = i >= slotHeaderOffset(2) && i < slotHeaderOffset(3);
        const bool slot2Data = i >= slotDataOffset(2) && i < slotDataOffset(3);
        const bool checksum = i >= CHECKSUM_OFFSET && i < CHECKSUM_OFFSET + 4;
        if (!slot2Header && !slot2Data && !checksum) {
            ASSERT_EQ((*image)[i], before[i]) << "offset " << i;
        }
    }
}

TEST(LoadSlot, RefusesEmptyMissingAndOversizedFilesWithoutChange)
{
    TempDir dir;
    auto image = blankImage();
    const Bytes before(image->begin(), image->end());
    writeBytes(dir.file("big.sav"), patternBytes(8193));
    writeBytes(dir.file("empty.sav"), Bytes());
    EXPECT_EQ(loadSlotFromFile(dir.file("big.sav"), *image, 0), 2);
    EXPECT_EQ(loadSlotFromFile(dir.file("empty.sav"), *image, 0), 1);
    EXPECT_EQ(loadSlotFromFile(dir.file("missing.sav"), *image, 0), 1);
    writeBytes(dir.file("ok.sav"), patternBytes(10));
    EXPECT_EQ(loadSlotFromFile(dir.file("ok.sav"), *image, 7), 3);
    EXPECT_EQ(loadSlotFromFile(dir.file("ok.sav"), *image, -1), 3);
    EXPECT_EQ(Bytes(image->begin(), image->end()), before);
}

TEST(LoadSlot, ShortSaveClearsTheRestAndExtractsFullSlot)
{
    TempDir dir;
    auto image = blankImage();
    writeBytes(dir.file("long.sav"), patternBytes(8192, 1));
    ASSERT_EQ(loadSlotFromFile(dir.file("long.sav"), *image, 5), 0);
    const Bytes small = patternBytes(100, 2);
    writeBytes(dir.file("small.sav"), small);
    ASSERT_EQ(loadSlotFromFile(dir.file("small.sav"), *image, 5), 0);

    Bytes expected(8192, 0);
    std::copy(small.begin(), small.end(), expected.begin());
    EXPECT_EQ(slotData(*image, 5), expected);
    EXPECT_EQ(storedTitle(*image, 5), "small");

    ASSERT_EQ(extractSlot(dir.file("out.sav"), *image, 5), 0);
    EXPECT_EQ(readBytes(dir.file("out.sav")), expected);
    EXPECT_EQ(extractSlot(dir.file("no/folder/out.sav"), *image, 5), 3);
    EXPECT_EQ(extractSlot(dir.file("bad.sav"), *image, 9), 3);
    EXPECT_FALSE(fileExists(dir.file("bad.sav")));
}

TEST(LoadSlot, TitleComesFromFileNameAndAlwaysFitsItsField)
{
    TempDir dir;
    auto image = blankImage();
    auto titleFor = [&](const std::string& name) {
        writeBytes(dir.file(name), Bytes{1, 2, 3});
        EXPECT_EQ(loadSlotFromFile(dir.file(name), *image, 1), 0) << name;
        EXPECT_EQ(bytesText({'s', 'a', 'v', 0}),
                  std::string(image->begin() + static_cast<long>(slotExtensionOffset(1)),
                              image->begin() + static_cast<long>(slotExtensionOffset(1) + 4)));
        return storedTitle(*image, 1);
    };

    EXPECT_EQ(titleFor("a.b.sav"), "a.b");
    EXPECT_EQ(titleFor("noext"), "noext");
    EXPECT_EQ(titleFor(repeat("x", 40) + ".sav"), repeat("x", 31));
    // UTF-8 names are stored in EUC-JP: クエスト.
    EXPECT_EQ(titleFor("クエスト.sav"), bytesText({0xA5, 0xAF, 0xA5, 0xA8, 0xA5, 0xB9, 0xA5, 0xC8}));
    EXPECT_EQ(slotDisplayTitle(*image, 1), bytesText({0x83, 0x4E, 0x83, 0x47, 0x83, 0x58, 0x83, 0x67}));

    // Double-byte characters: 15 whole ones fit, the 16th would need byte 31.
    const std::string hiragana = titleFor(repeat("あ", 20) + ".sav");
    EXPECT_EQ(hiragana, repeat(bytesText({0xA4, 0xA2}), 15));
    // Half-width katakana double in EUC-JP; a voiced pair stays one character.
    const std::string kana = titleFor(repeat("ｱ", 20) + ".sav");
    EXPECT_EQ(kana, repeat(bytesText({0xA5, 0xA2}), 15));
    const std::string voiced = titleFor(repeat("ｶﾞ", 20) + ".sav");
    EXPECT_EQ(voiced, repeat(bytesText({0xA5, 0xAC}), 15));
    // One ASCII letter first: 1 + 15 * 2 = 31 bytes.
    const std::string mixed = titleFor("Z" + repeat("ｱ", 20) + ".sav");
    EXPECT_EQ(mixed, "Z" + repeat(bytesText({0xA5, 0xA2}), 15));
    // A character CP932 cannot hold is dropped from the name.
    EXPECT_EQ(titleFor("A😀B.sav"), "AB");
}

TEST(DeleteSlot, LeavesOnlyTheEmptyState)
{
    TempDir dir;
    auto image = blankImage();
    writeBytes(dir.file("Game.sav"), patternBytes(8192));
    ASSERT_EQ(loadSlotFromFile(dir.file("Game.sav"), *image, 4), 0);
    ASSERT_EQ(loadSlotFromFile(dir.file("Game.sav"), *image, 3), 0);
    EXPECT_EQ(deleteSlot(*image, 4), 0);

    Bytes header(40, 0);
    putLe32(header.data(), SLOT_EMPTY);
    const unsigned char* h = image->data() + slotHeaderOffset(4);
    EXPECT_EQ(Bytes(h, h + 40), header);
    EXPECT_EQ(slotData(*image, 4), Bytes(8192, 0));
    EXPECT_EQ(getLe32(image->data() + CHECKSUM_OFFSET), saveImageChecksum(*image));
    EXPECT_TRUE(slotIsUsed(*image, 3));
    EXPECT_EQ(deleteSlot(*image, 12), 0);
}

TEST(RenameSlot, FiltersTitlesAndTellsWhatHappened)
{
    TempDir dir;
    auto image = blankImage();
    writeBytes(dir.file("Old.sav"), Bytes{9});
    ASSERT_EQ(loadSlotFromFile(dir.file("Old.sav"), *image, 0), 0);
    const std::string kanji = bytesText({0x8A, 0xBF});     // 漢
    const std::string hiraA = bytesText({0x82, 0xA0});     // あ
    const std::string hiraI = bytesText({0x82, 0xA2});     // い

    RenameResult r = renameSlot(*image, 0, kanji + kanji);
    EXPECT_EQ(r.outcome, RenameOutcome::Refused);
    EXPECT_EQ(r.shown, "Old");
    EXPECT_EQ(storedTitle(*image, 0), "Old");

    r = renameSlot(*image, 0, hiraA + kanji + hiraI);
    EXPECT_EQ(r.outcome, RenameOutcome::StoredFixed);
    EXPECT_EQ(r.shown, hiraA + hiraI);
    EXPECT_EQ(storedTitle(*image, 0), bytesText({0xA4, 0xA2, 0xA4, 0xA4}));
    EXPECT_EQ(slotDisplayTitle(*image, 0), hiraA + hiraI);

    r = renameSlot(*image, 0, "Dragon Quest");
    EXPECT_EQ(r.outcome, RenameOutcome::Stored);
    EXPECT_EQ(storedTitle(*image, 0), "Dragon Quest");

    // An empty slot or no selection: nothing stored, but the box shows the
    // filtered text.
    const Bytes before(image->begin(), image->end());
    r = renameSlot(*image, 1, "New" + kanji);
    EXPECT_EQ(r.outcome, RenameOutcome::Unchanged);
    EXPECT_EQ(r.shown, "New");
    r = renameSlot(*image, std::nullopt, "Other");
    EXPECT_EQ(r.outcome, RenameOutcome::Unchanged);
    EXPECT_EQ(r.shown, "Other");
    EXPECT_EQ(Bytes(image->begin(), image->end()), before);

    // 21 half-width katakana would take 42 bytes in EUC-JP: whole characters
    // are dropped from the end until the title fits.
    r = renameSlot(*image, 0, std::string(21, '\xB1'));
    EXPECT_EQ(r.outcome, RenameOutcome::Stored);
    EXPECT_EQ(storedTitle(*image, 0), repeat(bytesText({0xA5, 0xA2}), 15));
    EXPECT_EQ(r.shown, slotDisplayTitle(*image, 0));
    // The checksum waits for the write.
    EXPECT_EQ(getLe32(image->data() + slotHeaderOffset(0)), SLOT_USED);
}

TEST(EucToSjis, ConvertsPairsKanaAndPassesTheRest)
{
    auto conv = [](const std::string& s) { return eucToSjis(s).value(); };
    EXPECT_EQ(conv(bytesText({0xA4, 0xA2})), bytesText({0x82, 0xA0}));
    EXPECT_EQ(conv(bytesText({0x8E, 0xB1})), bytesText({0x83, 0x41}));
    // A voiced mark stored as its own pair stays a mark: ｶﾞ gives カ゛.
    EXPECT_EQ(conv(bytesText({0x8E, 0xB6, 0x8E, 0xDE})), bytesText({0x83, 0x4A, 0x81, 0x4A}));
    EXPECT_EQ(conv("Quest 2"), "Quest 2");
    EXPECT_EQ(conv(""), "");
    // Broken pairs are copied as they are; a last lone byte is kept.
    EXPECT_EQ(conv(bytesText({0xA4, 0x41, 0x42})), bytesText({0xA4, 0x41, 0x42}));
    EXPECT_EQ(conv(bytesText({0x8E, 0xE0})), bytesText({0x8E, 0xE0}));
    EXPECT_EQ(conv(bytesText({'A', 0xA4})), bytesText({'A', 0xA4}));
    EXPECT_EQ(conv(bytesText({'A', 0x8E})), bytesText({'A', 0x8E}));
    EXPECT_EQ(conv(bytesText({0xFF, 'x'})), bytesText({0xFF, 'x'}));
    // The text ends at its NUL.
    EXPECT_EQ(conv(std::string("ab\0cd", 5)), "ab");
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
