// SPDX-License-Identifier: GPL-3.0-or-later
// Path and name helpers. Paths are UTF-8: no byte of a multi-byte UTF-8
// character is below 0x80, so a '/' or '\' byte is always a real separator.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The position in path where its file name begins: after the last '/' or
// '\', or 0 when there is none.
std::size_t fileNamePart(std::string_view path);

// The file name of path (what follows the last separator).
std::string fileNameOf(std::string_view path);

// The folder of path, ending in its separator; empty when path has none.
std::string folderOf(std::string_view path);

// 0 exactly when a and b are equal once ASCII A-Z are folded to a-z, byte by
// byte; otherwise the sign tells nothing callers rely on.
int compareNoCase(std::string_view a, std::string_view b);

// text with ASCII A-Z folded to a-z: two texts that compareNoCase finds
// equal fold to the same text, so it serves as a key for look-ups.
std::string foldNoCase(std::string_view text);

// True when text holds a control character (a byte below 0x20, or 0x7F),
// which a file name may hold but a terminal line must not show raw.
bool hasControlCharacter(std::string_view text);

// text with each control character written as \xHH, for a terminal: a name
// holding ESC or TAB can't change what the terminal shows.
std::string printableText(std::string_view text);
