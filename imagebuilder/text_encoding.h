// Conversions between platform text (UTF-8) and cartridge text (Shift-JIS as
// Windows code page 932). Titles cross here and nowhere else.
#pragma once

#include <string>
#include <string_view>

// UTF-8 to CP932. A character CP932 cannot hold, or a byte that is not valid
// UTF-8, is dropped; *dropped (when given) tells whether any was.
std::string utf8ToCp932(std::string_view utf8, bool* dropped = nullptr);

// CP932 to UTF-8. A byte sequence CP932 does not define becomes U+FFFD.
std::string cp932ToUtf8(std::string_view cp932);

bool isValidUtf8(std::string_view text);

// Text from a file that may come from a Japanese-locale Windows system: kept
// when it is valid UTF-8, otherwise read as CP932.
std::string decodeLegacyText(std::string_view text);
