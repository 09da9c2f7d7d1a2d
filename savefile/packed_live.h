// SPDX-License-Identifier: GPL-3.0-or-later
// The live area of a packed save image and its owner. PocketNES runs a game
// on the battery memory in the live area and names the game in the
// configuration record; only at its next start does it pack the live area
// into that game's battery save. Until then the live area is the game's
// newest save, and the record in the chain is older.
#pragma once

#include "packed_chain.h"
#include "packed_image.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct LiveArea {
    std::uint32_t owner = 0;  // romChecksum of the game in the live area; 0 none
    std::optional<std::size_t> configIndex;
    std::optional<std::size_t> ownerRecord;  // that game's last battery save
    // The line standing for the live save: the owner's record, or the line
    // after the last record when the game has none.
    std::optional<std::size_t> line;
};

LiveArea liveAreaOf(const PackedSaveImage& image, const PackedChain& chain);

// The title of a battery save made from the live area, when the game has no
// record to take a title from: its ROM checksum, "ROM 1A2B3C4D".
std::string liveSaveTitle(std::uint32_t owner);

// Owner 0 and, when no record reaches into it, a live area of zeros (what
// PocketNES leaves after packing it): at its next start PocketNES packs
// nothing, and a game without a save starts on blank memory. An image of
// either size has two places that may be the live area: both are cleared.
void releaseLiveArea(PackedSaveImage& image);

// The battery save PocketNES would make of the live area: the owner's last
// record's header (title, checksum, word 8) over the live data compressed, or
// a new header titled by liveSaveTitle. False without an owner or when the
// library can't compress.
bool makeLiveRecord(const PackedSaveImage& image, const PackedChain& chain, const LiveArea& live,
                    std::vector<unsigned char>& record);

// Does in memory what PocketNES does at its next start: packs the live area
// into its owner's last battery save (in place, keeping the title) or into a
// new record, then releases the live area. Only when the chain then still
// ends below the live area and the packed save unpacks to the live data;
// true when it did.
bool packLiveArea(PackedSaveImage& image);
