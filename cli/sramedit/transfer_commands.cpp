// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that move records between packed saves or tidy one: copy,
// convert and prune. Like the others, each writes only when it succeeded.
#include "sramedit_commands.h"

#include "file_io.h"
#include "packed_lines.h"
#include "packed_transfer.h"

namespace {

int packedOnly(const char* command, const std::string& path)
{
    reportWarning(path, packedOnlyText(command));
    return EXIT_FAILED;
}

}  // namespace

int runCopy(const CliArgs& args)
{
    if (isSameFile(args.file, args.savePath)) {
        reportWarning(args.file, "is the file the record comes from; copy it into another save file");
        return EXIT_FAILED;
    }
    OpenedSave from;
    from.memory = args.fromMemory;
    from.memoryOption = "--from-memory";
    if (!openSave(args.savePath, from)) return EXIT_FAILED;
    if (!from.packed) return packedOnly("copy", args.savePath);

    OpenedSave to;
    to.memory = args.memory;
    if (!openSave(args.file, to)) return EXIT_FAILED;
    if (!to.packed) return packedOnly("copy", args.file);
    std::size_t at = 0;
    bool replaces = false;
    const SaveResult copied = copyPackedRecord(*from.records, args.index, *to.records, &at, &replaces);
    // A record that is not there, or may not be copied, is FROM's; no room is TO's.
    if (!copied.ok()) return reportFailure(copied, copied == SaveCode::NoRoom ? args.file : args.savePath);
    if (!writeSave(args.file, to)) return EXIT_FAILED;
    reportNotice(copiedLine(args.index, args.file, at, replaces));
    return EXIT_DONE;
}

int runConvert(const CliArgs& args)
{
    if (!args.output.empty() && pathIsTaken(args.output)) return reportTaken(args.output, "convert -o");
    OpenedSave save;
    if (!openFor(args, save)) return EXIT_FAILED;
    if (!save.packed) return packedOnly("convert", args.savePath);
    if (const SaveResult converted = convertPackedImage(*save.records, args.packedSize); !converted.ok()) {
        return reportFailure(converted, args.savePath);
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
    if (!save.packed) return packedOnly("prune", args.savePath);
    std::size_t removed = 0;
    std::size_t freed = 0;
    if (const SaveResult pruned = prunePackedRecords(*save.records, removed, freed); !pruned.ok()) {
        return reportFailure(pruned, args.savePath);
    }
    if (removed != 0 && !writeSave(args.savePath, save)) return EXIT_FAILED;
    reportNotice(prunedLine(removed, freed));
    return EXIT_DONE;
}
