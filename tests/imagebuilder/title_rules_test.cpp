#include "title_rules.h"

#include "iconv_reference.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string cut(std::string text, int maxChars)
{
    cutTitle(&text, maxChars);
    return text;
}

std::string repeat(const std::string& unit, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i) out += unit;
    return out;
}

const std::string HIRA_A = "\x82\xA0";  // あ
const std::string HIRA_I = "\x82\xA2";  // い
const std::string KANJI = "\x8A\xBF";   // 漢

}  // namespace

TEST(CutTitle, KeepsCharactersBytesAndWholeDoubleByteCharacters)
{
    EXPECT_EQ(cut("ABC", 21), "ABC");
    EXPECT_EQ(cut(std::string(30, 'a'), 21), std::string(21, 'a'));
    EXPECT_EQ(cut(std::string(31, 'a') + HIRA_A, 21), std::string(21, 'a'));

    // 32 bytes at most, so 16 double-byte characters even when more are allowed.
    EXPECT_EQ(cut(repeat(HIRA_A, 20), 29), repeat(HIRA_A, 16));
    EXPECT_EQ(cut(repeat(HIRA_A, 20), 21), repeat(HIRA_A, 16));
    EXPECT_EQ(cut(repeat(HIRA_A, 15) + "abcdef", 21), repeat(HIRA_A, 15) + "ab");

    // A double-byte character may not begin at byte 31.
    const std::string head = repeat(HIRA_A, 3) + std::string(25, 'x');
    EXPECT_EQ(cut(head + HIRA_I, 29), head);
    EXPECT_EQ(cut(head + HIRA_I, 29).size(), 31u);

    // Half-width katakana are single bytes.
    EXPECT_EQ(cut(std::string(25, '\xB1'), 21), std::string(21, '\xB1'));
}

TEST(CutTitle, OddInputStaysInsideTheText)
{
    cutTitle(nullptr, 21);  // nothing to do, and no crash

    EXPECT_EQ(cut("", 21), "");
    EXPECT_EQ(cut("ABC", 0), "");
    EXPECT_EQ(cut("ABC", -3), "");
    // A terminator inside the text ends it.
    EXPECT_EQ(cut(std::string("AB\0CD", 5), 21), "AB");
    // A lead byte with nothing after it is no character and is dropped.
    EXPECT_EQ(cut("AB\x82", 21), "AB");
    EXPECT_EQ(cut(std::string("AB\x82\0C", 5), 21), "AB");
    // Hundreds of bytes.
    EXPECT_EQ(cut(std::string(700, 'z'), 21), std::string(21, 'z'));
    EXPECT_EQ(cut(repeat(KANJI, 300), 29), repeat(KANJI, 16));
}

TEST(FilterTitle, RemovesDisallowedDoubleByteCharactersThenCuts)
{
    std::string t = HIRA_A + KANJI + HIRA_I;
    EXPECT_EQ(filterTitle(t), 1);
    EXPECT_EQ(t, HIRA_A + HIRA_I);

    t = "A\x81\x40" "B";  // the ideographic space
    EXPECT_EQ(filterTitle(t), 1);
    EXPECT_EQ(t, "AB");

    t = std::string(10, '\xB6');  // ten half-width katakana
    EXPECT_EQ(filterTitle(t), 0);
    EXPECT_EQ(t, std::string(10, '\xB6'));

    // The cut is no removal.
    t = std::string(30, 'q');
    EXPECT_EQ(filterTitle(t), 0);
    EXPECT_EQ(t, std::string(21, 'q'));

    // Removal happens before the cut: the letters behind the kanji move up.
    t = repeat(KANJI, 5) + std::string(25, 'w');
    EXPECT_EQ(filterTitle(t), 1);
    EXPECT_EQ(t, std::string(21, 'w'));

    // A trail byte of 0x7F or below 0x40 never makes an allowed pair; the
    // pair goes as one character.
    t = "A\x81\x7F" "B\x82\x20" "C";
    EXPECT_EQ(filterTitle(t), 1);
    EXPECT_EQ(t, "ABC");
}

TEST(FilterTitle, LoneLeadBytesAndUnusualLengths)
{
    std::string t = "ABC\x82";
    EXPECT_EQ(filterTitle(t), 1);
    EXPECT_EQ(t, "ABC");

    t = "\x82";
    EXPECT_EQ(filterTitle(t), 1);
    EXPECT_EQ(t, "");

    t = std::string("A\x82\0" "B", 4);
    EXPECT_EQ(filterTitle(t), 1);
    EXPECT_EQ(t, "A");

    t = "";
    EXPECT_EQ(filterTitle(t), 0);
    EXPECT_EQ(t, "");

    t = repeat(KANJI + "x", 200) + HIRA_A;
    EXPECT_EQ(filterTitle(t), 1);
    EXPECT_EQ(t, std::string(21, 'x'));

    t = repeat(HIRA_A, 250);
    EXPECT_EQ(filterTitle(t), 0);
    EXPECT_EQ(t, repeat(HIRA_A, 16));
}

// The allowed set is JIS X 0208 rows 1 to 5 without the ideographic space.
// iconv knows which Shift-JIS pairs are defined and in which row they lie, so
// every pair of every lead byte is checked against it.
TEST(AllowedTitleCharacters, AreExactlyTheDefinedCharactersOfRowsOneToFive)
{
    IconvReference toEuc("EUC-JP", "SHIFT_JIS");
    ASSERT_TRUE(toEuc.isOpen());
    int allowed = 0;
    int expected = 0;
    for (unsigned code = 0x8100; code <= 0xEFFF; ++code) {
        const unsigned lead = code >> 8;
        const unsigned trail = code & 0xFF;
        if (!referenceLead(lead) || trail == 0) continue;
        const std::string pair = sjisPair(lead, trail);
        const auto euc = toEuc.convert(pair);
        const bool inRows1to5 = euc && euc->size() == 2 &&
                                static_cast<unsigned char>((*euc)[0]) >= 0xA1 &&
                                static_cast<unsigned char>((*euc)[0]) <= 0xA5 && *euc != "\xA1\xA1";
        expected += inRows1to5 ? 1 : 0;

        std::string title = pair;
        const int removed = filterTitle(title);
        const bool kept = removed == 0 && title == pair;
        allowed += kept ? 1 : 0;
        EXPECT_EQ(kept, inRows1to5) << std::hex << code;
        EXPECT_EQ(isAllowedTitleChar(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)),
                  inRows1to5)
            << std::hex << code;
    }
    EXPECT_EQ(expected, ALLOWED_TITLE_CHAR_COUNT);
    EXPECT_EQ(allowed, 377);
}
