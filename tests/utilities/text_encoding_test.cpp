// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string GAME_UTF8 = "\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0";  // ゲーム
const std::string GAME_CP932 = "\x83\x51\x81\x5B\x83\x80";

}  // namespace

TEST(TextEncoding, RoundTripsTitleText)
{
    bool dropped = true;
    EXPECT_EQ(utf8ToCp932(GAME_UTF8, &dropped), GAME_CP932);
    EXPECT_FALSE(dropped);
    EXPECT_EQ(cp932ToUtf8(GAME_CP932), GAME_UTF8);

    const std::string mixed = "Zelda " + GAME_UTF8 + " \xEF\xBD\xB6\xEF\xBE\x9E \xEF\xBC\xA1 \xE6\xBC\xA2";  // ｶﾞ Ａ 漢
    const std::string cp932 = utf8ToCp932(mixed, &dropped);
    EXPECT_FALSE(dropped);
    EXPECT_EQ(cp932, "Zelda " + GAME_CP932 + " \xB6\xDE \x82\x60 \x8A\xBF");
    EXPECT_EQ(cp932ToUtf8(cp932), mixed);

    EXPECT_EQ(utf8ToCp932("", &dropped), "");
    EXPECT_FALSE(dropped);
    EXPECT_EQ(cp932ToUtf8(""), "");
    EXPECT_EQ(utf8ToCp932("plain"), "plain");  // the report is optional
}

TEST(TextEncoding, BackslashTildeAndWaveDash)
{
    EXPECT_EQ(utf8ToCp932("\\~"), "\x5C\x7E");
    EXPECT_EQ(cp932ToUtf8("\x5C\x7E"), "\\~");
    // WAVE DASH, as Japanese text from other systems has it, and the
    // FULLWIDTH TILDE that Windows reads 0x8160 as, are both 0x8160.
    bool dropped = true;
    EXPECT_EQ(utf8ToCp932("\xE3\x80\x9C", &dropped), "\x81\x60");
    EXPECT_FALSE(dropped);
    EXPECT_EQ(utf8ToCp932("\xEF\xBD\x9E"), "\x81\x60");
    EXPECT_EQ(cp932ToUtf8("\x81\x60"), "\xEF\xBD\x9E");
}

TEST(TextEncoding, DropsWhatCp932CannotHoldAndReportsIt)
{
    bool dropped = false;
    EXPECT_EQ(utf8ToCp932("A\xF0\x9F\x98\x80" "B", &dropped), "AB");  // an emoji
    EXPECT_TRUE(dropped);
    dropped = false;
    EXPECT_EQ(utf8ToCp932("caf\xC3\xA9", &dropped), "caf");  // é
    EXPECT_TRUE(dropped);

    // Invalid UTF-8 loses only the bad bytes.
    const struct {
        std::string in;
        std::string out;
    } invalid[] = {
        {"A\xFF" "B", "AB"},
        {"A\xE3\x81", "A"},            // cut short at the end
        {"\xE3\x81" "A", "A"},         // cut short in the middle
        {"\xC0\xAF" "x", "x"},         // overlong '/'
        {"\xED\xA0\x80" "y", "y"},     // a surrogate
        {"\x80\x80" "z", "z"},         // stray continuation bytes
        {"\xF4\x90\x80\x80" "w", "w"}, // above U+10FFFF
    };
    for (const auto& c : invalid) {
        dropped = false;
        EXPECT_EQ(utf8ToCp932(c.in, &dropped), c.out);
        EXPECT_TRUE(dropped);
    }
}

TEST(TextEncoding, DecodesInvalidCp932AndLegacyLines)
{
    EXPECT_EQ(cp932ToUtf8("A\x81"), "A\xEF\xBF\xBD");
    EXPECT_EQ(cp932ToUtf8("\xB1"), "\xEF\xBD\xB1");  // ｱ

    EXPECT_TRUE(isValidUtf8(GAME_UTF8));
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));
    EXPECT_FALSE(isValidUtf8(GAME_CP932));
    EXPECT_FALSE(isValidUtf8("\xE3\x82"));
    EXPECT_FALSE(isValidUtf8("\xC1\x81"));
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));  // a surrogate

    EXPECT_EQ(decodeLegacyText(GAME_UTF8), GAME_UTF8);
    EXPECT_EQ(decodeLegacyText(GAME_CP932), GAME_UTF8);
    EXPECT_EQ(decodeLegacyText("plain=1"), "plain=1");
}

// The title rules take the bytes 0xF0 to 0xFC as characters of their own, so
// a character CP932 stores with such a lead byte can't be cartridge text.
TEST(TextEncoding, DropsCharactersWhoseCp932FormTheTitleRulesWouldSplit)
{
    const struct { std::string utf8; std::string cp932; bool dropped; } cases[] = {
        {"a\xE2\x85\xB0" "b", "ab", true},                // ⅰ, FA 40 (IBM extension)
        {"\xEE\x80\x80" "c", "c", true},                  // U+E000, F0 40 (user area)
        {"\xE2\x85\xA0\xE2\x91\xA0", "\x87\x54\x87\x40", false},  // Ⅰ ①, NEC row 13: lead 0x87 stays
        {"\xEF\xBD\xB1", "\xB1", false},                  // ｱ, a single byte in the same range as lead bytes
    };
    for (const auto& c : cases) {
        bool dropped = !c.dropped;
        EXPECT_EQ(utf8ToCp932(c.utf8, &dropped), c.cp932) << c.utf8;
        EXPECT_EQ(dropped, c.dropped) << c.utf8;
    }
}
