// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_lock.h"
#include "help_options.h"
#include "packed_image.h"
#include "packed_test_support.h"
#include "run_program.h"
#include "save_slots.h"
#include "system_limits.h"
#include "test_files.h"
#include "text_encoding.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using CliRun = ProgramRun;

CliRun runCli(const std::vector<std::string>& args)
{
    return runProgram(SRAMEDIT_CLI, args);
}

// Runs sramedit-cli and expects it to succeed.
CliRun runOk(const std::vector<std::string>& args)
{
    CliRun run = runCli(args);
    EXPECT_EQ(run.status, 0) << args[0] << ": " << run.err;
    return run;
}

// The file the library writes for image: a mirrored memory twice.
Bytes bytesOf(const PackedSaveImage& image)
{
    Bytes bytes = imageBytes(image);
    if (image.mirrored) bytes.insert(bytes.end(), bytes.begin(), bytes.end());
    return bytes;
}

std::string hex32(std::uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

Bytes compressibleSave(std::size_t size, unsigned seed)
{
    Bytes data = patternBytes(size, seed);
    for (std::size_t i = 0; i < size; ++i) {
        if (i % 64 >= 16) data[i] = 0;
    }
    return data;
}

}  // namespace

TEST(SrameditCli, PackedWorkflowMatchesTheLibrary)
{
    TempDir dir;
    const std::string save = dir.file("cart.sav");
    const std::string rom = dir.file("game.nes"), rom2 = dir.file("game2.nes");
    const Bytes romBytes = makeInesRom(40976, 0x12, 0, 5), rom2Bytes = makeInesRom(40976, 0x12, 0, 6);
    writeBytes(rom, romBytes);
    writeBytes(rom2, rom2Bytes);
    const std::uint32_t checksum = romChecksum(romBytes.data(), romBytes.size());
    const std::uint32_t checksum2 = romChecksum(rom2Bytes.data(), rom2Bytes.size());
    const Bytes first = compressibleSave(8192, 1);
    const Bytes second = compressibleSave(2000, 2);
    writeBytes(dir.file("Metroid.sav"), first);
    writeBytes(dir.file("Zelda II.sav"), second);
    // After each command the file holds what the library makes of the same step.
    auto expected = std::make_unique<PackedSaveImage>();
    const auto fileMatches = [&] { EXPECT_EQ(readBytes(save), bytesOf(*expected)); };

    // By default a 32 KiB memory twice, which every host reads alike.
    runOk({"new", save, "--packed"});
    ASSERT_EQ(newPackedImage(*expected, 32768, true), SaveCode::Done);
    fileMatches();
    runOk({"append", save, dir.file("Metroid.sav"), "--rom", rom});
    ASSERT_EQ(storePackedSave(dir.file("Metroid.sav"), *expected, PACKED_APPEND, checksum), SaveCode::Done);
    fileMatches();
    EXPECT_EQ(runOk({"append", save, "--rom", rom2, dir.file("Zelda II.sav")}).out, "");
    ASSERT_EQ(storePackedSave(dir.file("Zelda II.sav"), *expected, PACKED_APPEND, checksum2), SaveCode::Done);
    fileMatches();

    // Type, title, record size, and the size the save unpacks to.
    const auto records = packedRecords(*expected);
    const std::size_t used = 48 + records[1].size + records[2].size;
    EXPECT_EQ(runOk({"list", save}).out,
              "PackedSaveImage: 32 KiB (stored twice), 3 records, " + std::to_string(used) + " bytes used, " +
                  std::to_string(24576 - 4 - used - 8) + " bytes free\n"
                  "0\tCFG\ttype CFG, record 48 bytes\n"
                  "1\tSV:Metroid\ttype SV, record " + std::to_string(records[1].size) +
                  " bytes, save 8192 bytes, ROM checksum " + hex32(checksum) + "\n"
                  "2\tSV:Zelda II\ttype SV, record " + std::to_string(records[2].size) +
                  " bytes, save 2000 bytes, ROM checksum " + hex32(checksum2) + "\n");

    runOk({"rename", save, "2", "ゼルダの伝説"});
    ASSERT_EQ(setPackedTitle(*expected, 2, utf8ToCp932("ゼルダの伝説")), SaveCode::Done);
    fileMatches();
    EXPECT_NE(runCli({"list", save}).out.find("2\tSV:ゼルダの伝説\t"), std::string::npos);

    runOk({"extract", save, "1", dir.file("back.sav")});
    EXPECT_EQ(readBytes(dir.file("back.sav")), first);
    fileMatches();

    runOk({"delete", save, "1"});
    deletePackedRecord(*expected, 1);
    fileMatches();
    runOk({"extract", save, "1", dir.file("zelda.sav")});
    EXPECT_EQ(readBytes(dir.file("zelda.sav")), second);

    // load replaces the record that is there.
    runOk({"load", save, "1", dir.file("Metroid.sav"), "--rom", rom});
    ASSERT_EQ(storePackedSave(dir.file("Metroid.sav"), *expected, 1, checksum), SaveCode::Done);
    fileMatches();
    EXPECT_EQ(packedRecords(*expected).size(), 2u);
}

TEST(SrameditCli, SlotWorkflowMatchesTheLibrary)
{
    TempDir dir;
    const std::string save = dir.file("kvl.sav");
    const Bytes quest = patternBytes(8192, 3);
    writeBytes(dir.file("Quest.sav"), quest);
    // The library's image as the file it writes: normalised, with its checksum.
    auto expected = std::make_unique<SaveImage>();
    const auto fileMatches = [&] {
        ASSERT_EQ(writeSaveImage(dir.file("expected.bin"), *expected), SaveCode::Done);
        EXPECT_EQ(readBytes(save), readBytes(dir.file("expected.bin")));
    };

    runOk({"new", save});
    blankSaveImage(*expected);
    fileMatches();
    runOk({"load", save, "2", dir.file("Quest.sav")});
    ASSERT_EQ(loadSlotFromFile(dir.file("Quest.sav"), *expected, 2), SaveCode::Done);
    fileMatches();
    EXPECT_EQ(runCli({"list", save}).out,
              "SaveImage: 7 slots, 1 used\n0\tEMPTY\n1\tEMPTY\n2\tQuest\n3\tEMPTY\n4\tEMPTY\n5\tEMPTY\n6\tEMPTY\n");

    // Half-width katakana are widened; the kanji is not an allowed title
    // character and is dropped, which the editor reports as fixed.
    const CliRun fixed = runOk({"rename", save, "2", "ｶﾞｲｱ漢"});
    EXPECT_EQ(fixed.out, "");
    EXPECT_EQ(fixed.err, "sramedit-cli: " + save + ": the title was stored as \"ガイア\"; Removed: 漢 (the cartridge "
                         "can't show these characters)\n");
    EXPECT_EQ(renameSlot(*expected, 2, utf8ToCp932("ｶﾞｲｱ漢")).outcome, RenameOutcome::StoredFixed);
    fileMatches();
    EXPECT_NE(runCli({"list", save}).out.find("2\tガイア\n"), std::string::npos);

    runOk({"extract", save, "2", dir.file("out.sav")});
    EXPECT_EQ(readBytes(dir.file("out.sav")), quest);
    // A listing that can't be written says why.
    const CliRun full = runProgram("/bin/sh", {"-c", "'" SRAMEDIT_CLI "' list '" + save + "' > /dev/full"});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "sramedit-cli: standard output: No space left on device\n");
    runOk({"delete", save, "2"});
    deleteSlot(*expected, 2);
    fileMatches();
}

TEST(SrameditCli, FailedCommandsLeaveTheSaveFileAlone)
{
    TempDir dir;
    const std::string packed = dir.file("packed.sav");
    const std::string slots = dir.file("slots.sav");
    runOk({"new", packed, "--packed"});
    runOk({"new", slots});
    const std::string big = dir.file("big.sav"), ok = dir.file("ok.sav"), x = dir.file("x.sav");
    writeBytes(big, Bytes(8193, 1));
    writeBytes(dir.file("empty.sav"), Bytes());
    writeBytes(ok, compressibleSave(1000, 1));
    writeBytes(dir.file("small.nes"), makeInesRom(16383));
    const std::string rom = dir.file("edge.nes");
    writeBytes(rom, makeInesRom(16384));
    writeBytes(dir.file("junk.sav"), patternBytes(65536));

    struct Case {
        std::vector<std::string> args;
        int status;
        std::string file;    // the file the one line names
        std::string reason;  // what follows it; empty: any reason will do
    };
    // Each case fails with one line naming the file and leaves both save
    // files as they were.
    const auto expectFailures = [&](const std::vector<Case>& cases) {
        const Bytes packedBefore = readBytes(packed);
        const Bytes slotsBefore = readBytes(slots);
        for (const Case& c : cases) {
            const CliRun run = runCli(c.args);
            SCOPED_TRACE(::testing::PrintToString(c.args));
            EXPECT_EQ(run.status, c.status);
            const std::string head = "sramedit-cli: " + c.file + ": ";
            EXPECT_EQ(run.err.rfind(head, 0), 0u) << run.err;
            EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
            if (!c.reason.empty()) { EXPECT_EQ(run.err, head + c.reason + "\n"); }
        }
        EXPECT_EQ(readBytes(packed), packedBefore);
        EXPECT_EQ(readBytes(slots), slotsBefore);
        EXPECT_FALSE(fileExists(x));
    };
    const std::string configRecord = "record 0 is the configuration record; PocketNES needs it to keep the running "
                                     "game's save";
    expectFailures({
        {{"new", slots}, 1, slots, "already exists; new never overwrites a file"},
        {{"load", slots, "0", big}, 1, big, "File size too big to savefile: 8193 bytes, and a save holds at most 8192"},
        {{"load", slots, "0", dir.file("missing.sav")}, 1, dir.file("missing.sav"), "No such file or directory"},
        {{"load", slots, "0", dir.file("empty.sav")}, 1, dir.file("empty.sav"), "the file is empty"},
        {{"load", slots, "7", ok}, 1, slots, "no slot 7: slots are 0 to 6"},
        {{"rename", slots, "0", "Title"}, 1, slots, "slot 0 is empty"},
        {{"delete", slots, "3"}, 1, slots, "slot 3 is empty"},
        {{"extract", slots, "3", x}, 1, slots, "slot 3 is empty"},
        {{"append", slots, ok, "--rom", rom}, 1, slots, ""},
        {{"append", packed, ok, "--rom", dir.file("small.nes")}, 1, dir.file("small.nes"),
         "File size too small: 16383 bytes, fewer than the checksum of a ROM reads"},
        {{"append", packed, ok, "--rom", dir.file("none.nes")}, 1, dir.file("none.nes"), "No such file or directory"},
        {{"append", packed, big, "--rom", rom}, 1, big, ""},
        {{"load", packed, "1", ok, "--rom", rom}, 1, packed, "no record 1"},
        {{"delete", packed, "1"}, 1, packed, "no record 1"},
        {{"rename", packed, "1", "X"}, 1, packed, "no record 1"},
        {{"rename", packed, "0", "X"}, 1, packed, "record 0 is not a battery save (SV:)"},
        {{"extract", packed, "0", x}, 1, packed, "record 0 is not a battery save (SV:)"},
        {{"delete", packed, "0"}, 1, packed, configRecord},
        // Files that are no save file at all.
        {{"list", dir.file("junk.sav")}, 1, dir.file("junk.sav"),
         "Not a valid Korvalinde savefile: it is neither a PocketNES save (32 or 64 KiB) nor a Korvalinde slot save "
         "(64 KiB)"},
        {{"list", dir.file("absent.sav")}, 1, dir.file("absent.sav"), "No such file or directory"},
    });

    // A ROM of exactly 16384 bytes is enough. With a record whose data are
    // damaged: an empty title is refused, and the save is not extracted.
    runOk({"append", packed, ok, "--rom", rom});
    auto image = std::make_unique<PackedSaveImage>();
    ASSERT_EQ(readPackedImage(packed, *image), SaveCode::Done);
    for (std::size_t i = 52 + 48; i < 52 + 48 + 40; ++i) (*image)[i] = 0xEE;
    ASSERT_EQ(writePackedImage(packed, *image), SaveCode::Done);
    expectFailures({
        {{"rename", packed, "1", "😀"}, 1, packed,
         "Invalid Title: Removed: 😀 (the cartridge can't show these characters)"},
        {{"extract", packed, "1", x}, 1, packed, "the save data of record 1 are damaged"},
    });
    // A packed save needs the ROM: a usage error, one line and where help is.
    EXPECT_EQ(runCli({"load", packed, "1", ok}).err,
              "sramedit-cli: a packed save file needs --rom ROM.nes\nTry 'sramedit-cli load --help'.\n");
}

TEST(SrameditCli, PocketNesSavesOfBothSizes)
{
    TempDir dir;
    const std::uint32_t game = 0x0BADCAFE;
    const std::string small = dir.file("small.sav");
    runOk({"new", small, "--packed", "--size", "32"});
    auto fresh = blankPacked();
    ASSERT_EQ(newPackedImage(*fresh, 32768), SaveCode::Done);
    EXPECT_EQ(readBytes(small), imageBytes(*fresh));
    EXPECT_EQ(runOk({"list", small}).out,
              "PackedSaveImage: 32 KiB, 1 records, 48 bytes used, 24516 bytes free\n0\tCFG\ttype CFG, record 48 bytes\n");

    // mGBA's 32 KiB file after the first session of a game: the game owns the
    // live area and has no record yet. Listing and extracting change nothing;
    // any written change keeps the live data packed where PocketNES would.
    const Bytes played = patternBytes(8192, 5);
    auto image = blankPacked(32768);
    putEnd(*image, putConfig(*image, 4, game));
    setLiveArea(*image, played);
    const std::string cart = dir.file("cart.sav");
    writeBytes(cart, imageBytes(*image));
    const std::string listed = runOk({"list", cart}).out;
    EXPECT_NE(listed.find("1\tSV:ROM 0BADCAFE\ttype SV, record 8280 bytes, save 8192 bytes, ROM checksum 0BADCAFE\n"),
              std::string::npos)
        << listed;
    runOk({"extract", cart, "1", dir.file("played.sav")});
    EXPECT_EQ(readBytes(dir.file("played.sav")), played);
    EXPECT_EQ(readBytes(cart), imageBytes(*image));
    runOk({"rename", cart, "1", "Zelda"});
    auto written = blankPacked(32768);
    const Bytes bytes = readBytes(cart);
    ASSERT_EQ(bytes.size(), 32768u);
    std::copy(bytes.begin(), bytes.end(), written->begin());
    EXPECT_EQ(ownerOf(*written), 0u);
    EXPECT_EQ(liveArea(*written), Bytes(8192, 0));
    EXPECT_EQ(unpackRecord(*written, 52), played);
    EXPECT_EQ(getLe32(written->data() + 52 + 12), game);

    // No room below the live area: the live line says so and stays live
    // until the user deletes or replaces that save.
    auto full = blankPacked(32768);
    const std::size_t at = putConfig(*full, 4, game);
    putEnd(*full, putRecord(*full, at, static_cast<std::uint16_t>(24576 - 8 - 1000 - at), RECORD_ST, "state", 0, 7));
    setLiveArea(*full, played);
    writeBytes(cart, imageBytes(*full));
    EXPECT_NE(runOk({"list", cart}).out.find("2\tSV:ROM 0BADCAFE\ttype SV, no record yet, save 8192 bytes, "
                                              "ROM checksum 0BADCAFE, live: the newest save is in the live area\n"),
              std::string::npos);
    runOk({"extract", cart, "2", dir.file("live.sav")});
    EXPECT_EQ(readBytes(dir.file("live.sav")), played);
    runOk({"delete", cart, "2"});
    const Bytes afterDelete = readBytes(cart);
    ASSERT_EQ(afterDelete.size(), 32768u);
    EXPECT_EQ(getLe32(afterDelete.data() + 4 + 8), 0u);
    EXPECT_EQ(runOk({"list", cart}).out.find("\t2"), std::string::npos);
}

TEST(SrameditCli, UsageErrorsExitWithTwo)
{
    TempDir dir;
    const std::string x = dir.file("x.sav");
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate", x},
        {"list"},
        {"list", x, "b.sav"},
        {"delete", x, "one"},
        {"delete", x, "-1"},
        {"append", x, "a.sav"},
        {"load", x, "0", "a.sav", "--rom"},
        {"new", x, "--rom", "a.nes"},
        {"new", x, "extra"},
        {"list", x, "--packed"},
        {"new", x, "--size", "32"},
        {"new", x, "--packed", "--size", "48"},
        {"new", x, "--packed", "--size"},
    };
    // One line, then where help is (the command's own, once it is known).
    for (const auto& args : bad) {
        const CliRun run = runCli(args);
        SCOPED_TRACE(::testing::PrintToString(args));
        EXPECT_EQ(run.status, 2);
        const std::string help = args.empty() || args[0] == "frobnicate" ? "" : " " + args[0];
        const std::size_t lineEnd = run.err.find('\n');
        EXPECT_EQ(run.err.substr(0, 14), "sramedit-cli: ");
        EXPECT_EQ(run.err.substr(lineEnd + 1), "Try 'sramedit-cli" + help + " --help'.\n");
    }
    EXPECT_FALSE(fileExists(x));
    EXPECT_NE(runOk({"--help"}).out.find("sramedit-cli rename SAVE INDEX TITLE"), std::string::npos);
    // Each command's own help, as an option or through "help".
    const std::string listHelp = runOk({"list", "--help"}).out;
    EXPECT_EQ(listHelp.rfind("Usage: sramedit-cli list SAVE [--memory 32|64]\n", 0), 0u);
    EXPECT_EQ(runOk({"help", "list"}).out, listHelp);
    EXPECT_EQ(runOk({"list", x, "-h"}).out, listHelp);
    // Values glued to their option, as getopt users write them.
    runOk({"new", dir.file("p.sav"), "--packed", "--size=64"});
    runOk({"convert", dir.file("p.sav"), "--size=32", "-o" + dir.file("p32.sav")});
    runOk({"convert", dir.file("p.sav"), "--size", "32", "--output=" + dir.file("q32.sav")});
    EXPECT_EQ(readBytes(dir.file("p32.sav")), readBytes(dir.file("q32.sav")));
    // "--" lets a title begin with dashes.
    writeBytes(dir.file("Q.sav"), Bytes{1});
    runOk({"new", x});
    runOk({"load", x, "0", dir.file("Q.sav")});
    runOk({"rename", x, "0", "--", "--X--"});
    EXPECT_NE(runCli({"list", x}).out.find("0\t--X--\n"), std::string::npos);
}

TEST(SrameditCli, TheHelpAndTheManPageNameTheSameOptions)
{
    std::string help = runOk({"--help"}).out;
    for (const char* command : {"list", "new", "load", "append", "extract", "delete", "rename", "copy", "convert", "prune"}) {
        help += runOk({"help", command}).out;
    }
    EXPECT_EQ(optionsIn(help), optionsIn(readText(ROMWELD_SOURCE_DIR "/packaging/sramedit-cli.1.in"), true));
}

// What the user did not choose is never overwritten: extract replaces a file
// only with --force, and never the save it reads, however it is named.
TEST(SrameditCli, ExtractNeverOverwritesWhatTheUserDidNotChoose)
{
    TempDir dir;
    const std::string save = dir.file("kvl.sav");
    writeBytes(dir.file("Quest.sav"), patternBytes(8192, 3));
    runOk({"new", save});
    runOk({"load", save, "0", dir.file("Quest.sav")});
    ASSERT_EQ(::symlink("kvl.sav", dir.file("link.sav").c_str()), 0);
    const Bytes saveBytes = readBytes(save);
    writeText(dir.file("old.sav"), "keep me");

    const struct { std::vector<std::string> args; std::string err; } refused[] = {
        {{"extract", save, "0", dir.file("old.sav")},
         dir.file("old.sav") + ": already exists; extract replaces a file only with --force"},
        {{"extract", save, "0", save, "--force"}, save + ": is the save file itself; extract never writes over it"},
        {{"extract", save, "0", dir.file("link.sav"), "--force"},
         dir.file("link.sav") + ": is the save file itself; extract never writes over it"},
        {{"extract", dir.file("link.sav"), "0", save, "--force"},
         save + ": is the save file itself; extract never writes over it"},
        {{"new", dir.file("link.sav")}, dir.file("link.sav") + ": already exists; new never overwrites a file"},
    };
    for (const auto& c : refused) {
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.status, 1) << ::testing::PrintToString(c.args);
        EXPECT_EQ(run.err, "sramedit-cli: " + c.err + "\n");
    }
    EXPECT_EQ(readBytes(save), saveBytes);
    EXPECT_EQ(readText(dir.file("old.sav")), "keep me");

    runOk({"extract", save, "0", dir.file("old.sav"), "--force"});
    EXPECT_EQ(readBytes(dir.file("old.sav")), patternBytes(8192, 3));
    EXPECT_NE(runOk({"--help"}).out.find("extract SAVE INDEX OUT.sav [--force]"), std::string::npos);

    // A FIFO is refused as a save and as a .sav file, at once.
    ASSERT_EQ(::mkfifo(dir.file("fifo.sav").c_str(), 0644), 0);
    const HangGuard guard(60);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"list", dir.file("fifo.sav")},
          std::vector<std::string>{"load", save, "1", dir.file("fifo.sav")}}) {
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "sramedit-cli: " + dir.file("fifo.sav") + ": not a regular file\n");
    }
    EXPECT_EQ(readBytes(save), saveBytes);
}

// Writers of one save wait for each other: none loses the other's record.
TEST(SrameditCli, WritersOfOneSaveTakeTurns)
{
    TempDir dir;
    const std::string save = dir.file("cart.sav");
    runOk({"new", save, "--packed"});
    std::string script;
    // Four games, since a second save of one game replaces its first.
    for (int i = 0; i < 4; ++i) {
        const std::string sav = dir.file("Game" + std::to_string(i) + ".sav");
        const std::string rom = dir.file("game" + std::to_string(i) + ".nes");
        writeBytes(rom, makeInesRom(40976, 0x12, 0, static_cast<unsigned>(5 + i)));
        writeBytes(sav, compressibleSave(3000, static_cast<unsigned>(i)));
        script += "'" SRAMEDIT_CLI "' append '" + save + "' '" + sav + "' --rom '" + rom + "' & ";
    }
    ASSERT_EQ(runProgram("/bin/sh", {"-c", script + "wait"}).status, 0);
    const std::string listed = runOk({"list", save}).out;
    for (int i = 0; i < 4; ++i) EXPECT_NE(listed.find("Game" + std::to_string(i)), std::string::npos) << listed;

    // One that can't get its turn in time says so and changes nothing.
    const Bytes before = readBytes(save);
    FileLock other;
    ASSERT_EQ(other.acquire(save), 0);
    const CliRun run = runCli({"delete", save, "1"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "sramedit-cli: " + save + ": another program is writing this file; try again when it is done\n");
    EXPECT_EQ(readBytes(save), before);
}

// The journeys of a save between the tool and the hosts: each file is what
// a host leaves, and each result is checked against what PocketNES restores.
TEST(SrameditCli, SavesSurviveEveryHost)
{
    TempDir dir;
    const std::string rom = dir.file("game.nes"), rom2 = dir.file("other.nes");
    const Bytes romBytes = makeInesRom(40976, 0x12, 0, 5);
    writeBytes(rom, romBytes);
    writeBytes(rom2, makeInesRom(40976, 0x12, 0, 6));
    const std::uint32_t game = romChecksum(romBytes.data(), romBytes.size());
    const Bytes u = compressibleSave(8192, 1), played = patternBytes(8192, 2);
    writeBytes(dir.file("U.sav"), u);
    const auto lowerHalf = [](const Bytes& file) {
        auto image = blankPacked(32768);
        std::copy(file.begin(), file.begin() + 32768, image->begin());
        return image;
    };

    // The old default, a 64 KiB file, played in mGBA: PocketNES wrote its
    // 32 KiB memory (owner set, the session at 0x6000) over the first half.
    const std::string old = dir.file("old.sav");
    runOk({"new", old, "--packed", "--size", "64"});
    runOk({"append", old, dir.file("U.sav"), "--rom", rom});
    Bytes file = readBytes(old);
    putLe32(file.data() + 4 + 8, game);
    std::copy(played.begin(), played.end(), file.begin() + 0x6000);
    writeBytes(old, file);
    EXPECT_EQ(runOk({"list", old}).out.substr(0, 42), "PackedSaveImage: 32 KiB (stored twice), 2 ");
    runOk({"extract", old, "1", dir.file("played.sav")});
    EXPECT_EQ(readBytes(dir.file("played.sav")), played);
    runOk({"rename", old, "1", "Zelda"});
    file = readBytes(old);
    ASSERT_EQ(file.size(), 65536u);
    EXPECT_TRUE(std::equal(file.begin(), file.begin() + 32768, file.begin() + 32768));
    EXPECT_EQ(pocketNesRestores(*lowerHalf(file), game), played);

    // The game already has a save: append replaces it, a load elsewhere is refused.
    EXPECT_EQ(runOk({"append", old, dir.file("U.sav"), "--rom", rom}).out,
              "Replaced record 1, the battery save PocketNES restores for this game.\n");
    EXPECT_EQ(pocketNesRestores(*lowerHalf(readBytes(old)), game), u);
    runOk({"append", old, dir.file("U.sav"), "--rom", rom2});
    const CliRun refused = runCli({"load", old, "2", dir.file("U.sav"), "--rom", rom});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "sramedit-cli: " + old + ": not stored: this game's battery save is record 1, the one "
                                                   "PocketNES restores; load into record 1 instead\n");

    // A file that can't tell its memory is refused until the user says.
    Bytes untold = readBytes(old);
    putLe32(untold.data() + 4 + 8, game);
    std::copy(played.begin(), played.end(), untold.begin() + 0x6000);
    std::fill(untold.begin() + 0x8000, untold.end(), 0);
    const Bytes other = patternBytes(8192, 3);
    std::copy(other.begin(), other.end(), untold.end() - 8192);
    writeBytes(dir.file("untold.sav"), untold);
    const CliRun asked = runCli({"list", dir.file("untold.sav")});
    EXPECT_EQ(asked.status, 1);
    EXPECT_EQ(asked.err, "sramedit-cli: " + dir.file("untold.sav") +
                             ": holds a PocketNES save, but the file can't tell whether it was used with 32 KiB or "
                             "with 64 KiB of save memory; give --memory 32|64\n");
    EXPECT_EQ(runOk({"list", dir.file("untold.sav"), "--memory", "64"}).out.substr(0, 24), "PackedSaveImage: 64 KiB,");
}

TEST(SrameditCli, OlderRecordsRoomCopyAndConvert)
{
    TempDir dir;
    const std::uint32_t game = 0x0BADCAFE, owner = 0x77;
    const Bytes kept = compressibleSave(8192, 3), live = patternBytes(8192, 4);
    // PocketNES's blank battery save, then a second one of the same game; and
    // the owner's session in the live area, which it can't pack: 500 bytes free.
    auto image = blankPacked(32768);
    std::size_t at = putConfig(*image, 4, owner, 3);
    at = putCompressedRecord(*image, at, Bytes(4096, 0), "Zelda", RECORD_SV, game);
    at = putCompressedRecord(*image, at, kept, "Zelda", RECORD_SV, game);
    at = putRecord(*image, at, static_cast<std::uint16_t>(0x6000 - 8 - 500 - at), RECORD_ST, "state", 0, owner);
    putEnd(*image, at);
    setLiveArea(*image, live);
    const std::string cart = dir.file("cart.sav");
    writeBytes(cart, imageBytes(*image));
    const auto imageOf = [](const std::string& path, std::size_t memory) {
        auto read = blankPacked(memory);
        const Bytes bytes = readBytes(path);
        std::copy(bytes.begin(), bytes.begin() + static_cast<long>(memory), read->begin());
        return read;
    };

    const CliRun listed = runOk({"list", cart});
    EXPECT_NE(listed.out.find("1\tSV:Zelda\ttype SV, record 92 bytes, save 4096 bytes, ROM checksum 0BADCAFE, "
                              "older, PocketNES restores record 2\n"),
              std::string::npos);
    EXPECT_EQ(listed.err, "sramedit-cli: " + cart +
                              ": The newest save of ROM 00000077 is only in the live area, and there is no room to "
                              "pack it: PocketNES will drop it at its next start (\"Write error! Memory full\"). Free " +
                              std::to_string(recordSizeFor(live) - 500) +
                              " bytes (delete records, or remove older ones).\n");

    // The room is what the record really takes.
    const Bytes big = patternBytes(2000, 5);
    writeBytes(dir.file("big.sav"), big);
    writeBytes(dir.file("game.nes"), makeInesRom(16384, 0, 0, 7));
    const CliRun full = runCli({"append", cart, dir.file("big.sav"), "--rom", dir.file("game.nes")});
    EXPECT_EQ(full.err, "sramedit-cli: " + cart + ": not enough room for " + dir.file("big.sav") + ": it needs " +
                            std::to_string(recordSizeFor(big)) + " more bytes, 500 are free\n");

    EXPECT_EQ(runOk({"prune", cart}).out, "Removed 1 older battery saves, freed 92 bytes.\n");
    EXPECT_EQ(pocketNesRestores(*imageOf(cart, 32768), game), kept);

    // As a 64 KiB memory there is room: the session is packed at once.
    runOk({"convert", cart, "--size", "64", "-o", dir.file("big64.sav")});
    EXPECT_EQ(readBytes(dir.file("big64.sav")).size(), 65536u);
    EXPECT_EQ(pocketNesRestores(*imageOf(dir.file("big64.sav"), 65536), owner), live);
    EXPECT_EQ(runOk({"list", dir.file("big64.sav")}).err, "");

    // Copied into another save, byte for byte, for the same game.
    const std::string to = dir.file("to.sav");
    runOk({"new", to, "--packed"});
    EXPECT_EQ(runOk({"copy", dir.file("big64.sav"), "3", to}).out, "Copied record 3 to " + to + " as record 1.\n");
    EXPECT_EQ(pocketNesRestores(*imageOf(to, 32768), owner), live);
    const CliRun config = runCli({"copy", dir.file("big64.sav"), "0", to});
    EXPECT_EQ(config.err, "sramedit-cli: " + dir.file("big64.sav") +
                              ": record 0 is the configuration record; it belongs to its own save file\n");
}
