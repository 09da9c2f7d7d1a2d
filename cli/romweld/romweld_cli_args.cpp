// SPDX-License-Identifier: GPL-3.0-or-later
#include "romweld_cli_args.h"

#include "option_reader.h"

#include <array>
#include <utility>

namespace {

struct CommandName {
    std::string_view word;
    CliCommand command;
};

constexpr std::array<CommandName, 4> COMMANDS = {{
    {"variants", CliCommand::Variants},
    {"build", CliCommand::Build},
    {"info", CliCommand::Info},
    {"fix-header", CliCommand::FixHeader},
}};

// The options with a value, and where each goes in the request.
struct ValueOption {
    std::string_view name;
    std::optional<std::string> CliRequest::*field;
    bool forVariants, forBuild, forInfo, forFixHeader;
};

constexpr std::array<ValueOption, 9> VALUE_OPTIONS = {{
    {"--dir", &CliRequest::dir, true, true, true, false},
    {"--output", &CliRequest::output, false, true, false, false},
    {"--variant", &CliRequest::variant, false, true, true, false},
    {"--list", &CliRequest::listFile, false, true, false, false},
    {"--gba-title", &CliRequest::gbaTitle, false, true, false, false},
    {"--splash", &CliRequest::splash, false, true, false, false},
    {"--title", &CliRequest::title, false, false, false, true},
    {"--code", &CliRequest::gameCode, false, false, false, true},
    {"--maker", &CliRequest::makerCode, false, false, false, true},
}};

// The options without a value.
struct FlagOption {
    std::string_view name;
    bool CliRequest::*field;
    bool forBuild, forInfo;
};

constexpr std::array<FlagOption, 9> FLAG_OPTIONS = {{
    {"--quiet", &CliRequest::quiet, true, false},
    {"--fix-header", &CliRequest::fixHeader, true, false},
    {"--allow-oversize", &CliRequest::allowOversize, true, false},
    {"--each", &CliRequest::each, true, false},
    {"--force", &CliRequest::force, true, false},
    {"--pad", &CliRequest::pad, true, false},
    {"--clean-titles", &CliRequest::cleanTitles, true, true},
    {"--allow-bad-dumps", &CliRequest::allowBadDumps, true, false},
    {"--trim-overdumps", &CliRequest::trimOverdumps, true, false},
}};
// -q is the short form of the first flag.
static_assert(FLAG_OPTIONS[0].name == "--quiet");

bool appliesTo(const FlagOption& option, CliCommand command)
{
    return (command == CliCommand::Build && option.forBuild) || (command == CliCommand::Info && option.forInfo);
}

bool appliesTo(const ValueOption& option, CliCommand command)
{
    switch (command) {
    case CliCommand::None: return option.name == "--dir";
    case CliCommand::Variants: return option.forVariants;
    case CliCommand::Build: return option.forBuild;
    case CliCommand::Info: return option.forInfo;
    case CliCommand::FixHeader: return option.forFixHeader;
    }
    return false;
}

CliParse failure(const CliRequest& request, std::string error)
{
    CliParse result;
    result.request = request;
    result.error = std::move(error);
    return result;
}

// What a complete request of each command needs beyond its options.
std::string checkRequest(const CliRequest& r)
{
    if (r.dir && r.dir->empty()) return "--dir needs a folder";
    switch (r.command) {
    case CliCommand::None: return "no command given";
    case CliCommand::Variants:
        if (!r.files.empty()) return "variants takes no files: " + r.files.front();
        break;
    case CliCommand::Build:
        if (!r.output || r.output->empty()) return r.each ? "build --each needs -o FOLDER" : "build needs -o OUT.gba";
        if (r.files.empty() && !r.listFile) return "build needs ROM files or --list FILE.lst";
        if (r.force && !r.each) return "--force only goes with --each";
        if (r.gbaTitle && !r.fixHeader) return "--gba-title only goes with --fix-header";
        if (r.splash && r.splash->empty()) return "--splash needs a picture file";
        break;
    case CliCommand::Info:
        if (r.files.empty()) return "info needs at least one ROM file";
        break;
    case CliCommand::FixHeader:
        if (r.files.size() != 1) return "fix-header needs exactly one image file";
        break;
    }
    return {};
}

// The options as getopt_long reads them: the value options by their index
// in VALUE_OPTIONS, the flags after them, then --help and --version; -o,
// -q and -h are the short forms of --output, --quiet and --help.
constexpr int FLAG_BASE = 300;
constexpr int HELP = 400;
constexpr int VERSION = 401;

std::vector<option> longOptions()
{
    std::vector<option> options;
    // getopt_long names them without their "--".
    const auto add = [&](std::string_view name, int hasArgument, int value) {
        options.push_back({name.data() + 2, hasArgument, nullptr, value});
    };
    for (std::size_t i = 0; i < VALUE_OPTIONS.size(); ++i) add(VALUE_OPTIONS[i].name, required_argument, static_cast<int>(i));
    for (std::size_t i = 0; i < FLAG_OPTIONS.size(); ++i) add(FLAG_OPTIONS[i].name, no_argument, FLAG_BASE + static_cast<int>(i));
    options.push_back({"help", no_argument, nullptr, HELP});
    options.push_back({"version", no_argument, nullptr, VERSION});
    options.push_back({nullptr, 0, nullptr, 0});
    return options;
}

// The value option -o is the short form of.
int outputOption()
{
    for (std::size_t i = 0; i < VALUE_OPTIONS.size(); ++i) {
        if (VALUE_OPTIONS[i].name == "--output") return static_cast<int>(i);
    }
    return -1;
}

// The name of an option given without its argument: only -o and the value
// options take one.
std::string valueOptionName(int value)
{
    if (value >= 0 && value < static_cast<int>(VALUE_OPTIONS.size())) return std::string(VALUE_OPTIONS[value].name);
    return "-o";
}

}  // namespace

CliParse parseCliArguments(const std::vector<std::string>& args)
{
    const std::vector<option> options = longOptions();

    CliRequest r;
    // The command named, for the help a usage error points to.
    for (const std::string& word : args) {
        for (const CommandName& c : COMMANDS) {
            if (r.command == CliCommand::None && word == c.word) r.command = c.command;
        }
    }
    const OptionsRead read = readOptions(args, "ho:q", options.data(), valueOptionName);
    if (!read.error.empty()) return failure(r, read.error);
    std::vector<std::pair<int, std::string>> seen;
    for (const auto& [c, given] : read.options) {
        seen.emplace_back(c == 'o' ? outputOption() : c == 'h' ? HELP : c == 'q' ? FLAG_BASE : c, given);
    }
    const std::vector<std::string>& operands = read.operands;
    r.command = CliCommand::None;
    if (!operands.empty()) {
        for (const CommandName& c : COMMANDS) {
            if (operands.front() == c.word) r.command = c.command;
        }
        if (r.command == CliCommand::None) return failure(r, "unknown command '" + operands.front() + "'");
        r.files.assign(operands.begin() + 1, operands.end());
    }

    for (const auto& [value, given] : seen) {
        if (value == HELP) {
            r.help = true;
        } else if (value == VERSION) {
            r.version = true;
        } else if (value >= FLAG_BASE) {
            const FlagOption& flag = FLAG_OPTIONS[static_cast<std::size_t>(value - FLAG_BASE)];
            if (!appliesTo(flag, r.command)) {
                return failure(r, "unknown option '" + std::string(flag.name) + "' for " + std::string(cliCommandWord(r.command)));
            }
            r.*(flag.field) = true;
        } else {
            const ValueOption& option = VALUE_OPTIONS[static_cast<std::size_t>(value)];
            if (!appliesTo(option, r.command)) {
                return failure(r, "unknown option '" + std::string(option.name) + "' for " + std::string(cliCommandWord(r.command)));
            }
            std::optional<std::string>& field = r.*(option.field);
            if (field) return failure(r, "option " + std::string(option.name) + " given twice");
            field = given;
        }
    }

    CliParse result;
    result.request = r;
    if (r.help || (r.version && r.command == CliCommand::None && seen.size() == 1)) {
        result.ok = true;
        return result;
    }
    if (r.version) return failure(r, "--version takes no command or other option");
    result.error = checkRequest(r);
    result.ok = result.error.empty();
    return result;
}

std::string_view cliCommandWord(CliCommand command)
{
    for (const CommandName& c : COMMANDS) {
        if (c.command == command) return c.word;
    }
    return "romweld-cli";
}

std::string cliUsage(CliCommand command)
{
    switch (command) {
    case CliCommand::Variants:
        return "Usage: romweld-cli [--dir DIR] variants\n"
               "Lists the usable shell variants of DIR/romweld.cfg, one a line:\n"
               "name, layout (Korvalinde or PocketNES) and the bytes the shell and its\n"
               "extra files take in an image, separated by tabs.\n"
               "  --dir DIR             the folder with romweld.cfg and romweld.ini\n"
               "  -h, --help            this help\n";
    case CliCommand::Build:
        return "Usage: romweld-cli [--dir DIR] build -o OUT.gba [--variant NAME] [--list FILE.lst]\n"
               "                   [--fix-header] [--gba-title TITLE] [--allow-oversize]\n"
               "                   [--pad] [--clean-titles] [--splash PICTURE]\n"
               "                   [--trim-overdumps] [--allow-bad-dumps] [--quiet] [ROM ...]\n"
               "       romweld-cli [--dir DIR] build --each -o FOLDER [--force] [same options] [ROM ...]\n"
               "Writes a cartridge image from the ROMs of the list file, then those given,\n"
               "in that order, with a line for each record and one for the image.\n"
               "Each ROM gets its title and PocketNES values from the\n"
               "settings file (romweld.ini), as in romweld. A ROM may be a .zip or .7z\n"
               "archive (each NES ROM in it is taken), a .gz file, or one member named\n"
               "ARCHIVE::MEMBER (\"Sets.zip::USA/Zelda.nes\").\n"
               "An image larger than a GBA cartridge's 32 MiB is refused; a ROM whose\n"
               "mapper the variant's emulator lacks is named on the error output.\n"
               "A ROM shorter than its iNES header says (a bad dump) is refused; one\n"
               "longer than its header says (an overdump) is named in a warning.\n"
               "While it writes, a progress bar shows on the error output when that is\n"
               "a terminal.\n"
               "  -o, --output OUT.gba  the image to write; an image already there is\n"
               "                        replaced only by a complete one (a link is\n"
               "                        followed), and never a file the image is made of,\n"
               "                        nor romweld.cfg or the shell or an extra file of\n"
               "                        any variant\n"
               "  --variant NAME        the shell variant (default: the settings' KVLVersion)\n"
               "  --list FILE.lst       a romweld list file (blank lines are skipped; what\n"
               "                        can't be used is named in one summary)\n"
               "  --fix-header          rewrite the GBA cartridge header afterwards\n"
               "  --gba-title TITLE     the header's title (default Korvalinde)\n"
               "  --allow-oversize      write an image larger than 32 MiB all the same\n"
               "  --pad                 fill the image with 0xFF up to the next power of two\n"
               "                        (never beyond 32 MiB)\n"
               "  --clean-titles        derive titles from file names without their tags:\n"
               "                        \"Legend of Zelda, The (USA) [!]\" -> \"The Legend of Zelda\"\n"
               "                        (a title stored in the settings stays as it is)\n"
               "  --splash PICTURE      a PNG, JPEG, BMP or GIF shown while PocketNES starts\n"
               "                        (PocketNES variants only): scaled to fit 240 x 160,\n"
               "                        centred on black, 76800 bytes after the shell\n"
               "  --trim-overdumps      write only the bytes each ROM's header promises\n"
               "  --allow-bad-dumps     write ROMs shorter than their headers say all the same\n"
               "  --each                one image per ROM, in the folder -o names, each named\n"
               "                        after its ROM with .gba and holding the shell, the\n"
               "                        extra files and that ROM; one line per image (a ROM\n"
               "                        whose name holds control characters, or would give\n"
               "                        a hidden name such as \".gba\", is refused)\n"
               "  --force               with --each: replace images already there (else they\n"
               "                        are refused)\n"
               "  -q, --quiet           no line for each record (the image's line stays)\n"
               "  --dir DIR             the folder with romweld.cfg and romweld.ini\n"
               "  -h, --help            this help\n";
    case CliCommand::Info:
        return "Usage: romweld-cli [--dir DIR] info [--variant NAME] [--clean-titles] ROM ...\n"
               "Tells for each file whether it is an iNES or NES 2.0 ROM, its mapper,\n"
               "battery and size, and the title and PocketNES values it would get; a\n"
               "ROM shorter or longer than its header says is marked a bad dump or an\n"
               "overdump.\n"
               "An archive tells this for each NES ROM in it.\n"
               "  --variant NAME        also tell whether that variant's emulator runs the mapper\n"
               "  --clean-titles        titles from file names without their tags, as build\n"
               "  --dir DIR             the folder with romweld.cfg and romweld.ini\n"
               "  -h, --help            this help\n";
    case CliCommand::FixHeader:
        return "Usage: romweld-cli fix-header IMAGE [--title TITLE] [--code KVL] [--maker ZQ]\n"
               "Rewrites the first 192 bytes of IMAGE with a GBA cartridge header.\n"
               "An image shorter than 192 bytes grows to 192 bytes.\n"
               "  --title TITLE         the header's title, at most 12 bytes (default Korvalinde)\n"
               "  --code KVL            the game code, at most 4 bytes\n"
               "  --maker ZQ            the maker code, at most 2 bytes\n"
               "A longer text is cut, and the error output says so.\n"
               "  -h, --help            this help\n";
    case CliCommand::None:
        break;
    }
    return "Usage: romweld-cli [--dir DIR] variants\n"
           "       romweld-cli [--dir DIR] build -o OUT.gba [--variant NAME] [--list FILE.lst]\n"
           "                   [--fix-header] [--gba-title TITLE] [--allow-oversize]\n"
           "                   [--pad] [--clean-titles] [--splash PICTURE] [--trim-overdumps]\n"
           "                   [--allow-bad-dumps] [--each [--force]] [--quiet] [ROM ...]\n"
           "       romweld-cli [--dir DIR] info [--variant NAME] [--clean-titles] ROM ...\n"
           "       romweld-cli fix-header IMAGE [--title TITLE] [--code KVL] [--maker ZQ]\n"
           "       romweld-cli --version\n"
           "DIR is the folder with romweld.cfg, the shells, the extra files and\n"
           "romweld.ini. Without --dir: this program's folder when romweld.cfg is there\n"
           "(a portable folder); else the first of $XDG_DATA_HOME/romweld and each\n"
           "$XDG_DATA_DIRS entry + /romweld that holds romweld.cfg, with the settings in\n"
           "$XDG_CONFIG_HOME/romweld/romweld.ini (defaults ~/.local/share, /usr/local/share,\n"
           "/usr/share and ~/.config).\n"
           "Exit status: 0 done, 1 failed (one line naming the file and the reason),\n"
           "2 bad usage.\n"
           "  -h, --help   this help; romweld-cli COMMAND --help tells more about a command\n"
           "  --version    the program's name and version\n";
}
