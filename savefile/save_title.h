// SPDX-License-Identifier: GPL-3.0-or-later
// Titles that a save takes from its file name, and the fitting of a title
// into a fixed 32-byte field without splitting a double-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The largest title a 32-byte field holds: the text and its NUL.
constexpr std::size_t SAVE_TITLE_MAX_BYTES = 31;

// The file name of path (UTF-8) in CP932, ended at its last '.'; a name
// without a '.' is used whole. Characters CP932 cannot hold are dropped.
std::string titleStemOfPath(std::string_view path);

// The longest run of whole CP932 characters from the start of text that
// takes at most maxBytes bytes. A lone lead byte at the end is dropped.
std::string fitCp932Title(std::string_view text, std::size_t maxBytes);

// The EUC-JP form of the CP932 text, shortened by whole characters from the
// end until the EUC-JP form takes at most maxBytes bytes.
std::string fitEucTitle(std::string_view text, std::size_t maxBytes);

// The text of a fixed title field: its bytes up to the first NUL, or all of
// them when the field holds no NUL.
std::string titleFieldText(const unsigned char* field, std::size_t size);

// Stores text (at most size - 1 bytes) in a field of size bytes and fills
// the rest of the field with zeros.
void storeTitleField(unsigned char* field, std::size_t size, std::string_view text);
