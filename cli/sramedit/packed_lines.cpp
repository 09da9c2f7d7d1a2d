#include "packed_lines.h"

#include "save_session.h"
#include "text_encoding.h"

int reportNoRecord(int index)
{
    return reportFailure("No record " + std::to_string(index) + " in the save file.");
}

std::string compressionFailedLine()
{
    return "The compression library could not start.";
}

std::string packedOnlyLine(const char* command, const std::string& savePath)
{
    return std::string(command) + " works on packed save files only; " + savePath + " is a slot save file.";
}

std::string memoryUnknownLine(const std::string& savePath, const char* option)
{
    return savePath + ": can't tell whether it holds a 32 KiB or a 64 KiB save memory; give " + option + " 32|64.";
}

std::string noRoomLine(const std::string& savePath, const std::string& what, const PackedSaveImage& image,
                       const PackedRoom& room)
{
    std::string line = "Not enough room in " + savePath + " for " + what + ": it needs " +
                       std::to_string(room.needed) + " more bytes, " + std::to_string(room.available) +
                       " are free.";
    if (packedRoomNeedsMemory(image, room)) {
        line += " Its records stay within the room of a 32 KiB memory, since 32 and 64 KiB hosts read it alike;"
                " if only 64 KiB carts use it, give --memory 64.";
    }
    return line;
}

std::string secondRecordLine(std::size_t live)
{
    return "Not stored: this game's battery save is record " + std::to_string(live) +
           ", the one PocketNES restores; load into record " + std::to_string(live) + " instead.";
}

std::string appendReplacedLine(std::size_t index)
{
    return "Replaced record " + std::to_string(index) + ", the battery save PocketNES restores for this game.";
}

std::string olderMark(std::size_t live)
{
    return "older, PocketNES restores record " + std::to_string(live);
}

std::string memoryDescription(const PackedSaveImage& image)
{
    if (image.eitherSize) return "64 KiB, read alike as 32 KiB (records kept within 32 KiB)";
    return std::to_string(image.size() / 1024) + " KiB" + (image.mirrored ? " (stored twice)" : "");
}

std::string saveAtRiskLine(const std::string& savePath, const PackedSaveAtRisk& risk)
{
    return savePath + ": the newest save of " + cp932ToUtf8(risk.title) +
           " is only in the live area and there is no room to pack it; PocketNES will drop it at its next start. "
           "Free " + std::to_string(risk.bytesToFree) + " bytes (delete or prune records).";
}

std::string copiedLine(int index, const std::string& to, std::size_t at, bool replaced)
{
    return "Copied record " + std::to_string(index) + " to " + to + (replaced ? ", replacing record " : " as record ") +
           std::to_string(at) + ".";
}

std::string convertMissingLine(const std::string& savePath, std::size_t missing)
{
    return savePath + " does not fit a 32 KiB memory: its records take " + std::to_string(missing) +
           " bytes too many (delete or prune records first).";
}

std::string configRecordNotCopiedLine(int index)
{
    return "Record " + std::to_string(index) + " is the configuration record; it belongs to its own save file.";
}

std::string pruneRefusedLine()
{
    return "No record was removed: the records after the older ones would still reach into the live area.";
}

std::string prunedLine(std::size_t removed, std::size_t freed)
{
    if (removed == 0) return "No older battery saves.";
    return "Removed " + std::to_string(removed) + " older battery saves, freed " + std::to_string(freed) + " bytes.";
}
