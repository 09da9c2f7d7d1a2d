// SPDX-License-Identifier: GPL-3.0-or-later
// Rewrites the GBA cartridge header (the first 192 bytes) of an image in place.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// The compressed boot logo every GBA cartridge header carries at offset 4.
extern const std::array<unsigned char, 156> GBA_BOOT_LOGO;

// The bytes of the header's text fields: the title, the game code and the
// maker code; longer texts are cut to them.
constexpr std::size_t GBA_TITLE_BYTES = 12;
constexpr std::size_t GBA_CODE_BYTES = 4;
constexpr std::size_t GBA_MAKER_BYTES = 2;

// What an image's header says when the user gives no text of their own.
constexpr std::string_view GBA_DEFAULT_TITLE = "Korvalinde";
constexpr std::string_view GBA_DEFAULT_GAME_CODE = "KVL";
constexpr std::string_view GBA_DEFAULT_MAKER_CODE = "ZQ";

class OutFile;
class Report;

// Writes the 192 header bytes at the start of an open image (its length grows
// to 192 bytes when shorter); failures are recorded in image.
void writeGbaHeader(OutFile& image, std::string_view title, std::string_view gameCode,
                    std::string_view makerCode);

enum class HeaderFix {
    Rewritten = 0,
    Failed = 1,
};

// Rewrites the header of the image file in place. Rewritten, or Failed when
// the image can't be opened for update (nothing changes then) or a write or
// close fails, after report heard why.
HeaderFix fixGbaHeader(const std::string& imagePath, std::string_view title, std::string_view gameCode,
                       std::string_view makerCode, Report& report);
