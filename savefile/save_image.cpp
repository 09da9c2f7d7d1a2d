// SPDX-License-Identifier: GPL-3.0-or-later
#include "save_image.h"

#include "byte_order.h"
#include "file_io.h"
#include "save_input.h"

namespace {

constexpr std::size_t CHECKSUM_WORDS = 71;  // the magic and the seven slot headers
static_assert(CHECKSUM_WORDS * 4 == CHECKSUM_OFFSET);

std::uint32_t slotState(const SaveImage& image, int s)
{
    return getLe32(image.data() + slotHeaderOffset(s));
}

bool isValidImage(const SaveImage& image)
{
    if (getLe32(image.data()) != SAVE_IMAGE_MAGIC) return false;
    for (int s = 0; s < SLOT_COUNT; ++s) {
        const std::uint32_t state = slotState(image, s);
        if (state != SLOT_USED && state != SLOT_EMPTY) return false;
    }
    return getLe32(image.data() + CHECKSUM_OFFSET) == saveImageChecksum(image);
}

SaveResult failBlank(SaveImage& image, SaveResult result)
{
    blankSaveImage(image);
    return result;
}

}  // namespace

std::uint32_t saveImageChecksum(const SaveImage& image)
{
    std::uint32_t sum = 0;
    for (std::size_t w = 0; w < CHECKSUM_WORDS; ++w) sum ^= getLe32(image.data() + 4 * w);
    return sum;
}

int blankSaveImage(SaveImage& image)
{
    image.fill(0);
    putLe32(image.data(), SAVE_IMAGE_MAGIC);
    for (int s = 0; s < SLOT_COUNT; ++s) putLe32(image.data() + slotHeaderOffset(s), SLOT_EMPTY);
    putLe32(image.data() + CHECKSUM_OFFSET, saveImageChecksum(image));
    return 0;
}

SaveResult readSaveImage(const std::string& path, SaveImage& image)
{
    InFile in;
    // A folder, FIFO or device is there but can't be read: not "not found".
    const SaveResult opened = openSaveInput(path, in);
    if (!opened.ok()) return failBlank(image, opened);
    if (in.size() != static_cast<std::int64_t>(SAVE_IMAGE_SIZE)) return failBlank(image, saveFailure(SaveCode::NotASave, path));
    // A file that shrinks or fails while being read is a read failure, not
    // a damaged image.
    if (in.read(image.data(), SAVE_IMAGE_SIZE) != SAVE_IMAGE_SIZE) return failBlank(image, shortRead(path, in));
    if (!isValidImage(image)) return failBlank(image, saveFailure(SaveCode::NotASave, path));
    return {};
}

SaveResult writeSaveImage(const std::string& path, SaveImage& image, WriteMode mode)
{
    putLe32(image.data(), SAVE_IMAGE_MAGIC);
    for (int s = 0; s < SLOT_COUNT; ++s) {
        if (slotState(image, s) != SLOT_USED) putLe32(image.data() + slotHeaderOffset(s), SLOT_EMPTY);
    }
    putLe32(image.data() + CHECKSUM_OFFSET, saveImageChecksum(image));

    const int err = replaceFileWith(path, image.data(), image.size(), mode);
    return err == 0 ? SaveResult{} : saveFailure(SaveCode::WriteFailed, path, err);
}

bool slotIsUsed(const SaveImage& image, int s)
{
    return s >= 0 && s < SLOT_COUNT && slotState(image, s) == SLOT_USED;
}
