// SPDX-License-Identifier: GPL-3.0-or-later
// The rules a ROM or save title must keep: a fixed set of allowed double-byte
// characters, at most 32 bytes, never ending inside a double-byte character.
#pragma once

#include <string>
#include <string_view>

// The number of allowed double-byte title characters (JIS X 0208 rows 1-5
// without the ideographic space).
constexpr int ALLOWED_TITLE_CHAR_COUNT = 377;

// True when the Shift-JIS pair is one of the allowed title characters.
bool isAllowedTitleChar(unsigned char lead, unsigned char trail);

// Cuts text in place to at most maxChars characters and 32 bytes; a
// double-byte character never begins at byte 31. A null text is left alone.
// Always 0.
int cutTitle(std::string* text, int maxChars);

// Drops the double-byte characters that are not allowed (and a lone lead byte
// at the end), then cuts to 21 characters. 1 when a character was dropped.
int filterTitle(std::string& text);

// The characters of a typed title (UTF-8) that can't be stored on the
// cartridge: those CP932 can't hold and, when the title goes through the
// title rules (filtered), the double-byte characters the rules refuse. Each
// once, in the order typed, separated by blanks.
std::string charactersNotOnCartridge(std::string_view typed, bool filtered);

// The typed title (UTF-8) in CP932 as the cartridge would hold it without a
// length limit: without the characters charactersNotOnCartridge names. A
// title stored shorter than this was cut to its limit.
std::string titleBeforeItsCut(std::string_view typed, bool filtered);

// What an "Invalid Title" message adds under its text: the removed
// characters and why; for a title that was empty from the start, that a
// title can't be empty. Empty when nothing was removed from a title that
// had characters. The window and sramedit-cli both show it.
std::string invalidTitleDetailText(std::string_view typed, bool filtered);
