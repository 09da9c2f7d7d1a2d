#include "sramedit_cli_args.h"

#include "packed_image.h"

#include <cstddef>

namespace {

struct CommandShape {
    const char* name;
    CliCommand command;
    std::size_t operands;  // SAVE included
    bool takesRom;
    bool takesPacked;
    bool takesForce;
    bool takesMemory;  // it reads a packed save: --memory (and for copy --from-memory)
};

constexpr CommandShape SHAPES[] = {
    {"list", CliCommand::List, 1, false, false, false, true},
    {"new", CliCommand::New, 1, false, true, false, false},
    {"load", CliCommand::Load, 3, true, false, false, true},
    {"append", CliCommand::Append, 2, true, false, false, true},
    {"extract", CliCommand::Extract, 3, false, false, true, true},
    {"delete", CliCommand::Delete, 2, false, false, false, true},
    {"rename", CliCommand::Rename, 3, false, false, false, true},
    {"copy", CliCommand::Copy, 3, false, false, false, true},
    {"convert", CliCommand::Convert, 1, false, false, false, true},
    {"prune", CliCommand::Prune, 1, false, false, false, true},
};

const CommandShape* findShape(const std::string& name)
{
    for (const CommandShape& shape : SHAPES) {
        if (name == shape.name) return &shape;
    }
    return nullptr;
}

bool parseIndex(const std::string& text, int& index)
{
    if (text.empty() || text.size() > 9) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    index = value;
    return true;
}

// A save memory in KiB: 64 or 32.
bool parseMemorySize(const std::string& text, std::size_t& bytes)
{
    if (text != "64" && text != "32") return false;
    bytes = text == "64" ? PACKED_IMAGE_SIZE : PACKED_SMALL_IMAGE_SIZE;
    return true;
}

bool parseMemory(const std::string& text, PackedMemory& memory)
{
    std::size_t bytes = 0;
    if (!parseMemorySize(text, bytes)) return false;
    memory = bytes == PACKED_IMAGE_SIZE ? PackedMemory::Large : PackedMemory::Small;
    return true;
}

// Places the operands after SAVE: INDEX, FILE.sav, OUT.sav or TITLE.
bool placeOperands(const std::vector<std::string>& ops, CliArgs& args, std::string& error)
{
    args.savePath = ops[0];
    const bool indexed = args.command == CliCommand::Load || args.command == CliCommand::Extract ||
                         args.command == CliCommand::Delete || args.command == CliCommand::Rename ||
                         args.command == CliCommand::Copy;
    if (indexed && !parseIndex(ops[1], args.index)) {
        error = "INDEX must be a number from 0 on: " + ops[1];
        return false;
    }
    if (args.command == CliCommand::Append) args.file = ops[1];
    if (args.command == CliCommand::Load || args.command == CliCommand::Extract || args.command == CliCommand::Copy) {
        args.file = ops[2];
    }
    if (args.command == CliCommand::Rename) args.title = ops[2];
    return true;
}

}  // namespace

bool parseCliArgs(const std::vector<std::string>& words, CliArgs& args, std::string& error)
{
    args = CliArgs();
    if (words.empty()) {
        error = "no command given";
        return false;
    }
    if (words[0] == "-h" || words[0] == "--help" || words[0] == "help") {
        args.command = CliCommand::Help;
        return true;
    }
    const CommandShape* shape = findShape(words[0]);
    if (shape == nullptr) {
        error = "unknown command: " + words[0];
        return false;
    }
    args.command = shape->command;

    const bool takesSize = shape->takesPacked || shape->command == CliCommand::Convert;
    // An option's value: the next word, which must fit parse.
    const auto valueOf = [&](std::size_t& i, const char* need, auto parse) {
        if (i + 1 >= words.size() || !parse(words[i + 1])) {
            error = need;
            return false;
        }
        ++i;
        return true;
    };
    std::vector<std::string> ops;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w == "-o" && !optionsEnded && shape->command == CliCommand::Convert) {
            if (!valueOf(i, "-o needs a file name", [&](const std::string& v) { args.output = v; return !v.empty(); })) {
                return false;
            }
        } else if (optionsEnded || w.size() < 2 || w.compare(0, 2, "--") != 0) {
            ops.push_back(w);
        } else if (w == "--") {
            optionsEnded = true;
        } else if (w == "--rom" && shape->takesRom) {
            if (i + 1 >= words.size()) {
                error = "--rom needs a ROM file";
                return false;
            }
            args.romPath = words[++i];
        } else if (w == "--packed" && shape->takesPacked) {
            args.packed = true;
        } else if (w == "--size" && takesSize) {
            if (!valueOf(i, "--size needs 64 or 32 (KiB of save memory)",
                         [&](const std::string& v) { return parseMemorySize(v, args.packedSize); })) {
                return false;
            }
        } else if ((w == "--memory" || w == "--from-memory") && shape->takesMemory &&
                   (w == "--memory" || shape->command == CliCommand::Copy)) {
            PackedMemory& memory = w == "--memory" ? args.memory : args.fromMemory;
            const std::string need = w + " needs 32 or 64 (KiB of save memory)";
            if (!valueOf(i, need.c_str(),
                         [&](const std::string& v) { return parseMemory(v, memory); })) {
                return false;
            }
        } else if (w == "--force" && shape->takesForce) {
            args.force = true;
        } else {
            error = "unknown option for " + words[0] + ": " + w;
            return false;
        }
    }
    if (ops.size() != shape->operands) {
        error = "wrong number of arguments for " + words[0];
        return false;
    }
    if (args.packedSize != 0 && shape->command == CliCommand::New && !args.packed) {
        error = "--size is for a packed save: new SAVE --packed --size 64|32";
        return false;
    }
    if (args.packedSize == 0 && shape->command == CliCommand::Convert) {
        error = "convert needs --size 32|64";
        return false;
    }
    if (shape->command == CliCommand::Append && args.romPath.empty()) {
        error = "append needs --rom ROM.nes";
        return false;
    }
    return placeOperands(ops, args, error);
}

std::string cliUsage()
{
    return "usage:\n"
           "  sramedit-cli list SAVE [--memory 32|64]\n"
           "  sramedit-cli new SAVE [--packed [--size 64|32]]\n"
           "  sramedit-cli load SAVE INDEX FILE.sav [--rom ROM.nes] [--memory 32|64]\n"
           "  sramedit-cli append SAVE FILE.sav --rom ROM.nes [--memory 32|64]\n"
           "  sramedit-cli extract SAVE INDEX OUT.sav [--force] [--memory 32|64]\n"
           "  sramedit-cli delete SAVE INDEX [--memory 32|64]\n"
           "  sramedit-cli rename SAVE INDEX TITLE [--memory 32|64]\n"
           "  sramedit-cli copy FROM INDEX TO [--memory 32|64] [--from-memory 32|64]\n"
           "  sramedit-cli convert SAVE --size 32|64 [-o OUT] [--memory 32|64]\n"
           "  sramedit-cli prune SAVE [--memory 32|64]\n"
           "  sramedit-cli --version\n"
           "INDEX counts from 0, in the order that list shows.\n"
           "new --packed makes a 64 KiB file holding a 32 KiB memory twice, which mGBA\n"
           "and 32 and 64 KiB carts all read; --size 64 makes a 64 KiB memory (64 KiB\n"
           "carts only), --size 32 a 32 KiB file.\n"
           "--memory says which memory a 64 KiB packed save holds (of TO for copy,\n"
           "--from-memory of FROM) when the file can't tell it.\n"
           "append replaces the game's battery save that PocketNES restores, if any;\n"
           "copy replaces the game's record of the same type in TO, if any; prune\n"
           "removes the older battery saves PocketNES never restores.\n"
           "new and convert -o never overwrite a file; extract replaces OUT.sav only\n"
           "with --force, and never when OUT.sav is SAVE itself.\n"
           "Commands on one SAVE take turns: another waits up to 2 seconds, then fails.\n";
}
