// SPDX-License-Identifier: GPL-3.0-or-later
#include "sjis.h"

#include "iconv_reference.h"

#include <gtest/gtest.h>

#include <locale.h>

#include <string>

namespace {

// The Unicode code point of one Shift-JIS character, by iconv.
char32_t unicodeOf(IconvReference& toUtf32, const std::string& sjis)
{
    const auto u = toUtf32.convert(sjis);
    if (!u || u->size() != 4) return 0;
    const auto b = [&](int i) { return static_cast<char32_t>(static_cast<unsigned char>((*u)[i])); };
    return b(0) | (b(1) << 8) | (b(2) << 16) | (b(3) << 24);
}

std::string pairOf(const WideKana& w)
{
    return sjisPair(w.lead, w.trail);
}

// The locale of this thread's character handling, for one scope.
class UsingLocale {
public:
    explicit UsingLocale(const char* name) : locale_(newlocale(LC_CTYPE_MASK, name, nullptr))
    {
        if (locale_ != nullptr) previous_ = uselocale(locale_);
    }
    ~UsingLocale()
    {
        if (locale_ == nullptr) return;
        uselocale(previous_);
        freelocale(locale_);
    }
    UsingLocale(const UsingLocale&) = delete;
    UsingLocale& operator=(const UsingLocale&) = delete;
    bool active() const { return locale_ != nullptr; }

private:
    locale_t locale_;
    locale_t previous_ = nullptr;
};

bool takesVoicedMark(unsigned kana)
{
    return kana == 0xB3 || (kana >= 0xB6 && kana <= 0xC4) || (kana >= 0xCA && kana <= 0xCE);
}

}  // namespace

TEST(SjisLead, CoversExactlyTheTwoLeadRanges)
{
    for (unsigned b = 0; b <= 0xFF; ++b) {
        EXPECT_EQ(isSjisLead(static_cast<unsigned char>(b)), referenceLead(b)) << std::hex << b;
    }
}

// The arithmetic must give what iconv gives for every double-byte character
// that Shift-JIS defines, the 377 title characters among them.
TEST(SjisPairToJis, AgreesWithIconvForEveryDefinedCharacter)
{
    IconvReference toEuc("EUC-JP", "SHIFT_JIS");
    ASSERT_TRUE(toEuc.isOpen());
    int checked = 0;
    int titleChars = 0;
    for (unsigned lead = 0x81; lead <= 0xEF; ++lead) {
        if (!referenceLead(lead)) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const auto euc = toEuc.convert(sjisPair(lead, trail));
            if (!euc || euc->size() != 2) continue;
            const JisPair jis = sjisPairToJis(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            EXPECT_EQ(jis.row + 0x80, static_cast<unsigned char>((*euc)[0])) << std::hex << lead << trail;
            EXPECT_EQ(jis.cell + 0x80, static_cast<unsigned char>((*euc)[1])) << std::hex << lead << trail;
            ++checked;
            if (jis.row >= 0x21 && jis.row <= 0x25 && !(jis.row == 0x21 && jis.cell == 0x21)) ++titleChars;
        }
    }
    EXPECT_EQ(titleChars, 377);
    EXPECT_GT(checked, 6000);
}

// iconv widens half-width katakana to the JIS X 0208 ones when it writes
// ISO-2022-JP with transliteration; that is the reference for the table.
TEST(WidenKana, MatchesIconvForEveryHalfWidthKatakana)
{
    // The transliteration table comes from the locale; C.UTF-8 has the
    // half-width forms, the plain C locale does not.
    const UsingLocale utf8Locale("C.UTF-8");
    ASSERT_TRUE(utf8Locale.active());
    IconvReference widen("ISO-2022-JP//TRANSLIT", "SHIFT_JIS");
    IconvReference toJis("ISO-2022-JP", "SHIFT_JIS");
    IconvReference fromUtf8("SHIFT_JIS", "UTF-8");
    ASSERT_TRUE(widen.isOpen() && toJis.isOpen() && fromUtf8.isOpen());

    for (unsigned kana = 0xA1; kana <= 0xDD; ++kana) {
        const std::string text(1, static_cast<char>(kana));
        const WideKana w = widenKana(text, 0);
        EXPECT_EQ(w.used, 1);
        const auto expected = widen.convert(text);
        ASSERT_TRUE(expected.has_value());
        EXPECT_EQ(toJis.convert(pairOf(w)), expected) << std::hex << kana;
    }
    // The marks on their own become ゛ and ゜.
    EXPECT_EQ(pairOf(widenKana("\xDE", 0)), fromUtf8.convert("\xE3\x82\x9B"));
    EXPECT_EQ(pairOf(widenKana("\xDF", 0)), fromUtf8.convert("\xE3\x82\x9C"));
}

// A merged kana is the voiced (next code point) or semi-voiced (the one after)
// form in Unicode; ヴ is the one voiced kana that lies elsewhere.
TEST(WidenKana, MergesVoicedAndSemiVoicedMarksWhereThePairExists)
{
    IconvReference toUtf32("UTF-32LE", "SHIFT_JIS");
    ASSERT_TRUE(toUtf32.isOpen());
    for (unsigned kana = 0xA6; kana <= 0xDD; ++kana) {
        const std::string base(1, static_cast<char>(kana));
        const char32_t plain = unicodeOf(toUtf32, pairOf(widenKana(base, 0)));
        ASSERT_NE(plain, 0u) << std::hex << kana;

        const WideKana voiced = widenKana(base + "\xDE", 0);
        if (takesVoicedMark(kana)) {
            EXPECT_EQ(voiced.used, 2) << std::hex << kana;
            EXPECT_EQ(unicodeOf(toUtf32, pairOf(voiced)), kana == 0xB3 ? U'\u30F4' : plain + 1) << std::hex << kana;
        } else {
            EXPECT_EQ(voiced.used, 1) << std::hex << kana;
            EXPECT_EQ(unicodeOf(toUtf32, pairOf(voiced)), plain) << std::hex << kana;
        }

        const WideKana semi = widenKana(base + "\xDF", 0);
        const bool takesSemi = kana >= 0xCA && kana <= 0xCE;
        EXPECT_EQ(semi.used, takesSemi ? 2 : 1) << std::hex << kana;
        EXPECT_EQ(unicodeOf(toUtf32, pairOf(semi)), takesSemi ? plain + 2 : plain) << std::hex << kana;
    }
    // The position may be anywhere in the text; a mark at the very end is
    // still merged, and nothing past the end is looked at.
    const WideKana ga = widenKana("xx\xB6\xDE", 2);
    EXPECT_EQ(pairOf(ga), "\x83\x4B");
    EXPECT_EQ(ga.used, 2);
    EXPECT_EQ(widenKana(std::string_view("\xB6\xDE", 1), 0).used, 1);
}

TEST(WidenKana, GivesNothingForAPositionWithoutHalfWidthKatakana)
{
    const std::pair<std::string, std::size_t> cases[] = {{"A", 0}, {"\xA0", 0}, {"\xE0", 0}, {"\xB6", 1}, {"", 0}};
    for (const auto& [text, pos] : cases) EXPECT_EQ(widenKana(text, pos).used, 0) << testing::PrintToString(text) << pos;
}

TEST(SjisToEuc, ConvertsTitlesAndWidensKana)
{
    const std::pair<std::string, std::string> cases[] = {
        {"ABC", "ABC"},
        {"", ""},
        {"\xB6\xDE", "\xA5\xAC"},          // ガ
        {"\xCA\xDF", "\xA5\xD1"},          // パ
        {"\xB3\xDE", "\xA5\xF4"},          // ヴ
        {"\xB1\xDE", "\xA5\xA2\xA1\xAB"},  // ア゛
        {"\xDE\xDE", "\xA1\xAB\xA1\xAB"},
        {"\x82\xA0" "A", "\xA4\xA2" "A"},
        // A lead byte with a trail outside 0x40-0xFC, or 0x7F, stays as it is.
        {"\x81\x7F", "\x81\x7F"},
        {"\x81\x3F" "A", "\x81\x3F" "A"},
        {"\xE0\xFD", "\xE0\xFD"},
        // Other single bytes stay as they are.
        {"\x80\xA0\xF0\xFF", "\x80\xA0\xF0\xFF"},
        // The text ends at its terminator or its end, never past them.
        {"AB\x82", "AB"},
        {std::string("A\0\x82\xA0", 4), "A"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(sjisToEuc(in), out) << testing::PrintToString(in);
}

TEST(SjisToEuc, AgreesWithIconvOnLongTitlesOfAllowedCharacters)
{
    IconvReference toEuc("EUC-JP", "SHIFT_JIS");
    ASSERT_TRUE(toEuc.isOpen());
    std::string all = "Title 01 ";
    for (unsigned lead = 0x81; lead <= 0x83; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string pair = sjisPair(lead, trail);
            const auto euc = toEuc.convert(pair);
            if (euc && euc->size() == 2 && static_cast<unsigned char>((*euc)[0]) <= 0xA5) all += pair;
        }
    }
    ASSERT_GT(all.size(), 700u);
    EXPECT_EQ(sjisToEuc(all), toEuc.convert(all));
}
