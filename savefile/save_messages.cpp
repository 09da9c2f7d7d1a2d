// SPDX-License-Identifier: GPL-3.0-or-later
#include "save_messages.h"

#include "file_io.h"
#include "packed_chain.h"
#include "path_text.h"
#include "save_image.h"
#include "save_input.h"
#include "save_title.h"
#include "text_encoding.h"

#include <string_view>

namespace {

// A line of the editor's record list shows at most this many bytes.
constexpr std::size_t RECORD_LINE_BYTES = 32;

// Words both front ends use inside their own sentences.
constexpr std::string_view MEMORY_UNKNOWN =
    "holds a PocketNES save, but the file can't tell whether it was used with 32 KiB or with 64 KiB of save memory";
constexpr std::string_view COMPRESSION_FAILED = "The compression library could not start";
constexpr std::string_view WOULD_REACH_LIVE_AREA = "would still reach into the live area";

std::string number(std::int64_t n) { return std::to_string(n); }

std::string needsText(const SaveResult& r)
{
    return "it needs " + number(r.bytes) + " more bytes, " + number(r.available) + " are free";
}

// Why a file could not be used, for a line that already names it.
std::string reasonOf(const SaveResult& r, std::string_view fallback)
{
    return r.errorNumber != 0 ? fileErrorText(r.errorNumber) : std::string(fallback);
}

}  // namespace

const char* const EMPTY_SLOT_TEXT = "EMPTY";

SaveResult saveFailure(SaveCode code, const std::string& file, int errorNumber)
{
    SaveResult result;
    result.code = code;
    result.file = file;
    result.errorNumber = errorNumber;
    return result;
}

std::string saveResultText(const SaveResult& r)
{
    const std::string index = number(static_cast<std::int64_t>(r.index));
    switch (r.code) {
    case SaveCode::Done: return {};
    case SaveCode::Missing: return "File not found.";
    case SaveCode::Unreadable: return "File read error";
    case SaveCode::NotASave: return "Not a valid Korvalinde savefile.";
    case SaveCode::MemoryUnknown: return r.file + "\n" + std::string(MEMORY_UNKNOWN) + ".";
    case SaveCode::SavTooLarge: return "File size too big to savefile.";
    case SaveCode::RomTooSmall: return "File size too small.";
    case SaveCode::RomUnreadable: return "file open error.";
    case SaveCode::WriteFailed: return "Could not write\n" + r.file + "\n" + fileErrorText(r.errorNumber);
    case SaveCode::CompressionFailed:
        return std::string(COMPRESSION_FAILED) + ".\n" + fileNameOf(r.subject) + " was not stored.";
    case SaveCode::NoRoom:
        return "There is not enough room in\n" + r.file + "\nfor " + r.subject + ": " + needsText(r) +
               ".\nNothing was stored.";
    case SaveCode::SecondSave:
        return "This game already has a battery save: record " + index +
               ", the one PocketNES restores.\nLoad into record " + index + " instead. Nothing was stored.";
    case SaveCode::EmptyTitle: return "Invalid Title\nCanceled";
    case SaveCode::Damaged: return "The data of this save are damaged and cannot be unpacked.\nNothing was extracted.";
    case SaveCode::ReachesLiveArea:
        if (r.deleting) {
            return "The records after this one " + std::string(WOULD_REACH_LIVE_AREA) +
                   ",\nthe battery memory of the game that ran last. Nothing was deleted.";
        }
        return "No record was removed: the records after the older ones " + std::string(WOULD_REACH_LIVE_AREA) + ".";
    case SaveCode::ConfigRecordNeeded:
        return "This is the configuration record. PocketNES needs it to keep the save\nof the game it runs. "
               "Nothing was deleted.";
    case SaveCode::DoesNotFit:
        return "The records take " + number(r.bytes) +
               " bytes more than a 32 KiB memory has room for.\nDelete records, or remove older ones, first. "
               "Nothing was saved.";
    case SaveCode::NoSuchLine:
    case SaveCode::NotBatterySave:
    case SaveCode::EmptySlot:
    case SaveCode::TitleInLiveArea:
    case SaveCode::ConfigRecordStays:
    case SaveCode::OtherSize:
        // The window offers no such command; the line says it all.
        return saveResultLine(r);
    }
    return saveResultLine(r);
}

std::string saveResultLine(const SaveResult& r)
{
    const std::string record = "record " + number(static_cast<std::int64_t>(r.index));
    std::string reason;
    switch (r.code) {
    case SaveCode::Done: return {};
    case SaveCode::Missing: reason = reasonOf(r, "the file is empty"); break;
    case SaveCode::Unreadable:
    case SaveCode::RomUnreadable:
    case SaveCode::WriteFailed: reason = reasonOf(r, "File read error"); break;
    case SaveCode::NotASave:
        reason = "Not a valid Korvalinde savefile: it is neither a PocketNES save (32 or 64 KiB) nor a "
                 "Korvalinde slot save (64 KiB)";
        break;
    case SaveCode::MemoryUnknown:
        reason = std::string(MEMORY_UNKNOWN) + "; give " + (r.subject.empty() ? "--memory" : r.subject) + " 32|64";
        break;
    case SaveCode::SavTooLarge:
        reason = "File size too big to savefile: " + number(r.bytes) + " bytes, and a save holds at most " +
                 number(static_cast<std::int64_t>(SAVE_MAX_BYTES));
        break;
    case SaveCode::RomTooSmall:
        reason = r.errorNumber != 0 ? fileErrorText(r.errorNumber)
                                    : "File size too small: " + number(r.bytes) +
                                          " bytes, fewer than the checksum of a ROM reads";
        break;
    case SaveCode::CompressionFailed: reason = std::string(COMPRESSION_FAILED) + "; nothing was stored"; break;
    case SaveCode::NoRoom:
        reason = "not enough room for " + r.subject + ": " + needsText(r);
        if (r.largerMemoryFits) {
            reason += "; its records stay within the room of a 32 KiB memory, since 32 and 64 KiB hosts read it "
                      "alike: if only 64 KiB carts use it, give --memory 64";
        }
        break;
    case SaveCode::SecondSave:
        reason = "not stored: this game's battery save is " + record + ", the one PocketNES restores; load into " +
                 record + " instead";
        break;
    case SaveCode::NoSuchLine: reason = "no " + record; break;
    case SaveCode::NotBatterySave: reason = record + " is not a battery save (SV:)"; break;
    case SaveCode::EmptySlot:
        reason = r.index < static_cast<std::size_t>(SLOT_COUNT)
                     ? "slot " + number(static_cast<std::int64_t>(r.index)) + " is empty"
                     : "no slot " + number(static_cast<std::int64_t>(r.index)) + ": slots are 0 to " +
                           number(SLOT_COUNT - 1);
        break;
    case SaveCode::Damaged: reason = "the save data of " + record + " are damaged"; break;
    case SaveCode::EmptyTitle: reason = "Invalid Title: " + (r.subject.empty() ? "no title given" : r.subject); break;
    case SaveCode::TitleInLiveArea: reason = record + " lies in the live area; its title can't be changed"; break;
    case SaveCode::ReachesLiveArea:
        reason = r.deleting ? record + " was not deleted: the records after it " + std::string(WOULD_REACH_LIVE_AREA)
                            : "no record was removed: the records after the older ones " +
                                  std::string(WOULD_REACH_LIVE_AREA);
        break;
    case SaveCode::ConfigRecordNeeded:
        reason = record + " is the configuration record; PocketNES needs it to keep the running game's save";
        break;
    case SaveCode::ConfigRecordStays:
        reason = record + " is the configuration record; it belongs to its own save file";
        break;
    case SaveCode::OtherSize: reason = "a save memory is 32 or 64 KiB, and the records must be whole"; break;
    case SaveCode::DoesNotFit:
        reason = "does not fit a 32 KiB memory: its records take " + number(r.bytes) +
                 " bytes too many (delete or prune records first)";
        break;
    }
    return r.file.empty() ? reason : r.file + ": " + reason;
}

std::string recordTypeName(std::uint16_t type)
{
    switch (type) {
    case RECORD_ST: return "ST";
    case RECORD_SV: return "SV";
    case RECORD_PLAIN: return "CFG";
    default: return "CHEAT";
    }
}

std::string recordLineText(const PackedRecordInfo& record)
{
    std::string line;
    if (record.type == RECORD_ST || record.type == RECORD_SV) line = recordTypeName(record.type) + ":";
    return fitCp932Title(line + record.title, RECORD_LINE_BYTES);
}

std::string liveMarkText()
{
    return "live: the newest save is in the live area";
}

std::string olderMarkText(std::size_t restored)
{
    return "older, PocketNES restores record " + std::to_string(restored);
}

std::string memoryText(const PackedSaveImage& image)
{
    if (image.eitherSize) return "64 KiB, read alike as 32 KiB (records kept within 32 KiB)";
    return std::to_string(image.size() / 1024) + " KiB" + (image.mirrored ? " (stored twice)" : "");
}

std::string roomText(const PackedSaveImage& image)
{
    // One walk of the chain gives the records, their bytes and the room left.
    const PackedChain chain = walkPackedChain(image);
    std::size_t used = 0;
    for (const ChainRecord& r : chain.records) used += r.size;
    return memoryText(image) + ", " + std::to_string(chain.records.size()) + " records, " + std::to_string(used) +
           " bytes used, " + std::to_string(chainFreeBytes(image, chain)) + " bytes free";
}

std::string saveAtRiskText(const PackedSaveAtRisk& risk)
{
    return "The newest save of " + cp932ToUtf8(risk.title) +
           " is only in the live area, and there is no room to pack it: PocketNES will drop it at its next start "
           "(\"Write error! Memory full\"). Free " +
           std::to_string(risk.bytesToFree) + " bytes (delete records, or remove older ones).";
}
