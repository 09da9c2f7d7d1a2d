// The lines sramedit-cli prints about packed saves: which memory a file
// holds, room, the battery save PocketNES restores for a game, a save at
// risk, and what copy, convert and prune did. Each text is written here
// only.
#pragma once

#include "packed_image.h"

#include <cstddef>
#include <string>

// There is no line at index in a packed save.
int reportNoRecord(int index);
// The compression library could not start: nothing was stored.
std::string compressionFailedLine();
// A command that works on packed saves met a slot save.
std::string packedOnlyLine(const char* command, const std::string& savePath);

// readPackedImage gave 4: option is the one that settles it for this file.
std::string memoryUnknownLine(const std::string& savePath, const char* option);
// A store or copy found no room in savePath for what.
// When the save reads alike as both sizes and a 64 KiB memory would have the
// room, the line says how to tell it so.
std::string noRoomLine(const std::string& savePath, const std::string& what, const PackedSaveImage& image,
                       const PackedRoom& room);
// storePackedSave gave 6: the game's battery save PocketNES restores is live.
std::string secondRecordLine(std::size_t live);
// append replaced the game's battery save at index instead of adding one.
std::string appendReplacedLine(std::size_t index);
// The mark of an older battery save in list.
std::string olderMark(std::size_t live);
// What list says of the memory: its size, and how the file holds it.
std::string memoryDescription(const PackedSaveImage& image);
// A game whose newest save PocketNES will drop at its next start.
std::string saveAtRiskLine(const std::string& savePath, const PackedSaveAtRisk& risk);
std::string copiedLine(int index, const std::string& to, std::size_t at, bool replaced);
std::string convertMissingLine(const std::string& savePath, std::size_t missing);
std::string configRecordNotCopiedLine(int index);
std::string pruneRefusedLine();
std::string prunedLine(std::size_t removed, std::size_t freed);
