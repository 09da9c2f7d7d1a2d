// SPDX-License-Identifier: GPL-3.0-or-later
// Operations on one slot of a save image: fill it from a single-game ".sav"
// file, write it to one, clear it, retitle it, and show its title.
#pragma once

#include "save_image.h"

#include <optional>
#include <string>
#include <string_view>

// Fills slot s from the ".sav" file at path (UTF-8): data, SLOT_USED, the
// title from the file name, extension "sav", checksum.
// Done; Missing (not found or empty); SavTooLarge (larger than 8192 bytes);
// Unreadable (a folder, FIFO or device among them: never opened); the
// documents number them 0 to 3. A failure leaves the image unchanged.
SaveResult loadSlotFromFile(const std::string& path, SaveImage& image, int s);

// Writes the 8192 data bytes of slot s to path (replaced only when complete).
// Done, or WriteFailed (documented as 3) with the system's reason.
SaveResult extractSlot(const std::string& path, const SaveImage& image, int s, WriteMode mode = WriteMode::Replace);

// Clears slot s: zero data and header, SLOT_EMPTY, checksum. Always 0.
int deleteSlot(SaveImage& image, int s);

enum class RenameOutcome { Unchanged, Stored, StoredFixed, Refused };

struct RenameResult {
    RenameOutcome outcome = RenameOutcome::Unchanged;
    std::string shown;  // CP932 text the title box shows afterwards
};

// Retitles slot s (none: no selection) with the typed CP932 text: filtered
// and cut to 21 characters, stored in EUC-JP when the slot is used. Refused
// for an empty filtered text (shown becomes the slot's old title).
RenameResult renameSlot(SaveImage& image, std::optional<int> s, std::string_view typed);

// The used slot's title as CP932 text.
std::string slotDisplayTitle(const SaveImage& image, int s);

// EUC-JP to Shift-JIS; nullopt only when memory runs out.
std::optional<std::string> eucToSjis(std::string_view euc);

// The standard JIS X 0208 to Shift-JIS conversion, in place.
void jisPairToSjis(unsigned char& j1, unsigned char& j2);
