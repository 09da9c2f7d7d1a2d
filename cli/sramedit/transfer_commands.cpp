// The commands that move records between packed saves or tidy one: copy,
// convert and prune. Like the others, each writes only when it succeeded.
#include "sramedit_commands.h"

#include "file_io.h"
#include "packed_lines.h"
#include "packed_transfer.h"

int runCopy(const CliArgs& args)
{
    if (isSameFile(args.file, args.savePath)) {
        return reportFailure(args.file + " is the file the record comes from; copy it into another save file.");
    }
    OpenedSave from;
    from.memory = args.fromMemory;
    from.memoryOption = "--from-memory";
    if (!openSave(args.savePath, from)) return EXIT_FAILED;
    if (!from.packed) return reportFailure(packedOnlyLine("copy", args.savePath));
    const auto lines = packedRecords(*from.records);
    if (static_cast<std::size_t>(args.index) >= lines.size()) return reportNoRecord(args.index);
    const PackedRecordInfo& line = lines[static_cast<std::size_t>(args.index)];
    if (line.type == RECORD_PLAIN) return reportFailure(configRecordNotCopiedLine(args.index));

    OpenedSave to;
    to.memory = args.memory;
    if (!openSave(args.file, to)) return EXIT_FAILED;
    if (!to.packed) return reportFailure(packedOnlyLine("copy", args.file));
    const bool replaces = packedLiveRecord(*to.records, line.type, line.romChecksum).has_value();
    PackedRoom room;
    std::size_t at = 0;
    const int code = copyPackedRecord(*from.records, args.index, *to.records, &room, &at);
    if (code == 5) {
        return reportFailure(
            noRoomLine(args.file, "record " + std::to_string(args.index), *to.records, room));
    }
    if (code == 4) return reportFailure(compressionFailedLine());
    if (code != 0) return reportNoRecord(args.index);
    if (!writeSave(args.file, to)) return EXIT_FAILED;
    reportNotice(copiedLine(args.index, args.file, at, replaces));
    return EXIT_DONE;
}

int runConvert(const CliArgs& args)
{
    if (!args.output.empty() && pathIsTaken(args.output)) return reportTaken(args.output, "convert -o");
    OpenedSave save;
    if (!openFor(args, save)) return EXIT_FAILED;
    if (!save.packed) return reportFailure(packedOnlyLine("convert", args.savePath));
    std::size_t missing = 0;
    if (convertPackedImage(*save.records, args.packedSize, &missing) != 0) {
        return reportFailure(convertMissingLine(args.savePath, missing));
    }
    // A file that appears at OUT meanwhile is refused as the name is made.
    const bool ok = args.output.empty() ? writeSave(args.savePath, save)
                                        : writeSave(args.output, save, WriteMode::CreateNew, "convert -o");
    return ok ? EXIT_DONE : EXIT_FAILED;
}

int runPrune(const CliArgs& args)
{
    OpenedSave save;
    if (!openFor(args, save)) return EXIT_FAILED;
    if (!save.packed) return reportFailure(packedOnlyLine("prune", args.savePath));
    std::size_t removed = 0;
    std::size_t freed = 0;
    if (prunePackedRecords(*save.records, removed, freed) != 0) return reportFailure(pruneRefusedLine());
    if (removed != 0 && !writeSave(args.savePath, save)) return EXIT_FAILED;
    reportNotice(prunedLine(removed, freed));
    return EXIT_DONE;
}
