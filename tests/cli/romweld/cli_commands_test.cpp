// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli_folder.h"
#include "system_limits.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(CliVariants, ListsUsableVariantsAndNamesTheOthers)
{
    CliFolder f;
    CliRun run = f.run("variants");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "kvl-v02\tKorvalinde\t1053\npn\tPocketNES\t64\n");
    EXPECT_EQ(run.err, "romweld-cli: using " + f.dir.file("romweld.cfg") + " and the settings file " +
                           f.dir.file("romweld.ini") + "\n");

    writeText(f.dir.file("romweld.cfg"),
              "[list]\nnum=4\nlist0=kvl-v02\nlist1=\nlist2=commas\nlist3=noshell\n"
              "[kvl-v02]\nfile0=font.bin,Font,bin\n[commas]\nfile0=font.bin\n[noshell]\nshell=none.gba\n");
    run = runCli({"variants", "--dir", f.path()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "kvl-v02\tKorvalinde\t1053\n");
    EXPECT_TRUE(contains(run.err, "romweld-cli: variant \"commas\" left out: file0=font.bin lacks its path,name,ext commas\n"));
    EXPECT_TRUE(contains(run.err, "romweld-cli: variant \"noshell\" left out: shell none.gba: No such file or directory\n"));
}

TEST(CliVariants, BrokenConfigurationsGiveOneClearLine)
{
    CliFolder f;
    const std::string cfg = f.dir.file("romweld.cfg");
    const std::pair<std::string, std::string> cases[] = {  // configuration, the reason given
        {"", "no \"num\" in section \"list\""},
        {"[list]\nnum=0\nlist0=kvl-v02\n", "\"num\" of section \"list\" is 0; it must be 1 or more"},
        {"[list]\nnum=-3\nlist0=kvl-v02\n", "\"num\" of section \"list\" is -3; it must be 1 or more"},
        {"[list]\nnum=99999999999\nlist0=kvl-v02\n", "\"num\" of section \"list\" is 99999999999, more than"},
        {"[list]\nnum=2\n", "the \"list\" section names no variant"},
        {"[list]\nnum=1\nlist0=x\n[x]\nshell=gone.gba\n",
         "no listed shell variant can be used: \"x\": shell gone.gba: No such file or directory"},
        {"[list]\nnum=1\nlist0=kvl-v02\n" + std::string(70000, ';'), "a line is too long; it is not read"},
    };
    for (const auto& [config, reason] : cases) {
        writeText(cfg, config);
        const CliRun run = f.run("variants");
        EXPECT_EQ(run.status, 1) << config;
        EXPECT_TRUE(contains(run.err, "romweld-cli: " + cfg + ": " + reason)) << run.err;
        EXPECT_EQ(run.out, "");
    }

    ::unlink(cfg.c_str());
    CliRun run = f.run("variants");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + cfg + ": No such file or directory\n");

    run = runCli({"--dir", f.dir.file("nowhere"), "variants"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + f.dir.file("nowhere") + ": No such file or directory\n");
}

TEST(CliInfo, DescribesEachFile)
{
    CliFolder f;
    writeText(f.dir.file("romweld.ini"), "[TITLE]\nbeta.nes=Better Beta\n[PocketNES]\nbeta.nes=4|1|2\n");
    const CliRun run = f.run("info", {f.rom("alpha.nes"), f.rom("gone.nes"), f.rom("beta.nes"), f.rom("readme.txt")});
    EXPECT_EQ(run.status, 1);  // one file could not be read
    EXPECT_EQ(run.out,
              f.rom("alpha.nes") + ": iNES, mapper 65, battery yes, 24593 bytes, title \"alpha\", PocketNES 0|0|0|alpha, "
                                   "mapper 1 in the image (damaged header repaired)\n" +
              f.rom("beta.nes") + ": iNES, mapper 4, battery no, 40 bytes, title \"Better Beta\", PocketNES 4|1|2|Better Beta\n" +
              f.rom("readme.txt") + ": not an iNES file, 10 bytes\n");
    EXPECT_EQ(run.err, "romweld-cli: " + f.rom("gone.nes") + ": not found\n");
}

TEST(CliInfo, NamesNes20HeadersAndJudgesMappersForAVariant)
{
    CliFolder f;
    Bytes nes20 = makeInesRom(40, 0x12, 0x48);  // NES 2.0, mapper 0x241, battery
    nes20[8] = 0x22;                            // submapper 2, mapper bits 8-11 = 2
    writeBytes(f.rom("nes20.nes"), nes20);
    const std::vector<std::string> roms = {f.rom("alpha.nes"), f.rom("nes20.nes")};

    CliRun run = f.run("info", roms);
    ASSERT_EQ(run.status, 0) << run.err;
    // alpha's byte 7 (0x44) is damage, which the copy repairs: the image names mapper 1.
    EXPECT_EQ(run.out, f.rom("alpha.nes") + ": iNES, mapper 65, battery yes, 24593 bytes, title \"alpha\", "
                                            "PocketNES 0|0|0|alpha, mapper 1 in the image (damaged header repaired)\n" +
                           f.rom("nes20.nes") + ": NES 2.0, mapper 577, battery yes, 40 bytes, title \"nes20\", "
                                                "PocketNES 0|0|0|nes20\n");

    std::vector<std::string> args = {"--variant", "PN"};
    args.insert(args.end(), roms.begin(), roms.end());
    run = f.run("info", args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "PocketNES 0|0|0|alpha, mapper 1 in the image (damaged header repaired), mapper "
                                  "supported by variant \"pn\"\n")) << run.out;
    EXPECT_TRUE(contains(run.out, "PocketNES 0|0|0|nes20, variant \"pn\" does not support mapper 577; the game "
                                  "will not run\n")) << run.out;

    args[1] = "kvl-v02";
    run = f.run("info", args);
    EXPECT_TRUE(contains(run.out, "repaired), variant \"kvl-v02\" lists no mappers (not checked)\n")) << run.out;

    args[1] = "none";
    run = f.run("info", args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(contains(run.err, "no variant \"none\"")) << run.err;
}

TEST(CliFixHeader, RewritesGrowsAndRefuses)
{
    TempDir dir;
    const std::string image = dir.file("a.gba");
    writeBytes(image, patternBytes(300));
    CliRun run = runCli({"fix-header", image, "--title", "My Title", "--code=ABCD", "--maker", "01"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, image + ": GBA header rewritten (title \"My Title\", game code \"ABCD\", maker code \"01\")\n");
    Bytes b = readBytes(image);
    ASSERT_EQ(b.size(), 300u);
    EXPECT_EQ(Bytes(b.begin() + 0xA0, b.begin() + 0xB3), join({field("My Title", 12), field("ABCD", 4), field("01", 2), {0x96}}));

    // Defaults: the values of romweld's "Create Image".
    run = runCli({"fix-header", image});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(image)[0xBD], 0xAA);

    writeBytes(image, Bytes{1, 2, 3});
    run = runCli({"fix-header", image});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "romweld-cli: warning: " + image + ": only 3 bytes; the header fills it to 192 bytes\n");
    EXPECT_EQ(sizeOf(image), 192);

    run = runCli({"fix-header", dir.file("missing.gba")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + dir.file("missing.gba") + ": No such file or directory\n");
    EXPECT_FALSE(fileExists(dir.file("missing.gba")));
    run = runCli({"fix-header", dir.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "Is a directory"));
}

TEST(CliHelp, EveryCommandExplainsItself)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"variants", "--help"}, {"build", "--help"}, {"info", "-h"}, {"fix-header", "--help"}}) {
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind("Usage: romweld-cli", 0), 0u) << run.out;
        EXPECT_EQ(run.err, "");
    }
    EXPECT_TRUE(contains(runCli({"build", "--help"}).out, "--fix-header"));
}

TEST(CliProgramFolder, WithoutDirTheProgramsOwnFolderAndSettings)
{
    // A portable folder: the program beside its configuration and settings.
    CliFolder f;
    namespace fs = std::filesystem;
    const std::string program = f.dir.file("romweld-cli");
    fs::copy_file(ROMWELD_CLI_PATH, program);
    fs::permissions(program, fs::perms::owner_all);
    writeText(f.dir.file("romweld.ini"), "[CONFIG]\nKVLVersion=pn\n");

    CliRun run = runProgram(program, {"variants"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "kvl-v02\tKorvalinde\t1053\npn\tPocketNES\t64\n");

    run = runProgram(program, {"build", "-o", f.out(), f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(f.out()), join({f.pocketShell, field("beta", 32), le32(40), zeros(12), f.beta, END_RECORD}));
}

// A FIFO where a file should be is named as such at once; nothing waits.
TEST(CliFifo, EveryInputThatIsAFifoIsRefusedAtOnce)
{
    CliFolder f;
    const std::string fifo = f.rom("fifo.nes");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const HangGuard guard(60);
    CliRun run = f.run("info", {fifo});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + fifo + ": not a regular file\n");
    run = f.run("build", {"-o", f.out(), "--list", fifo});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + fifo + ": not a regular file\n");
    run = f.run("build", {"-o", f.out(), fifo});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, fifo + ": not a regular file")) << run.err;

    const std::string cfg = f.dir.file("romweld.cfg");
    ::unlink(cfg.c_str());
    ASSERT_EQ(::mkfifo(cfg.c_str(), 0644), 0);
    run = f.run("variants");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + cfg + ": not a regular file\n");
}
