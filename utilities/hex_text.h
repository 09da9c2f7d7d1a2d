// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers as upper-case hexadecimal text: ROM checksums as the save tools
// show them, and bytes escaped in settings keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The low digits hexadecimal digits of value, upper case, with leading
// zeros: hexText(0x1A2B, 8) is "00001A2B", hexText(0x0A, 2) is "0A".
inline std::string hexText(std::uint32_t value, int digits)
{
    static constexpr char DIGITS[] = "0123456789ABCDEF";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (std::size_t i = text.size(); i > 0; --i, value >>= 4) text[i - 1] = DIGITS[value & 0xF];
    return text;
}
