// SPDX-License-Identifier: GPL-3.0-or-later
// The way back from the EUC-JP titles of a save image to Shift-JIS text.
#include "save_slots.h"

#include "sjis.h"

#include <new>

namespace {

bool isEucByte(unsigned char c)
{
    return c >= 0xA1 && c <= 0xFE;
}

constexpr unsigned char SINGLE_SHIFT_2 = 0x8E;  // introduces a half-width katakana

void appendPair(std::string& out, unsigned char a, unsigned char b)
{
    out.push_back(static_cast<char>(a));
    out.push_back(static_cast<char>(b));
}

}  // namespace

void jisPairToSjis(unsigned char& j1, unsigned char& j2)
{
    const unsigned char first = static_cast<unsigned char>(((j1 + 1) >> 1) + (j1 < 0x5F ? 0x70 : 0xB0));
    unsigned char second = 0;
    if (j1 & 1) {
        second = static_cast<unsigned char>(j2 + (j2 >= 0x60 ? 0x20 : 0x1F));
    } else {
        second = static_cast<unsigned char>(j2 + 0x7E);
    }
    j1 = first;
    j2 = second;
}

std::optional<std::string> eucToSjis(std::string_view euc)
{
    const std::size_t nul = euc.find('\0');
    if (nul != std::string_view::npos) euc = euc.substr(0, nul);
    try {
        std::string out;
        out.reserve(2 * euc.size());
        std::size_t i = 0;
        while (i < euc.size()) {
            const auto c = static_cast<unsigned char>(euc[i]);
            const bool pairStart = isEucByte(c) || c == SINGLE_SHIFT_2;
            if (!pairStart) {
                out.push_back(static_cast<char>(c));
                ++i;
                continue;
            }
            if (i + 1 >= euc.size()) {  // the text ends after the first byte
                out.push_back(static_cast<char>(c));
                break;
            }
            const auto next = static_cast<unsigned char>(euc[i + 1]);
            if (c == SINGLE_SHIFT_2 && next >= 0xA1 && next <= 0xDF) {
                // Only the byte itself: a mark stored as its own pair stays a mark.
                const char kana[1] = {static_cast<char>(next)};
                const WideKana wide = widenKana(std::string_view(kana, 1), 0);
                appendPair(out, wide.lead, wide.trail);
            } else if (c != SINGLE_SHIFT_2 && isEucByte(next)) {
                unsigned char j1 = static_cast<unsigned char>(c - 0x80);
                unsigned char j2 = static_cast<unsigned char>(next - 0x80);
                jisPairToSjis(j1, j2);
                appendPair(out, j1, j2);
            } else {
                appendPair(out, c, next);
            }
            i += 2;
        }
        return out;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}
