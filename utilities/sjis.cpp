// SPDX-License-Identifier: GPL-3.0-or-later
#include "sjis.h"

#include <array>
#include <cstdio>
#include <new>

bool isSjisLead(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xEF);
}

JisPair sjisPairToJis(unsigned char lead, unsigned char trail)
{
    const int base = lead < 0xA0 ? 0x70 : 0xB0;
    const int twice = 2 * (lead - base);
    JisPair jis{};
    if (trail < 0x9F) {
        jis.row = static_cast<unsigned char>(twice - 1);
        jis.cell = static_cast<unsigned char>(trail < 0x80 ? trail - 0x1F : trail - 0x20);
    } else {
        jis.row = static_cast<unsigned char>(twice);
        jis.cell = static_cast<unsigned char>(trail - 0x7E);
    }
    return jis;
}

namespace {

// Full-width Shift-JIS trail bytes (lead 0x81 or 0x83) for the half-width
// katakana 0xA1 to 0xDF, in the JIS X 0201 to JIS X 0208 correspondence.
struct KanaMap {
    unsigned char lead;
    unsigned char trail;
};

constexpr std::array<KanaMap, 63> HALF_TO_FULL = {{
    {0x81, 0x42}, {0x81, 0x75}, {0x81, 0x76}, {0x81, 0x41}, {0x81, 0x45},  // A1-A5 ｡｢｣､･
    {0x83, 0x92},                                                          // A6 ｦ
    {0x83, 0x40}, {0x83, 0x42}, {0x83, 0x44}, {0x83, 0x46}, {0x83, 0x48},  // A7-AB ｧｨｩｪｫ
    {0x83, 0x83}, {0x83, 0x85}, {0x83, 0x87}, {0x83, 0x62},                // AC-AF ｬｭｮｯ
    {0x81, 0x5B},                                                          // B0 ｰ
    {0x83, 0x41}, {0x83, 0x43}, {0x83, 0x45}, {0x83, 0x47}, {0x83, 0x49},  // B1-B5 ｱｲｳｴｵ
    {0x83, 0x4A}, {0x83, 0x4C}, {0x83, 0x4E}, {0x83, 0x50}, {0x83, 0x52},  // B6-BA ｶｷｸｹｺ
    {0x83, 0x54}, {0x83, 0x56}, {0x83, 0x58}, {0x83, 0x5A}, {0x83, 0x5C},  // BB-BF ｻｼｽｾｿ
    {0x83, 0x5E}, {0x83, 0x60}, {0x83, 0x63}, {0x83, 0x65}, {0x83, 0x67},  // C0-C4 ﾀﾁﾂﾃﾄ
    {0x83, 0x69}, {0x83, 0x6A}, {0x83, 0x6B}, {0x83, 0x6C}, {0x83, 0x6D},  // C5-C9 ﾅﾆﾇﾈﾉ
    {0x83, 0x6E}, {0x83, 0x71}, {0x83, 0x74}, {0x83, 0x77}, {0x83, 0x7A},  // CA-CE ﾊﾋﾌﾍﾎ
    {0x83, 0x7D}, {0x83, 0x7E}, {0x83, 0x80}, {0x83, 0x81}, {0x83, 0x82},  // CF-D3 ﾏﾐﾑﾒﾓ
    {0x83, 0x84}, {0x83, 0x86}, {0x83, 0x88},                              // D4-D6 ﾔﾕﾖ
    {0x83, 0x89}, {0x83, 0x8A}, {0x83, 0x8B}, {0x83, 0x8C}, {0x83, 0x8D},  // D7-DB ﾗﾘﾙﾚﾛ
    {0x83, 0x8F}, {0x83, 0x93},                                            // DC-DD ﾜﾝ
    {0x81, 0x4A}, {0x81, 0x4B},                                            // DE-DF ﾞﾟ
}};

constexpr unsigned char VOICED_MARK = 0xDE;
constexpr unsigned char SEMI_VOICED_MARK = 0xDF;

bool takesVoicedMark(unsigned char kana)
{
    return kana == 0xB3 || (kana >= 0xB6 && kana <= 0xC4) || (kana >= 0xCA && kana <= 0xCE);
}

bool takesSemiVoicedMark(unsigned char kana)
{
    return kana >= 0xCA && kana <= 0xCE;
}

void appendEuc(std::string& out, unsigned char lead, unsigned char trail)
{
    const JisPair jis = sjisPairToJis(lead, trail);
    out.push_back(static_cast<char>(jis.row + 0x80));
    out.push_back(static_cast<char>(jis.cell + 0x80));
}

}  // namespace

WideKana widenKana(std::string_view text, std::size_t pos)
{
    if (pos >= text.size()) return WideKana{0, 0, 0};
    const auto kana = static_cast<unsigned char>(text[pos]);
    if (kana < 0xA1 || kana > 0xDF) return WideKana{0, 0, 0};
    const KanaMap full = HALF_TO_FULL[kana - 0xA1];
    WideKana wide{full.lead, full.trail, 1};
    if (pos + 1 < text.size()) {
        const auto mark = static_cast<unsigned char>(text[pos + 1]);
        if (mark == VOICED_MARK && takesVoicedMark(kana)) {
            if (kana == 0xB3) {
                wide.trail = 0x94;  // ヴ
            } else {
                wide.trail = static_cast<unsigned char>(wide.trail + 1);
            }
            wide.used = 2;
        } else if (mark == SEMI_VOICED_MARK && takesSemiVoicedMark(kana)) {
            wide.trail = static_cast<unsigned char>(wide.trail + 2);
            wide.used = 2;
        }
    }
    return wide;
}

std::optional<std::string> sjisToEuc(std::string_view text)
{
    // A NUL ends a text, as it always has for these titles.
    const std::size_t end = text.find('\0');
    if (end != std::string_view::npos) text = text.substr(0, end);
    try {
        std::string out;
        out.reserve(2 * text.size() + 1);
        std::size_t i = 0;
        while (i < text.size()) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (isSjisLead(c)) {
                if (i + 1 >= text.size()) break;  // a lone lead byte at the end is dropped
                const auto trail = static_cast<unsigned char>(text[i + 1]);
                if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F) {
                    appendEuc(out, c, trail);
                } else {
                    out.push_back(static_cast<char>(c));
                    out.push_back(static_cast<char>(trail));
                }
                i += 2;
            } else if (c >= 0xA1 && c <= 0xDF) {
                const WideKana wide = widenKana(text, i);
                appendEuc(out, wide.lead, wide.trail);
                i += static_cast<std::size_t>(wide.used);
            } else {
                out.push_back(static_cast<char>(c));
                ++i;
            }
        }
        return out;
    } catch (const std::bad_alloc&) {
        std::fputs("Cannot allocate memory.\n", stdout);
        return std::nullopt;
    }
}
