#include "packed_image.h"
#include "run_program.h"
#include "save_slots.h"
#include "test_files.h"
#include "text_encoding.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using CliRun = ProgramRun;

// Runs sramedit-cli with args.
CliRun runCli(const TempDir&, const std::vector<std::string>& args)
{
    return runProgram(SRAMEDIT_CLI, args);
}

Bytes bytesOf(const PackedSaveImage& image)
{
    return Bytes(image.begin(), image.end());
}

// The file a slot image becomes when written: normalised, with its checksum.
Bytes writtenSlots(const TempDir& dir, SaveImage& image)
{
    const std::string path = dir.file("expected.bin");
    EXPECT_EQ(writeSaveImage(path, image), 0);
    return readBytes(path);
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
    const Bytes rom = makeInesRom(40976, 0x12, 0, 5);
    writeBytes(dir.file("game.nes"), rom);
    const std::uint32_t checksum = romChecksum(rom.data(), rom.size());
    const Bytes first = compressibleSave(8192, 1);
    const Bytes second = compressibleSave(2000, 2);
    writeBytes(dir.file("Metroid.sav"), first);
    writeBytes(dir.file("Zelda II.sav"), second);

    CliRun run = runCli(dir, {"new", save, "--packed"});
    ASSERT_EQ(run.status, 0) << run.err;
    auto expected = std::make_unique<PackedSaveImage>();
    blankPackedImage(*expected);
    EXPECT_EQ(readBytes(save), bytesOf(*expected));

    run = runCli(dir, {"append", save, dir.file("Metroid.sav"), "--rom", dir.file("game.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(storePackedSave(dir.file("Metroid.sav"), *expected, PACKED_APPEND, checksum), 0);
    EXPECT_EQ(readBytes(save), bytesOf(*expected));
    run = runCli(dir, {"append", save, "--rom", dir.file("game.nes"), dir.file("Zelda II.sav")});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(storePackedSave(dir.file("Zelda II.sav"), *expected, PACKED_APPEND, checksum), 0);
    EXPECT_EQ(readBytes(save), bytesOf(*expected));

    const auto records = packedRecords(*expected);
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", checksum);
    run = runCli(dir, {"list", save});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "PackedSaveImage: 2 records, " + std::to_string(records[0].size + records[1].size) +
                           " bytes used\n"
                           "0\tSV:Metroid\ttype SV, compressed " + std::to_string(records[0].compressedLength) +
                           " bytes, ROM checksum " + hex + "\n"
                           "1\tSV:Zelda II\ttype SV, compressed " + std::to_string(records[1].compressedLength) +
                           " bytes, ROM checksum " + hex + "\n");

    run = runCli(dir, {"rename", save, "1", "ゼルダの伝説"});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(setPackedTitle(*expected, 1, utf8ToCp932("ゼルダの伝説")), 0);
    EXPECT_EQ(readBytes(save), bytesOf(*expected));
    run = runCli(dir, {"list", save});
    EXPECT_NE(run.out.find("1\tSV:ゼルダの伝説\t"), std::string::npos) << run.out;

    run = runCli(dir, {"extract", save, "0", dir.file("back.sav")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(dir.file("back.sav")), first);
    EXPECT_EQ(readBytes(save), bytesOf(*expected));

    run = runCli(dir, {"delete", save, "0"});
    ASSERT_EQ(run.status, 0) << run.err;
    deletePackedRecord(*expected, 0);
    EXPECT_EQ(readBytes(save), bytesOf(*expected));
    run = runCli(dir, {"extract", save, "0", dir.file("zelda.sav")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(dir.file("zelda.sav")), second);

    // load replaces the record that is there.
    run = runCli(dir, {"load", save, "0", dir.file("Metroid.sav"), "--rom", dir.file("game.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(storePackedSave(dir.file("Metroid.sav"), *expected, 0, checksum), 0);
    EXPECT_EQ(readBytes(save), bytesOf(*expected));
    EXPECT_EQ(packedRecords(*expected).size(), 1u);
}

TEST(SrameditCli, SlotWorkflowMatchesTheLibrary)
{
    TempDir dir;
    const std::string save = dir.file("kvl.sav");
    const Bytes quest = patternBytes(8192, 3);
    writeBytes(dir.file("Quest.sav"), quest);

    ASSERT_EQ(runCli(dir, {"new", save}).status, 0);
    auto expected = std::make_unique<SaveImage>();
    blankSaveImage(*expected);
    EXPECT_EQ(readBytes(save), writtenSlots(dir, *expected));

    CliRun run = runCli(dir, {"load", save, "2", dir.file("Quest.sav")});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(loadSlotFromFile(dir.file("Quest.sav"), *expected, 2), 0);
    EXPECT_EQ(readBytes(save), writtenSlots(dir, *expected));

    run = runCli(dir, {"list", save});
    EXPECT_EQ(run.out, "SaveImage: 7 slots, 1 used\n0\tEMPTY\n1\tEMPTY\n2\tQuest\n3\tEMPTY\n4\tEMPTY\n5\tEMPTY\n6\tEMPTY\n");

    // Half-width katakana are widened; the kanji is not an allowed title
    // character and is dropped, which the editor reports as fixed.
    run = runCli(dir, {"rename", save, "2", "ｶﾞｲｱ漢"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Invalid Title\nFixed\n");
    EXPECT_EQ(renameSlot(*expected, 2, utf8ToCp932("ｶﾞｲｱ漢")).outcome, RenameOutcome::StoredFixed);
    EXPECT_EQ(readBytes(save), writtenSlots(dir, *expected));
    run = runCli(dir, {"list", save});
    EXPECT_NE(run.out.find("2\tガイア\n"), std::string::npos) << run.out;

    run = runCli(dir, {"extract", save, "2", dir.file("out.sav")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(dir.file("out.sav")), quest);

    ASSERT_EQ(runCli(dir, {"delete", save, "2"}).status, 0);
    deleteSlot(*expected, 2);
    EXPECT_EQ(readBytes(save), writtenSlots(dir, *expected));
}

TEST(SrameditCli, FailedCommandsLeaveTheSaveFileAlone)
{
    TempDir dir;
    const std::string packed = dir.file("packed.sav");
    const std::string slots = dir.file("slots.sav");
    ASSERT_EQ(runCli(dir, {"new", packed, "--packed"}).status, 0);
    ASSERT_EQ(runCli(dir, {"new", slots}).status, 0);
    writeBytes(dir.file("big.sav"), Bytes(8193, 1));
    writeBytes(dir.file("ok.sav"), compressibleSave(1000, 1));
    writeBytes(dir.file("small.nes"), makeInesRom(16383));
    writeBytes(dir.file("edge.nes"), makeInesRom(16384));
    const std::string rom = dir.file("edge.nes");
    const Bytes packedBefore = readBytes(packed);
    const Bytes slotsBefore = readBytes(slots);

    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"new", slots}, 1, ""},
        {{"load", slots, "0", dir.file("big.sav")}, 1, "File size too big to savefile.\n"},
        {{"load", slots, "0", dir.file("missing.sav")}, 1, "File not found.\n"},
        {{"load", slots, "7", dir.file("ok.sav")}, 1, ""},
        {{"rename", slots, "0", "Title"}, 1, "Slot 0 is empty.\n"},
        {{"delete", slots, "3"}, 1, "Slot 3 is empty.\n"},
        {{"extract", slots, "3", dir.file("x.sav")}, 1, "Slot 3 is empty.\n"},
        {{"append", slots, dir.file("ok.sav"), "--rom", rom}, 1, ""},
        {{"append", packed, dir.file("ok.sav"), "--rom", dir.file("small.nes")}, 1, "File size too small.\n"},
        {{"append", packed, dir.file("ok.sav"), "--rom", dir.file("none.nes")}, 1, "File not found.\n"},
        {{"append", packed, dir.file("big.sav"), "--rom", rom}, 1, "File size too big to savefile.\n"},
        {{"load", packed, "0", dir.file("ok.sav"), "--rom", rom}, 1, "No record 0 in the save file.\n"},
        {{"delete", packed, "0"}, 1, "No record 0 in the save file.\n"},
        {{"rename", packed, "0", "X"}, 1, "No record 0 in the save file.\n"},
    };
    for (const Case& c : cases) {
        const CliRun run = runCli(dir, c.args);
        EXPECT_EQ(run.status, c.status) << c.args[0] << " " << c.args[2];
        if (!c.err.empty()) {
            EXPECT_EQ(run.err, c.err) << c.args[0] << " " << c.args[2];
        }
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_EQ(readBytes(packed), packedBefore);
    EXPECT_EQ(readBytes(slots), slotsBefore);
    EXPECT_FALSE(fileExists(dir.file("x.sav")));

    // A ROM of exactly 16384 bytes is enough; then an empty title is refused.
    ASSERT_EQ(runCli(dir, {"append", packed, dir.file("ok.sav"), "--rom", rom}).status, 0);
    const Bytes withRecord = readBytes(packed);
    CliRun run = runCli(dir, {"rename", packed, "0", "😀"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Invalid Title\nCanceled\n");
    EXPECT_EQ(readBytes(packed), withRecord);
    EXPECT_EQ(runCli(dir, {"load", packed, "0", dir.file("ok.sav")}).status, 2);

    // A record whose data are damaged is not extracted.
    auto image = std::make_unique<PackedSaveImage>();
    ASSERT_EQ(readPackedImage(packed, *image), 0);
    for (std::size_t i = 4 + 48; i < 4 + 48 + 40; ++i) (*image)[i] = 0xEE;
    ASSERT_EQ(writePackedImage(packed, *image), 0);
    run = runCli(dir, {"extract", packed, "0", dir.file("x.sav")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "The save data of record 0 are damaged.\n");
    EXPECT_FALSE(fileExists(dir.file("x.sav")));

    // Files that are no save file at all.
    writeBytes(dir.file("junk.sav"), patternBytes(65536));
    run = runCli(dir, {"list", dir.file("junk.sav")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Not a valid Korvalinde savefile.\n");
    run = runCli(dir, {"list", dir.file("absent.sav")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "File not found.\n");
}

TEST(SrameditCli, UsageErrorsExitWithTwo)
{
    TempDir dir;
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate", "x.sav"},
        {"list"},
        {"list", "a.sav", "b.sav"},
        {"delete", "x.sav", "one"},
        {"delete", "x.sav", "-1"},
        {"append", "x.sav", "a.sav"},
        {"load", "x.sav", "0", "a.sav", "--rom"},
        {"new", "x.sav", "--rom", "a.nes"},
        {"list", "x.sav", "--packed"},
    };
    for (const auto& args : bad) {
        const CliRun run = runCli(dir, args);
        EXPECT_EQ(run.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
    }
    EXPECT_FALSE(fileExists(dir.file("x.sav")));
    const CliRun help = runCli(dir, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("sramedit-cli rename SAVE INDEX TITLE"), std::string::npos);
    // "--" lets a title begin with dashes.
    writeBytes(dir.file("Q.sav"), Bytes{1});
    ASSERT_EQ(runCli(dir, {"new", dir.file("s.sav")}).status, 0);
    ASSERT_EQ(runCli(dir, {"load", dir.file("s.sav"), "0", dir.file("Q.sav")}).status, 0);
    EXPECT_EQ(runCli(dir, {"rename", dir.file("s.sav"), "0", "--", "--X--"}).status, 0);
    EXPECT_NE(runCli(dir, {"list", dir.file("s.sav")}).out.find("0\t--X--\n"), std::string::npos);
}
