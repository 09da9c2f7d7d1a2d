// SPDX-License-Identifier: GPL-3.0-or-later
#include "packed_lines.h"

std::string packedOnlyText(const char* command)
{
    return std::string("a slot save file; ") + command + " works on packed save files only";
}

std::string appendReplacedLine(std::size_t index)
{
    return "Replaced record " + std::to_string(index) + ", the battery save PocketNES restores for this game.";
}

std::string copiedLine(int index, const std::string& to, std::size_t at, bool replaced)
{
    return "Copied record " + std::to_string(index) + " to " + to + (replaced ? ", replacing record " : " as record ") +
           std::to_string(at) + ".";
}

std::string prunedLine(std::size_t removed, std::size_t freed)
{
    if (removed == 0) return "No older battery saves.";
    return "Removed " + std::to_string(removed) + " older battery saves, freed " + std::to_string(freed) + " bytes.";
}
