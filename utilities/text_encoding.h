// SPDX-License-Identifier: GPL-3.0-or-later
// Conversions between platform text (UTF-8) and cartridge text (Shift-JIS as
// Windows code page 932). Titles cross here and nowhere else.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// UTF-8 to CP932, for text that becomes cartridge text. A character CP932
// cannot hold, or a byte that is not valid UTF-8, is dropped; so is a
// character whose CP932 form begins with a byte 0xF0 to 0xFC (the extension
// and user areas, "ⅰ" = FA 40): the title rules take those bytes as
// characters of their own, which would split it. *dropped (when given) tells
// whether anything was dropped.
std::string utf8ToCp932(std::string_view utf8, bool* dropped = nullptr);

// CP932 to UTF-8. A byte sequence CP932 does not define becomes U+FFFD.
std::string cp932ToUtf8(std::string_view cp932);

bool isValidUtf8(std::string_view text);

// Text from a file that may come from a Japanese-locale Windows system: kept
// when it is valid UTF-8, otherwise read as CP932.
std::string decodeLegacyText(std::string_view text);

class Cp932Converter;

// decodeLegacyText for a reader that decodes a whole file: one conversion
// descriptor serves every line, opened at the first line that needs it.
class LegacyTextDecoder {
public:
    LegacyTextDecoder();
    ~LegacyTextDecoder();
    LegacyTextDecoder(const LegacyTextDecoder&) = delete;
    LegacyTextDecoder& operator=(const LegacyTextDecoder&) = delete;
    std::string decode(std::string_view text);

private:
    std::unique_ptr<Cp932Converter> converter_;
};

// How many conversion descriptors the process has opened so far; opening one
// costs far more than a conversion, so readers keep to one per file.
std::size_t textConverterOpenCount();
