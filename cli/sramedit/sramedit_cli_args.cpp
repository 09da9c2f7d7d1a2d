// SPDX-License-Identifier: GPL-3.0-or-later
#include "sramedit_cli_args.h"

#include "option_reader.h"

#include <array>
#include <cstddef>

namespace {

// Every option, as getopt_long reads it; each command takes some of them.
enum Option { HELP = 'h', OUTPUT = 'o', ROM = 256, PACKED, SIZE, FORCE, MEMORY, FROM_MEMORY, VERSION };

const option LONG_OPTIONS[] = {
    {"help", no_argument, nullptr, HELP},          {"version", no_argument, nullptr, VERSION},
    {"rom", required_argument, nullptr, ROM},      {"packed", no_argument, nullptr, PACKED},
    {"size", required_argument, nullptr, SIZE},    {"force", no_argument, nullptr, FORCE},
    {"memory", required_argument, nullptr, MEMORY}, {"from-memory", required_argument, nullptr, FROM_MEMORY},
    {"output", required_argument, nullptr, OUTPUT}, {nullptr, 0, nullptr, 0},
};

struct CommandShape {
    const char* name;
    CliCommand command;
    std::size_t operands;  // SAVE included
    std::array<int, 4> options;  // besides --help; 0 ends the list
    const char* usage;     // after "sramedit-cli "
    const char* about;     // what it does, and its options
};

constexpr CommandShape SHAPES[] = {
    {"list", CliCommand::List, 1, {MEMORY}, "list SAVE [--memory 32|64]",
     "Shows the slots or records of SAVE. For a packed save: the memory and the bytes\n"
     "used and free, then each record's type, title, size and, for battery saves,\n"
     "the size the save unpacks to; the record PocketNES restores for a game and\n"
     "the older ones are marked, and a save PocketNES would drop for want of room\n"
     "is named on the error output.\n"},
    {"new", CliCommand::New, 1, {PACKED, SIZE}, "new SAVE [--packed [--size 64|32]]",
     "Creates a blank save image; it never overwrites a file.\n"
     "  --packed      a PocketNES save: a 32 KiB memory stored twice in a 64 KiB\n"
     "                file, which mGBA and carts with 32 or 64 KiB all read\n"
     "  --size 64|32  with --packed: a 64 KiB memory (64 KiB carts only), or a\n"
     "                32 KiB file\n"},
    {"load", CliCommand::Load, 3, {ROM, MEMORY}, "load SAVE INDEX FILE.sav [--rom ROM.nes] [--memory 32|64]",
     "Puts the game save FILE.sav into slot or record INDEX. A packed save needs the\n"
     "game's ROM to tie the save to it; a load that would leave a game two battery\n"
     "saves is refused, naming the one PocketNES restores.\n"
     "  --rom ROM.nes   the game's ROM (packed saves)\n"},
    {"append", CliCommand::Append, 2, {ROM, MEMORY}, "append SAVE FILE.sav --rom ROM.nes [--memory 32|64]",
     "Adds FILE.sav as a record after the last one of a packed save; when the game\n"
     "has a battery save already, replaces the one PocketNES restores, and says so.\n"
     "  --rom ROM.nes   the game's ROM\n"},
    {"extract", CliCommand::Extract, 3, {FORCE, MEMORY}, "extract SAVE INDEX OUT.sav [--force] [--memory 32|64]",
     "Writes the save of slot or record INDEX to OUT.sav, never over SAVE itself.\n"
     "  --force   replace OUT.sav when it is there\n"},
    {"delete", CliCommand::Delete, 2, {MEMORY}, "delete SAVE INDEX [--memory 32|64]",
     "Empties slot INDEX, or removes record INDEX.\n"},
    {"rename", CliCommand::Rename, 3, {MEMORY}, "rename SAVE INDEX TITLE [--memory 32|64]",
     "Gives slot or record INDEX the title TITLE; what the cartridge can't hold is\n"
     "left out, and the error output says so. \"--\" before a TITLE that begins\n"
     "with \"-\".\n"},
    {"copy", CliCommand::Copy, 3, {MEMORY, FROM_MEMORY}, "copy FROM INDEX TO [--memory 32|64] [--from-memory 32|64]",
     "Copies record INDEX of the packed save FROM (a battery save, save state or\n"
     "cheat list) byte for byte into the packed save TO, replacing that game's\n"
     "record of the same type there.\n"
     "  --from-memory 32|64   the memory FROM holds (--memory: the one TO holds)\n"},
    {"convert", CliCommand::Convert, 1, {SIZE, OUTPUT, MEMORY}, "convert SAVE --size 32|64 [-o OUT] [--memory 32|64]",
     "Lays a packed save out for a memory of --size KiB, keeping every record, the\n"
     "configuration and the live save; refused, with the bytes too many, when the\n"
     "records don't fit 32 KiB.\n"
     "  --size 32|64       the memory to lay it out for\n"
     "  -o, --output OUT   write to OUT (never an existing file), not back to SAVE\n"},
    {"prune", CliCommand::Prune, 1, {MEMORY}, "prune SAVE [--memory 32|64]",
     "Removes the older battery saves PocketNES never restores, and says how many\n"
     "bytes it freed.\n"},
};

constexpr const char* MEMORY_HELP =
    "  --memory 32|64   the memory a 64 KiB packed save holds, when the file can't\n"
    "                   tell (without it such a file is refused)\n";
constexpr const char* HELP_HELP = "  -h, --help       this help\n";

const CommandShape* findShape(const std::string& name)
{
    for (const CommandShape& shape : SHAPES) {
        if (name == shape.name) return &shape;
    }
    return nullptr;
}

const CommandShape* shapeOf(CliCommand command)
{
    for (const CommandShape& shape : SHAPES) {
        if (shape.command == command) return &shape;
    }
    return nullptr;
}

bool takes(const CommandShape& shape, int option)
{
    for (int o : shape.options) {
        if (o == option) return true;
    }
    return false;
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

// The option as the user wrote it, for a message.
std::string optionName(int option)
{
    if (option == OUTPUT) return "-o";
    for (const struct option& o : LONG_OPTIONS) {
        if (o.name != nullptr && o.val == option) return std::string("--") + o.name;
    }
    return std::string("-") + static_cast<char>(option);
}

CliParse failure(std::string error, CliCommand command = CliCommand::Help)
{
    CliParse parse;
    parse.error = std::move(error);
    parse.args.command = command;
    return parse;
}

// Places the operands after SAVE: INDEX, FILE.sav, OUT.sav or TITLE.
bool placeOperands(const std::vector<std::string>& ops, CliArgs& args, std::string& error)
{
    args.savePath = ops[0];
    const bool indexed = args.command == CliCommand::Load || args.command == CliCommand::Extract ||
                         args.command == CliCommand::Delete || args.command == CliCommand::Rename ||
                         args.command == CliCommand::Copy;
    if (indexed && !parseIndex(ops[1], args.index)) {
        error = "INDEX must be a number from 0 on: '" + ops[1] + "'";
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

std::string commandWord(CliCommand command)
{
    const CommandShape* shape = shapeOf(command);
    return shape != nullptr ? shape->name : "sramedit-cli";
}

CliParse parseCliArgs(const std::vector<std::string>& words)
{
    // Every option is read first, wherever it stands; which command takes it
    // is checked once the command is known.
    const OptionsRead read = readOptions(words, "ho:", LONG_OPTIONS, optionName);
    if (!read.error.empty()) {
        // The help to point to: the command's, when one is named.
        CliCommand named = CliCommand::Help;
        for (const std::string& w : words) {
            if (const CommandShape* shape = findShape(w); shape != nullptr && named == CliCommand::Help) {
                named = shape->command;
            }
        }
        return failure(read.error, named);
    }
    const std::vector<std::pair<int, std::string>>& seen = read.options;
    std::vector<std::string> ops = read.operands;

    CliParse parse;
    CliArgs& args = parse.args;
    bool help = false;
    for (const auto& [option, value] : seen) {
        help = help || option == HELP;
        if (option == VERSION) args.command = CliCommand::Version;
    }
    if (args.command == CliCommand::Version && ops.empty() && seen.size() == 1) {
        parse.ok = true;
        return parse;
    }
    if (ops.empty() || ops[0] == "help") {
        // "help COMMAND" and "--help" alone.
        args.command = CliCommand::Help;
        if (ops.size() > 1) {
            const CommandShape* about = findShape(ops[1]);
            if (about == nullptr) return failure("unknown command '" + ops[1] + "'");
            args.helpFor = about->command;
        }
        if (!help && ops.empty()) return failure("no command given");
        parse.ok = true;
        return parse;
    }
    const CommandShape* shape = findShape(ops[0]);
    if (shape == nullptr) return failure("unknown command '" + ops[0] + "'");
    args.command = shape->command;
    if (help) {
        args.helpFor = args.command;
        args.command = CliCommand::Help;
        parse.ok = true;
        return parse;
    }
    ops.erase(ops.begin());

    for (const auto& [option, value] : seen) {
        const std::string name = optionName(option);
        if (option == VERSION || !takes(*shape, option)) return failure(shape->name + (" takes no " + name), shape->command);
        bool valid = true;
        switch (option) {
        case ROM: args.romPath = value; valid = !value.empty(); break;
        case PACKED: args.packed = true; break;
        case SIZE: valid = parseMemorySize(value, args.packedSize); break;
        case FORCE: args.force = true; break;
        case MEMORY: valid = parseMemory(value, args.memory); break;
        case FROM_MEMORY: valid = parseMemory(value, args.fromMemory); break;
        case OUTPUT: args.output = value; valid = !value.empty(); break;
        default: break;
        }
        if (!valid) {
            const bool size = option == SIZE || option == MEMORY || option == FROM_MEMORY;
            return failure(size ? name + " takes 32 or 64 (KiB of save memory), not '" + value + "'"
                                : name + " needs a file name",
                           shape->command);
        }
    }
    if (ops.size() != shape->operands) {
        return failure(std::string(shape->name) + " takes " + std::to_string(shape->operands) +
                           (shape->operands == 1 ? " operand" : " operands") + ", not " + std::to_string(ops.size()),
                       shape->command);
    }
    if (args.packedSize != 0 && args.command == CliCommand::New && !args.packed) {
        return failure("--size is for a packed save: new SAVE --packed --size 64|32", shape->command);
    }
    if (args.packedSize == 0 && args.command == CliCommand::Convert) {
        return failure("convert needs --size 32|64", shape->command);
    }
    if (args.command == CliCommand::Append && args.romPath.empty()) {
        return failure("append needs --rom ROM.nes", shape->command);
    }
    std::string error;
    if (!placeOperands(ops, args, error)) return failure(error, shape->command);
    parse.ok = true;
    return parse;
}

std::string cliHelp(CliCommand command)
{
    if (const CommandShape* shape = shapeOf(command)) {
        std::string text = std::string("Usage: sramedit-cli ") + shape->usage + "\n" + shape->about;
        if (takes(*shape, MEMORY)) text += MEMORY_HELP;
        return text + HELP_HELP;
    }
    std::string text = "Usage:\n";
    for (const CommandShape& shape : SHAPES) text += std::string("  sramedit-cli ") + shape.usage + "\n";
    return text +
           "  sramedit-cli help [COMMAND]\n"
           "  sramedit-cli --version\n"
           "Lists and edits the save of a GBA cartridge: Korvalinde's seven-slot save\n"
           "(64 KiB) or a PocketNES packed save (a 32 or 64 KiB memory).\n"
           "INDEX counts from 0, in the order that list shows. Packed saves need the\n"
           "game's ROM (--rom) to tie a save to it.\n"
           "A failed command leaves SAVE as it was; commands on one SAVE take turns (another\n"
           "waits up to 2 seconds, then fails). Exit status: 0 done, 1 failed (one line\n"
           "naming the file and the reason), 2 bad usage.\n"
           "  -h, --help   this help; sramedit-cli COMMAND --help tells more about a command\n"
           "  --version    the program's name and version\n";
}
