// SPDX-License-Identifier: GPL-3.0-or-later
// Shift-JIS byte rules and the conversion of Shift-JIS titles to EUC-JP,
// the encoding of titles inside Korvalinde file records.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// True for the bytes that begin a double-byte character: 0x81-0x9F, 0xE0-0xEF.
bool isSjisLead(unsigned char byte);

struct JisPair {
    unsigned char row;
    unsigned char cell;
};

// The standard Shift-JIS to JIS X 0208 arithmetic (0x82A0 gives 0x24 0x22).
JisPair sjisPairToJis(unsigned char lead, unsigned char trail);

struct WideKana {
    unsigned char lead;   // the full-width Shift-JIS character
    unsigned char trail;
    int used;             // 1, or 2 when a following voiced mark was merged
};

// The full-width katakana for the half-width one (0xA1-0xDF) at pos in text.
// A following voiced or semi-voiced mark is merged where the pair exists.
// Nothing (all zero, used 0) when pos is past the end of text or the byte
// there is no half-width katakana.
WideKana widenKana(std::string_view text, std::size_t pos);

// A Shift-JIS text in EUC-JP, with half-width katakana widened. Empty result
// (nullopt) only when memory runs out; "Cannot allocate memory.\n" is then
// written to the standard output.
std::optional<std::string> sjisToEuc(std::string_view text);
