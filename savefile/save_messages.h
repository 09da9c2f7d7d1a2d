// SPDX-License-Identifier: GPL-3.0-or-later
// Every word the save tools show about a save, written once: what a result
// means, in the window (the system's own texts) and on the command line
// ("FILE: reason"), and the facts both list beside a record. Texts are
// UTF-8; titles inside them are converted from the cartridge's CP932.
#pragma once

#include "packed_image.h"
#include "save_result.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The window's words for a result: the first lines of its message.
std::string saveResultText(const SaveResult& result);

// sramedit-cli's line for a result, without the program's name: "FILE:
// reason", the system's reason where there is one.
std::string saveResultLine(const SaveResult& result);

// What a list shows of a slot that holds no save.
extern const char* const EMPTY_SLOT_TEXT;

// A record's type in a list: "ST", "SV", "CFG" or "CHEAT".
std::string recordTypeName(std::uint16_t type);
// A record's line as the editor has always listed it (CP932): "ST:" or "SV:"
// and the title, the title alone for the other types, cut after 32 bytes
// without splitting a character.
std::string recordLineText(const PackedRecordInfo& record);

// The marks beside a line PocketNES treats specially.
std::string liveMarkText();
std::string olderMarkText(std::size_t restored);

// The memory an image is for, and how its file holds it.
std::string memoryText(const PackedSaveImage& image);
// The memory, the records, the bytes used and the bytes free.
std::string roomText(const PackedSaveImage& image);

// A game whose newest save PocketNES will drop at its next start.
std::string saveAtRiskText(const PackedSaveAtRisk& risk);
