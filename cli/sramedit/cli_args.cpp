#include "cli_args.h"

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
};

constexpr CommandShape SHAPES[] = {
    {"list", CliCommand::List, 1, false, false, false},
    {"new", CliCommand::New, 1, false, true, false},
    {"load", CliCommand::Load, 3, true, false, false},
    {"append", CliCommand::Append, 2, true, false, false},
    {"extract", CliCommand::Extract, 3, false, false, true},
    {"delete", CliCommand::Delete, 2, false, false, false},
    {"rename", CliCommand::Rename, 3, false, false, false},
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

// The save memory of a new packed image, in KiB: 64 or 32.
bool parseMemorySize(const std::string& text, std::size_t& bytes)
{
    if (text != "64" && text != "32") return false;
    bytes = text == "64" ? PACKED_IMAGE_SIZE : PACKED_SMALL_IMAGE_SIZE;
    return true;
}

// Places the operands after SAVE: INDEX, FILE.sav, OUT.sav or TITLE.
bool placeOperands(const std::vector<std::string>& ops, CliArgs& args, std::string& error)
{
    args.savePath = ops[0];
    const bool indexed = args.command == CliCommand::Load || args.command == CliCommand::Extract ||
                         args.command == CliCommand::Delete || args.command == CliCommand::Rename;
    if (indexed && !parseIndex(ops[1], args.index)) {
        error = "INDEX must be a number from 0 on: " + ops[1];
        return false;
    }
    if (args.command == CliCommand::Append) args.file = ops[1];
    if (args.command == CliCommand::Load || args.command == CliCommand::Extract) args.file = ops[2];
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

    std::vector<std::string> ops;
    bool optionsEnded = false;
    bool sizeGiven = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (optionsEnded || w.size() < 2 || w.compare(0, 2, "--") != 0) {
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
        } else if (w == "--size" && shape->takesPacked) {
            if (i + 1 >= words.size() || !parseMemorySize(words[i + 1], args.packedSize)) {
                error = "--size needs 64 or 32 (KiB of save memory)";
                return false;
            }
            sizeGiven = true;
            ++i;
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
    if (sizeGiven && !args.packed) {
        error = "--size is for a packed save: new SAVE --packed --size 64|32";
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
           "  sramedit-cli list SAVE\n"
           "  sramedit-cli new SAVE [--packed [--size 64|32]]\n"
           "  sramedit-cli load SAVE INDEX FILE.sav [--rom ROM.nes]\n"
           "  sramedit-cli append SAVE FILE.sav --rom ROM.nes\n"
           "  sramedit-cli extract SAVE INDEX OUT.sav [--force]\n"
           "  sramedit-cli delete SAVE INDEX\n"
           "  sramedit-cli rename SAVE INDEX TITLE\n"
           "  sramedit-cli --version\n"
           "INDEX counts from 0, in the order that list shows.\n"
           "new never overwrites a file; extract replaces OUT.sav only with --force,\n"
           "and never when OUT.sav is SAVE itself.\n";
}
