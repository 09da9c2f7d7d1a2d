// SPDX-License-Identifier: GPL-3.0-or-later
#include "gba_header.h"

#include "file_io.h"
#include "report.h"

#include <cstddef>

// The logo bitmap that the GBA's boot code compares with its own copy before
// it starts a cartridge; it is the same in every cartridge header.
const std::array<unsigned char, 156> GBA_BOOT_LOGO = {
    0x24, 0xFF, 0xAE, 0x51, 0x69, 0x9A, 0xA2, 0x21, 0x3D, 0x84, 0x82, 0x0A,
    0x84, 0xE4, 0x09, 0xAD, 0x11, 0x24, 0x8B, 0x98, 0xC0, 0x81, 0x7F, 0x21,
    0xA3, 0x52, 0xBE, 0x19, 0x93, 0x09, 0xCE, 0x20, 0x10, 0x46, 0x4A, 0x4A,
    0xF8, 0x27, 0x31, 0xEC, 0x58, 0xC7, 0xE8, 0x33, 0x82, 0xE3, 0xCE, 0xBF,
    0x85, 0xF4, 0xDF, 0x94, 0xCE, 0x4B, 0x09, 0xC1, 0x94, 0x56, 0x8A, 0xC0,
    0x13, 0x72, 0xA7, 0xFC, 0x9F, 0x84, 0x4D, 0x73, 0xA3, 0xCA, 0x9A, 0x61,
    0x58, 0x97, 0xA3, 0x27, 0xFC, 0x03, 0x98, 0x76, 0x23, 0x1D, 0xC7, 0x61,
    0x03, 0x04, 0xAE, 0x56, 0xBF, 0x38, 0x84, 0x00, 0x40, 0xA7, 0x0E, 0xFD,
    0xFF, 0x52, 0xFE, 0x03, 0x6F, 0x95, 0x30, 0xF1, 0x97, 0xFB, 0xC0, 0x85,
    0x60, 0xD6, 0x80, 0x25, 0xA9, 0x63, 0xBE, 0x03, 0x01, 0x4E, 0x38, 0xE2,
    0xF9, 0xA2, 0x34, 0xFF, 0xBB, 0x3E, 0x03, 0x44, 0x78, 0x00, 0x90, 0xCB,
    0x88, 0x11, 0x3A, 0x94, 0x65, 0xC0, 0x7C, 0x63, 0x87, 0xF0, 0x3C, 0xAF,
    0xD6, 0x25, 0xE4, 0x8B, 0x38, 0x0A, 0xAC, 0x72, 0x21, 0xD4, 0xF8, 0x07,
};

namespace {

// An ARM branch from offset 0 to offset 0xC0, just past the header.
constexpr std::array<unsigned char, 4> ENTRY_BRANCH = {0x2E, 0x00, 0x00, 0xEA};

// Offsets within the 32 bytes from 0xA0 to 0xBF.
constexpr std::size_t TITLE_AT = 0;
constexpr std::size_t TITLE_MAX = GBA_TITLE_BYTES;
constexpr std::size_t GAME_CODE_AT = 12;
constexpr std::size_t GAME_CODE_MAX = GBA_CODE_BYTES;
constexpr std::size_t MAKER_CODE_AT = 16;
constexpr std::size_t MAKER_CODE_MAX = GBA_MAKER_BYTES;
constexpr std::size_t FIXED_VALUE_AT = 18;
constexpr unsigned char FIXED_VALUE = 0x96;
constexpr std::size_t CHECKED_BYTES = 29;  // 0xA0 to 0xBC
constexpr std::size_t COMPLEMENT_AT = 29;  // 0xBD
static_assert(GAME_CODE_AT == TITLE_AT + TITLE_MAX && MAKER_CODE_AT == GAME_CODE_AT + GAME_CODE_MAX);
static_assert(FIXED_VALUE_AT == MAKER_CODE_AT + MAKER_CODE_MAX);
static_assert(COMPLEMENT_AT == CHECKED_BYTES);

void putText(unsigned char* field, std::string_view text, std::size_t max)
{
    for (std::size_t i = 0; i < text.size() && i < max && text[i] != '\0'; ++i) {
        field[i] = static_cast<unsigned char>(text[i]);
    }
}

}  // namespace

void writeGbaHeader(OutFile& image, std::string_view title, std::string_view gameCode,
                    std::string_view makerCode)
{
    image.seek(0);
    image.write(ENTRY_BRANCH.data(), ENTRY_BRANCH.size());
    image.write(GBA_BOOT_LOGO.data(), GBA_BOOT_LOGO.size());

    std::array<unsigned char, 32> fields{};
    putText(fields.data() + TITLE_AT, title, TITLE_MAX);
    putText(fields.data() + GAME_CODE_AT, gameCode, GAME_CODE_MAX);
    putText(fields.data() + MAKER_CODE_AT, makerCode, MAKER_CODE_MAX);
    fields[FIXED_VALUE_AT] = FIXED_VALUE;
    unsigned sum = 0;
    for (std::size_t i = 0; i < CHECKED_BYTES; ++i) sum += fields[i];
    fields[COMPLEMENT_AT] = static_cast<unsigned char>((0xE7u - sum) & 0xFFu);
    image.write(fields.data(), fields.size());
}

HeaderFix fixGbaHeader(const std::string& imagePath, std::string_view title, std::string_view gameCode,
                       std::string_view makerCode, Report& report)
{
    OutFile image;
    if (image.openForUpdate(imagePath)) {
        writeGbaHeader(image, title, gameCode, makerCode);
        if (image.close()) return HeaderFix::Rewritten;
    }
    report.fileProblem(imagePath, image.errorNumber());
    return HeaderFix::Failed;
}
