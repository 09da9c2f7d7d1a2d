// The commands that change a save file or write a save out of it. Each one
// works on the image in memory and writes the save file back only when the
// operation succeeded, so a failure leaves the file as it was.
#include "sramedit_commands.h"

#include "file_io.h"
#include "packed_lines.h"
#include "save_session.h"
#include "save_slots.h"
#include "text_encoding.h"

#include <cerrno>
#include <cstdio>
#include <optional>

namespace {

// The editor's messages for the codes of loading a ".sav" file (5 and 6 are
// told by the packed store itself).
int reportSavRead(int code)
{
    switch (code) {
    case 1: return reportFailure("File not found.");
    case 2: return reportFailure("File size too big to savefile.");
    case 3: return reportFailure("File read error");
    default: return reportFailure(compressionFailedLine());
    }
}

int reportNoSlot(int index)
{
    return reportFailure("No slot " + std::to_string(index) + ": slots are 0 to " +
                         std::to_string(SLOT_COUNT - 1) + ".");
}

int reportEmptySlot(int index)
{
    return reportFailure("Slot " + std::to_string(index) + " is empty.");
}

int reportNotBatterySave(int index)
{
    return reportFailure("Record " + std::to_string(index) + " is not a battery save (SV:).");
}

// The record at index, if there is one.
std::optional<PackedRecordInfo> recordAt(const PackedSaveImage& image, int index)
{
    const auto records = packedRecords(image);
    if (index < 0 || static_cast<std::size_t>(index) >= records.size()) return std::nullopt;
    return records[static_cast<std::size_t>(index)];
}

// The ROM's checksum for a packed record; false after printing the reason.
bool romChecksumOf(const std::string& romPath, std::uint32_t& checksum)
{
    if (reportIfUnreadable(romPath)) return false;
    switch (romFileChecksum(romPath, checksum)) {
    case 0: return true;
    case 1: reportFailure("File size too small."); return false;
    default: reportFailure("file open error."); return false;
    }
}

int storeRecord(const CliArgs& args, OpenedSave& save, int index)
{
    if (args.romPath.empty()) {
        std::fprintf(stderr, "sramedit-cli: a packed save file needs --rom ROM.nes\n");
        return EXIT_USAGE;
    }
    if (reportIfUnreadable(args.file)) return EXIT_FAILED;
    std::uint32_t checksum = 0;
    if (!romChecksumOf(args.romPath, checksum)) return EXIT_FAILED;
    // The game's battery save that PocketNES restores, which an append replaces.
    const std::optional<std::size_t> live = packedLiveRecord(*save.records, RECORD_SV, checksum);
    PackedRoom room;
    const int code = storePackedSave(args.file, *save.records, index, checksum, nullptr, &room);
    if (code == 5) return reportFailure(noRoomLine(args.savePath, args.file, *save.records, room));
    if (code == 6) return reportFailure(secondRecordLine(live.value_or(0)));
    if (code != 0) return reportSavRead(code);
    if (!writeSave(args.savePath, save)) return EXIT_FAILED;
    if (index == PACKED_APPEND && live) reportNotice(appendReplacedLine(*live));
    return EXIT_DONE;
}

}  // namespace

bool openFor(const CliArgs& args, OpenedSave& save)
{
    save.memory = args.memory;
    return openSave(args.savePath, save);
}

int runNew(const CliArgs& args)
{
    if (pathIsTaken(args.savePath)) return reportTaken(args.savePath, "new");
    OpenedSave save;
    save.packed = args.packed;
    if (save.packed) {
        // Without --size: a 32 KiB memory twice in a 64 KiB file, which mGBA,
        // 32 KiB and 64 KiB carts all read alike.
        if (args.packedSize == 0) {
            newPackedImage(*save.records, PACKED_SMALL_IMAGE_SIZE, true);
        } else {
            newPackedImage(*save.records, args.packedSize);
        }
    } else {
        blankSaveImage(*save.slots);
    }
    // A file made meanwhile is refused as the name is made, too.
    return writeSave(args.savePath, save, WriteMode::CreateNew) ? EXIT_DONE : EXIT_FAILED;
}

int runLoad(const CliArgs& args)
{
    OpenedSave save;
    if (!openFor(args, save)) return EXIT_FAILED;
    if (save.packed) {
        // Like the editor, load replaces a record that is there; append adds one.
        if (!recordAt(*save.records, args.index)) return reportNoRecord(args.index);
        return storeRecord(args, save, args.index);
    }
    if (args.index >= SLOT_COUNT) return reportNoSlot(args.index);
    if (reportIfUnreadable(args.file)) return EXIT_FAILED;
    const int code = loadSlotFromFile(args.file, *save.slots, args.index);
    if (code != 0) return reportSavRead(code);
    return writeSave(args.savePath, save) ? EXIT_DONE : EXIT_FAILED;
}

int runAppend(const CliArgs& args)
{
    OpenedSave save;
    if (!openFor(args, save)) return EXIT_FAILED;
    if (!save.packed) {
        return reportFailure("append works on a packed save file only; use load SAVE INDEX FILE.sav for a slot.");
    }
    return storeRecord(args, save, PACKED_APPEND);
}

int runExtract(const CliArgs& args)
{
    // The save file is never the place for one of its saves; any other file
    // that is there is replaced only when the user said so.
    if (isSameFile(args.file, args.savePath)) {
        return reportFailure(args.file + " is the save file itself; extract never writes over it.");
    }
    if (!args.force && pathIsTaken(args.file)) return reportTaken(args.file, "extract");
    // Without --force, a file made meanwhile is refused as the name is made.
    const WriteMode mode = args.force ? WriteMode::Replace : WriteMode::CreateNew;
    OpenedSave save;
    if (!openFor(args, save)) return EXIT_FAILED;
    int code = 0;
    int reason = 0;
    if (save.packed) {
        const auto record = recordAt(*save.records, args.index);
        if (!record) return reportNoRecord(args.index);
        if (record->type != RECORD_SV) return reportNotBatterySave(args.index);
        code = extractPackedSave(args.file, *save.records, args.index, &reason, mode);
        if (code == 4) return reportFailure("The save data of record " + std::to_string(args.index) + " are damaged.");
    } else {
        if (args.index >= SLOT_COUNT) return reportNoSlot(args.index);
        if (!slotIsUsed(*save.slots, args.index)) return reportEmptySlot(args.index);
        code = extractSlot(args.file, *save.slots, args.index, &reason, mode);
    }
    if (code != 0 && reason == EEXIST && !args.force) return reportTaken(args.file, "extract");
    if (code != 0) return reportFailure("Cannot write " + args.file + ": " + fileErrorText(reason) + ".");
    return EXIT_DONE;
}

int runDelete(const CliArgs& args)
{
    OpenedSave save;
    if (!openFor(args, save)) return EXIT_FAILED;
    if (save.packed) {
        if (!recordAt(*save.records, args.index)) return reportNoRecord(args.index);
        const int code = deletePackedRecord(*save.records, args.index);
        if (code == 5) {
            return reportFailure("Record " + std::to_string(args.index) +
                                 " was not deleted: the records after it would still reach into the live area.");
        }
        if (code == 6) {
            return reportFailure("Record " + std::to_string(args.index) +
                                 " is the configuration record; PocketNES needs it to keep the running game's save.");
        }
    } else {
        if (args.index >= SLOT_COUNT) return reportNoSlot(args.index);
        if (!slotIsUsed(*save.slots, args.index)) return reportEmptySlot(args.index);
        deleteSlot(*save.slots, args.index);
    }
    return writeSave(args.savePath, save) ? EXIT_DONE : EXIT_FAILED;
}

int runRename(const CliArgs& args)
{
    OpenedSave save;
    if (!openFor(args, save)) return EXIT_FAILED;
    // A character that CP932 cannot hold is dropped, like a disallowed one.
    bool dropped = false;
    const std::string typed = utf8ToCp932(args.title, &dropped);
    if (save.packed) {
        const auto record = recordAt(*save.records, args.index);
        if (!record) return reportNoRecord(args.index);
        if (record->type != RECORD_SV) return reportNotBatterySave(args.index);
        if (typed.empty()) return reportFailure("Invalid Title\nCanceled");
        if (setPackedTitle(*save.records, args.index, typed) != 0) {
            return reportFailure("Record " + std::to_string(args.index) +
                                 " lies in the live area; its title can't be changed.");
        }
    } else {
        if (args.index >= SLOT_COUNT) return reportNoSlot(args.index);
        if (!slotIsUsed(*save.slots, args.index)) return reportEmptySlot(args.index);
        const RenameResult result = renameSlot(*save.slots, args.index, typed);
        if (result.outcome == RenameOutcome::Refused) return reportFailure("Invalid Title\nCanceled");
        dropped = dropped || result.outcome == RenameOutcome::StoredFixed;
    }
    if (!writeSave(args.savePath, save)) return EXIT_FAILED;
    if (dropped) reportNotice("Invalid Title\nFixed");
    return EXIT_DONE;
}

int runCommand(const CliArgs& args)
{
    switch (args.command) {
    case CliCommand::List: return runList(args);
    case CliCommand::New: return runNew(args);
    case CliCommand::Load: return runLoad(args);
    case CliCommand::Append: return runAppend(args);
    case CliCommand::Extract: return runExtract(args);
    case CliCommand::Delete: return runDelete(args);
    case CliCommand::Rename: return runRename(args);
    case CliCommand::Copy: return runCopy(args);
    case CliCommand::Convert: return runConvert(args);
    case CliCommand::Prune: return runPrune(args);
    case CliCommand::Help: break;
    }
    std::fputs(cliUsage().c_str(), stdout);
    return EXIT_DONE;
}
