// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that change a save file or write a save out of it. Each one
// works on the image in memory and writes the save file back only when the
// operation succeeded, so a failure leaves the file as it was.
#include "sramedit_commands.h"

#include "file_io.h"
#include "packed_lines.h"
#include "save_messages.h"
#include "save_slots.h"
#include "save_title.h"
#include "text_encoding.h"
#include "title_rules.h"

#include <cstdio>
#include <optional>

namespace {

SaveResult lineFailure(SaveCode code, int index)
{
    SaveResult result = saveFailure(code);
    result.index = static_cast<std::size_t>(index);
    return result;
}

// Why slot index can't be worked on, or Done.
SaveResult usedSlot(const SaveImage& image, int index)
{
    return slotIsUsed(image, index) ? SaveResult{} : lineFailure(SaveCode::EmptySlot, index);
}

// The record at index, if there is one.
std::optional<PackedRecordInfo> recordAt(const PackedSaveImage& image, int index)
{
    const auto records = packedRecords(image);
    if (index < 0 || static_cast<std::size_t>(index) >= records.size()) return std::nullopt;
    return records[static_cast<std::size_t>(index)];
}

// Why record index can't be worked on (none there, or no battery save when
// one must be), or Done.
SaveResult recordFor(const PackedSaveImage& image, int index, bool batterySave)
{
    const auto record = recordAt(image, index);
    if (!record) return lineFailure(SaveCode::NoSuchLine, index);
    if (batterySave && record->type != RECORD_SV) return lineFailure(SaveCode::NotBatterySave, index);
    return {};
}

// A result from the image in memory concerns the save file.
int reportFor(const CliArgs& args, SaveResult result)
{
    if (result.file.empty()) result.file = args.savePath;
    return reportFailure(result);
}

int storeRecord(const CliArgs& args, OpenedSave& save, int index)
{
    if (args.romPath.empty()) return reportUsage("a packed save file needs --rom ROM.nes", args.command);
    std::uint32_t checksum = 0;
    if (const SaveResult rom = romFileChecksum(args.romPath, checksum); !rom.ok()) return reportFailure(rom);
    // The game's battery save that PocketNES restores, which an append replaces.
    std::optional<std::size_t> live;
    const SaveResult stored = storePackedSave(args.file, *save.records, index, checksum, &live);
    if (!stored.ok()) return reportFor(args, stored);
    if (!writeSave(args.savePath, save)) return EXIT_FAILED;
    if (index == PACKED_APPEND && live) reportNotice(appendReplacedLine(*live));
    return EXIT_DONE;
}

// What rename stored, when it is not what was typed: on the error output,
// as the window's "Invalid Title" message says it.
void tellStoredTitle(const CliArgs& args, const std::string& stored, bool filtered)
{
    if (stored == args.title) return;
    const std::string detail = invalidTitleDetailText(args.title, filtered);
    reportWarning(args.savePath, "the title was stored as \"" + stored + "\"" + (detail.empty() ? "" : "; " + detail));
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
        if (const SaveResult line = recordFor(*save.records, args.index, false); !line.ok()) return reportFor(args, line);
        return storeRecord(args, save, args.index);
    }
    if (args.index >= SLOT_COUNT) return reportFor(args, lineFailure(SaveCode::EmptySlot, args.index));
    if (const SaveResult loaded = loadSlotFromFile(args.file, *save.slots, args.index); !loaded.ok()) {
        return reportFor(args, loaded);
    }
    return writeSave(args.savePath, save) ? EXIT_DONE : EXIT_FAILED;
}

int runAppend(const CliArgs& args)
{
    OpenedSave save;
    if (!openFor(args, save)) return EXIT_FAILED;
    if (!save.packed) {
        reportWarning(args.savePath, packedOnlyText("append") + "; use load SAVE INDEX FILE.sav for a slot");
        return EXIT_FAILED;
    }
    return storeRecord(args, save, PACKED_APPEND);
}

int runExtract(const CliArgs& args)
{
    // The save file is never the place for one of its saves; any other file
    // that is there is replaced only when the user said so.
    if (isSameFile(args.file, args.savePath)) {
        reportWarning(args.file, "is the save file itself; extract never writes over it");
        return EXIT_FAILED;
    }
    if (!args.force && pathIsTaken(args.file)) return reportTaken(args.file, "extract");
    // Without --force, a file made meanwhile is refused as the name is made.
    const WriteMode mode = args.force ? WriteMode::Replace : WriteMode::CreateNew;
    OpenedSave save;
    if (!openFor(args, save)) return EXIT_FAILED;
    SaveResult written;
    if (save.packed) {
        written = recordFor(*save.records, args.index, true);
        if (written.ok()) written = extractPackedSave(args.file, *save.records, args.index, mode);
    } else {
        written = usedSlot(*save.slots, args.index);
        if (written.ok()) written = extractSlot(args.file, *save.slots, args.index, mode);
    }
    if (written.errorNumber == EEXIST && !args.force) return reportTaken(args.file, "extract");
    return written.ok() ? EXIT_DONE : reportFor(args, written);
}

int runDelete(const CliArgs& args)
{
    OpenedSave save;
    if (!openFor(args, save)) return EXIT_FAILED;
    SaveResult deleted;
    if (save.packed) {
        deleted = recordFor(*save.records, args.index, false);
        if (deleted.ok()) deleted = deletePackedRecord(*save.records, args.index);
    } else {
        deleted = usedSlot(*save.slots, args.index);
        if (deleted.ok()) deleteSlot(*save.slots, args.index);
    }
    if (!deleted.ok()) return reportFor(args, deleted);
    return writeSave(args.savePath, save) ? EXIT_DONE : EXIT_FAILED;
}

int runRename(const CliArgs& args)
{
    OpenedSave save;
    if (!openFor(args, save)) return EXIT_FAILED;
    // A character that CP932 cannot hold is dropped, like a disallowed one.
    const std::string typed = utf8ToCp932(args.title);
    SaveResult renamed = save.packed ? recordFor(*save.records, args.index, true) : usedSlot(*save.slots, args.index);
    std::string stored;
    if (renamed.ok() && save.packed) {
        stored = fitCp932Title(typed, SAVE_TITLE_MAX_BYTES);
        renamed = stored.empty() ? saveFailure(SaveCode::EmptyTitle) : setPackedTitle(*save.records, args.index, typed);
    } else if (renamed.ok()) {
        const RenameResult result = renameSlot(*save.slots, args.index, typed);
        stored = slotDisplayTitle(*save.slots, args.index);
        if (result.outcome == RenameOutcome::Refused) renamed = saveFailure(SaveCode::EmptyTitle);
    }
    if (renamed == SaveCode::EmptyTitle) renamed.subject = invalidTitleDetailText(args.title, !save.packed);
    if (!renamed.ok()) return reportFor(args, renamed);
    if (!writeSave(args.savePath, save)) return EXIT_FAILED;
    tellStoredTitle(args, cp932ToUtf8(stored), !save.packed);
    return EXIT_DONE;
}

int reportUsage(const std::string& error, CliCommand command)
{
    const std::string word = command == CliCommand::Help ? "" : " " + commandWord(command);
    std::fprintf(stderr, "sramedit-cli: %s\nTry 'sramedit-cli%s --help'.\n", error.c_str(), word.c_str());
    return EXIT_USAGE;
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
    case CliCommand::Help: std::fputs(cliHelp(args.helpFor).c_str(), stdout); return EXIT_DONE;
    case CliCommand::Version: break;
    }
    return EXIT_DONE;
}
