// SPDX-License-Identifier: GPL-3.0-or-later
#include "save_slots.h"

#include "byte_order.h"
#include "file_io.h"
#include "save_input.h"
#include "save_title.h"
#include "sjis.h"
#include "title_rules.h"

#include <algorithm>
#include <cstring>
#include <vector>

// Slot numbers outside 0-6 are a caller's mistake; they never touch memory
// outside the image: loading and extracting give EmptySlot, the others do
// nothing.

// A slot holds one game's whole save.
static_assert(SLOT_DATA_SIZE == SAVE_MAX_BYTES);

namespace {

bool isSlotNumber(int s)
{
    return s >= 0 && s < SLOT_COUNT;
}

void storeChecksum(SaveImage& image)
{
    putLe32(image.data() + CHECKSUM_OFFSET, saveImageChecksum(image));
}

void storeEucTitle(SaveImage& image, int s, std::string_view euc)
{
    storeTitleField(image.data() + slotTitleOffset(s), SLOT_TITLE_SIZE, euc);
}

// A slot number beyond the image.
SaveResult noSuchSlot(int s)
{
    SaveResult result = saveFailure(SaveCode::EmptySlot);
    result.index = static_cast<std::size_t>(s < 0 ? SLOT_COUNT : s);
    return result;
}

}  // namespace

SaveResult loadSlotFromFile(const std::string& path, SaveImage& image, int s)
{
    InFile in;
    const SaveResult opened = openSavFile(path, in);
    if (!opened.ok()) return opened;
    if (!isSlotNumber(s)) return noSuchSlot(s);
    // Read before touching the slot, so a failed read leaves it as it was.
    std::vector<unsigned char> data(SLOT_DATA_SIZE, 0);
    const auto wanted = static_cast<std::size_t>(in.size());
    if (in.read(data.data(), wanted) != wanted) return shortRead(path, in);

    std::copy(data.begin(), data.end(), image.begin() + static_cast<std::ptrdiff_t>(slotDataOffset(s)));
    putLe32(image.data() + slotHeaderOffset(s), SLOT_USED);
    storeEucTitle(image, s, fitEucTitle(titleStemOfPath(path), SAVE_TITLE_MAX_BYTES));
    static const unsigned char extension[4] = {'s', 'a', 'v', 0};
    std::memcpy(image.data() + slotExtensionOffset(s), extension, sizeof extension);
    storeChecksum(image);
    return {};
}

SaveResult extractSlot(const std::string& path, const SaveImage& image, int s, WriteMode mode)
{
    if (!isSlotNumber(s)) return noSuchSlot(s);
    const int err = replaceFileWith(path, image.data() + slotDataOffset(s), SLOT_DATA_SIZE, mode);
    return err == 0 ? SaveResult{} : saveFailure(SaveCode::WriteFailed, path, err);
}

int deleteSlot(SaveImage& image, int s)
{
    if (!isSlotNumber(s)) return 0;
    std::memset(image.data() + slotDataOffset(s), 0, SLOT_DATA_SIZE);
    std::memset(image.data() + slotHeaderOffset(s), 0, SLOT_HEADER_SIZE);
    putLe32(image.data() + slotHeaderOffset(s), SLOT_EMPTY);
    storeChecksum(image);
    return 0;
}

RenameResult renameSlot(SaveImage& image, std::optional<int> s, std::string_view typed)
{
    RenameResult result;
    std::string filtered(typed);
    const bool dropped = filterTitle(filtered) != 0;
    result.shown = filtered;
    if (!s || !slotIsUsed(image, *s)) return result;
    if (filtered.empty()) {
        result.outcome = RenameOutcome::Refused;
        result.shown = slotDisplayTitle(image, *s);
        return result;
    }
    // Twenty-one half-width katakana take 42 bytes in EUC-JP; such a title
    // loses whole characters from its end until it fits, and the box then
    // shows what was stored.
    const std::string euc = fitEucTitle(filtered, SAVE_TITLE_MAX_BYTES);
    storeEucTitle(image, *s, euc);
    if (euc != sjisToEuc(filtered).value_or(std::string())) result.shown = slotDisplayTitle(image, *s);
    result.outcome = dropped ? RenameOutcome::StoredFixed : RenameOutcome::Stored;
    return result;
}

std::string slotDisplayTitle(const SaveImage& image, int s)
{
    if (!isSlotNumber(s)) return std::string();
    const std::string euc = titleFieldText(image.data() + slotTitleOffset(s), SLOT_TITLE_SIZE);
    return eucToSjis(euc).value_or(std::string());
}
