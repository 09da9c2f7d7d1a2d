// SPDX-License-Identifier: GPL-3.0-or-later
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
    // 31 bytes: a double-byte character may not begin at byte 31.
    const std::string head = repeat(HIRA_A, 3) + std::string(25, 'x');
    const struct { std::string in; int maxChars; std::string out; } cases[] = {
        {"ABC", 21, "ABC"},
        {std::string(30, 'a'), 21, std::string(21, 'a')},
        {std::string(31, 'a') + HIRA_A, 21, std::string(21, 'a')},
        // 32 bytes at most, so 16 double-byte characters even when more are allowed.
        {repeat(HIRA_A, 20), 29, repeat(HIRA_A, 16)},
        {repeat(HIRA_A, 20), 21, repeat(HIRA_A, 16)},
        {repeat(HIRA_A, 15) + "abcdef", 21, repeat(HIRA_A, 15) + "ab"},
        {head + HIRA_I, 29, head},
        // Half-width katakana are single bytes.
        {std::string(25, '\xB1'), 21, std::string(21, '\xB1')},
        // Odd input stays inside the text.
        {"", 21, ""},
        {"ABC", 0, ""},
        {"ABC", -3, ""},
        // A terminator inside the text ends it.
        {std::string("AB\0CD", 5), 21, "AB"},
        // A lead byte with nothing after it is no character and is dropped.
        {"AB\x82", 21, "AB"},
        {std::string("AB\x82\0C", 5), 21, "AB"},
        // Hundreds of bytes.
        {std::string(700, 'z'), 21, std::string(21, 'z')},
        {repeat(KANJI, 300), 29, repeat(KANJI, 16)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cut(c.in, c.maxChars), c.out) << testing::PrintToString(c.in) << " to " << c.maxChars;
    }
    cutTitle(nullptr, 21);  // nothing to do, and no crash
}

TEST(FilterTitle, RemovesDisallowedDoubleByteCharactersThenCuts)
{
    const struct { std::string in; int removed; std::string out; } cases[] = {
        {HIRA_A + KANJI + HIRA_I, 1, HIRA_A + HIRA_I},
        {"A\x81\x40" "B", 1, "AB"},  // the ideographic space
        {std::string(10, '\xB6'), 0, std::string(10, '\xB6')},  // ten half-width katakana
        {std::string(30, 'q'), 0, std::string(21, 'q')},  // the cut is no removal
        // Removal happens before the cut: the letters behind the kanji move up.
        {repeat(KANJI, 5) + std::string(25, 'w'), 1, std::string(21, 'w')},
        // A trail byte of 0x7F or below 0x40 never makes an allowed pair; the
        // pair goes as one character.
        {"A\x81\x7F" "B\x82\x20" "C", 1, "ABC"},
        // Lone lead bytes and unusual lengths.
        {"ABC\x82", 1, "ABC"},
        {"\x82", 1, ""},
        {std::string("A\x82\0" "B", 4), 1, "A"},
        {"", 0, ""},
        {repeat(KANJI + "x", 200) + HIRA_A, 1, std::string(21, 'x')},
        {repeat(HIRA_A, 250), 0, repeat(HIRA_A, 16)},
    };
    for (const auto& c : cases) {
        std::string t = c.in;
        EXPECT_EQ(filterTitle(t), c.removed) << testing::PrintToString(c.in);
        EXPECT_EQ(t, c.out) << testing::PrintToString(c.in);
    }
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
