#include "packed_image.h"
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

Bytes bytesOf(const PackedSaveImage& image)
{
    return Bytes(image.begin(), image.end());
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
    const std::string rom = dir.file("game.nes");
    const Bytes romBytes = makeInesRom(40976, 0x12, 0, 5);
    writeBytes(rom, romBytes);
    const std::uint32_t checksum = romChecksum(romBytes.data(), romBytes.size());
    const Bytes first = compressibleSave(8192, 1);
    const Bytes second = compressibleSave(2000, 2);
    writeBytes(dir.file("Metroid.sav"), first);
    writeBytes(dir.file("Zelda II.sav"), second);
    // After each command the file holds what the library makes of the same step.
    auto expected = std::make_unique<PackedSaveImage>();
    const auto fileMatches = [&] { EXPECT_EQ(readBytes(save), bytesOf(*expected)); };

    runOk({"new", save, "--packed"});
    blankPackedImage(*expected);
    fileMatches();
    runOk({"append", save, dir.file("Metroid.sav"), "--rom", rom});
    ASSERT_EQ(storePackedSave(dir.file("Metroid.sav"), *expected, PACKED_APPEND, checksum), 0);
    fileMatches();
    runOk({"append", save, "--rom", rom, dir.file("Zelda II.sav")});
    ASSERT_EQ(storePackedSave(dir.file("Zelda II.sav"), *expected, PACKED_APPEND, checksum), 0);
    fileMatches();

    const auto records = packedRecords(*expected);
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", checksum);
    EXPECT_EQ(runOk({"list", save}).out,
              "PackedSaveImage: 2 records, " + std::to_string(records[0].size + records[1].size) +
                  " bytes used\n"
                  "0\tSV:Metroid\ttype SV, compressed " + std::to_string(records[0].compressedLength) +
                  " bytes, ROM checksum " + hex + "\n"
                  "1\tSV:Zelda II\ttype SV, compressed " + std::to_string(records[1].compressedLength) +
                  " bytes, ROM checksum " + hex + "\n");

    runOk({"rename", save, "1", "ゼルダの伝説"});
    ASSERT_EQ(setPackedTitle(*expected, 1, utf8ToCp932("ゼルダの伝説")), 0);
    fileMatches();
    EXPECT_NE(runCli({"list", save}).out.find("1\tSV:ゼルダの伝説\t"), std::string::npos);

    runOk({"extract", save, "0", dir.file("back.sav")});
    EXPECT_EQ(readBytes(dir.file("back.sav")), first);
    fileMatches();

    runOk({"delete", save, "0"});
    deletePackedRecord(*expected, 0);
    fileMatches();
    runOk({"extract", save, "0", dir.file("zelda.sav")});
    EXPECT_EQ(readBytes(dir.file("zelda.sav")), second);

    // load replaces the record that is there.
    runOk({"load", save, "0", dir.file("Metroid.sav"), "--rom", rom});
    ASSERT_EQ(storePackedSave(dir.file("Metroid.sav"), *expected, 0, checksum), 0);
    fileMatches();
    EXPECT_EQ(packedRecords(*expected).size(), 1u);
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
        ASSERT_EQ(writeSaveImage(dir.file("expected.bin"), *expected), 0);
        EXPECT_EQ(readBytes(save), readBytes(dir.file("expected.bin")));
    };

    runOk({"new", save});
    blankSaveImage(*expected);
    fileMatches();
    runOk({"load", save, "2", dir.file("Quest.sav")});
    ASSERT_EQ(loadSlotFromFile(dir.file("Quest.sav"), *expected, 2), 0);
    fileMatches();
    EXPECT_EQ(runCli({"list", save}).out,
              "SaveImage: 7 slots, 1 used\n0\tEMPTY\n1\tEMPTY\n2\tQuest\n3\tEMPTY\n4\tEMPTY\n5\tEMPTY\n6\tEMPTY\n");

    // Half-width katakana are widened; the kanji is not an allowed title
    // character and is dropped, which the editor reports as fixed.
    EXPECT_EQ(runOk({"rename", save, "2", "ｶﾞｲｱ漢"}).out, "Invalid Title\nFixed\n");
    EXPECT_EQ(renameSlot(*expected, 2, utf8ToCp932("ｶﾞｲｱ漢")).outcome, RenameOutcome::StoredFixed);
    fileMatches();
    EXPECT_NE(runCli({"list", save}).out.find("2\tガイア\n"), std::string::npos);

    runOk({"extract", save, "2", dir.file("out.sav")});
    EXPECT_EQ(readBytes(dir.file("out.sav")), quest);
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
        std::string err;  // empty: any message will do
    };
    // Each case fails with a message and leaves both save files as they were.
    const auto expectFailures = [&](const std::vector<Case>& cases) {
        const Bytes packedBefore = readBytes(packed);
        const Bytes slotsBefore = readBytes(slots);
        for (const Case& c : cases) {
            const CliRun run = runCli(c.args);
            SCOPED_TRACE(::testing::PrintToString(c.args));
            EXPECT_EQ(run.status, c.status);
            EXPECT_FALSE(run.err.empty());
            if (!c.err.empty()) { EXPECT_EQ(run.err, c.err); }
        }
        EXPECT_EQ(readBytes(packed), packedBefore);
        EXPECT_EQ(readBytes(slots), slotsBefore);
        EXPECT_FALSE(fileExists(x));
    };
    expectFailures({
        {{"new", slots}, 1, ""},
        {{"load", slots, "0", big}, 1, "File size too big to savefile.\n"},
        {{"load", slots, "0", dir.file("missing.sav")}, 1, "File not found.\n"},
        {{"load", slots, "0", dir.file("empty.sav")}, 1, "File not found.\n"},
        {{"load", slots, "7", ok}, 1, ""},
        {{"rename", slots, "0", "Title"}, 1, "Slot 0 is empty.\n"},
        {{"delete", slots, "3"}, 1, "Slot 3 is empty.\n"},
        {{"extract", slots, "3", x}, 1, "Slot 3 is empty.\n"},
        {{"append", slots, ok, "--rom", rom}, 1, ""},
        {{"append", packed, ok, "--rom", dir.file("small.nes")}, 1, "File size too small.\n"},
        {{"append", packed, ok, "--rom", dir.file("none.nes")}, 1, "File not found.\n"},
        {{"append", packed, big, "--rom", rom}, 1, "File size too big to savefile.\n"},
        {{"load", packed, "0", ok, "--rom", rom}, 1, "No record 0 in the save file.\n"},
        {{"delete", packed, "0"}, 1, "No record 0 in the save file.\n"},
        {{"rename", packed, "0", "X"}, 1, "No record 0 in the save file.\n"},
        // Files that are no save file at all.
        {{"list", dir.file("junk.sav")}, 1, "Not a valid Korvalinde savefile.\n"},
        {{"list", dir.file("absent.sav")}, 1, "File not found.\n"},
    });

    // A ROM of exactly 16384 bytes is enough. With a record whose data are
    // damaged: an empty title is refused, and the save is not extracted.
    runOk({"append", packed, ok, "--rom", rom});
    auto image = std::make_unique<PackedSaveImage>();
    ASSERT_EQ(readPackedImage(packed, *image), 0);
    for (std::size_t i = 4 + 48; i < 4 + 48 + 40; ++i) (*image)[i] = 0xEE;
    ASSERT_EQ(writePackedImage(packed, *image), 0);
    expectFailures({
        {{"rename", packed, "0", "😀"}, 1, "Invalid Title\nCanceled\n"},
        {{"load", packed, "0", ok}, 2, ""},
        {{"extract", packed, "0", x}, 1, "The save data of record 0 are damaged.\n"},
    });
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
    };
    for (const auto& args : bad) {
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
    }
    EXPECT_FALSE(fileExists(x));
    EXPECT_NE(runOk({"--help"}).out.find("sramedit-cli rename SAVE INDEX TITLE"), std::string::npos);
    // "--" lets a title begin with dashes.
    writeBytes(dir.file("Q.sav"), Bytes{1});
    runOk({"new", x});
    runOk({"load", x, "0", dir.file("Q.sav")});
    runOk({"rename", x, "0", "--", "--X--"});
    EXPECT_NE(runCli({"list", x}).out.find("0\t--X--\n"), std::string::npos);
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
         dir.file("old.sav") + " already exists; extract replaces a file only with --force.\n"},
        {{"extract", save, "0", save, "--force"},
         save + " is the save file itself; extract never writes over it.\n"},
        {{"extract", save, "0", dir.file("link.sav"), "--force"},
         dir.file("link.sav") + " is the save file itself; extract never writes over it.\n"},
        {{"extract", dir.file("link.sav"), "0", save, "--force"},
         save + " is the save file itself; extract never writes over it.\n"},
        {{"new", dir.file("link.sav")}, dir.file("link.sav") + " already exists; new never overwrites a file.\n"},
    };
    for (const auto& c : refused) {
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.status, 1) << ::testing::PrintToString(c.args);
        EXPECT_EQ(run.err, c.err);
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
        EXPECT_EQ(run.err, dir.file("fifo.sav") + ": not a regular file\n");
    }
    EXPECT_EQ(readBytes(save), saveBytes);
}
