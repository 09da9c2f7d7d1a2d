// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli_folder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(CliBuild, KorvalindeImageByteForByte)
{
    CliFolder f;
    const CliRun run = f.run("build", {"-o", f.out(), f.rom("alpha.nes"), f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readBytes(f.out()), join({f.shell, kvlRecord("Font", "bin", f.font),
                                        kvlRecord("alpha", "nes", repaired(f.alpha)), kvlRecord("beta", "nes", f.beta),
                                        END_RECORD}));
    EXPECT_TRUE(contains(run.out, f.rom("alpha.nes") + " alpha nes\n"));
    EXPECT_TRUE(contains(run.out, f.out() + ": 25821 bytes, 2 ROMs, variant kvl-v02 (Korvalinde)\n"));
    EXPECT_FALSE(fileExists(f.dir.file("romweld.ini")));  // the command line writes no settings
}

TEST(CliBuild, TitlesPocketValuesAndVariantFromTheSettings)
{
    CliFolder f;
    const std::string settings =
        "[CONFIG]\r\nKVLVersion=P\r\n"
        "[TITLE]\r\nalpha.nes=Ａｌｐｈａ\r\n"
        "[PocketNES]\r\nALPHA.NES=1|2|3|Pocket\r\n";
    writeText(f.dir.file("romweld.ini"), settings);

    // "KVLVersion" chooses by prefix, case ignored, as the window does.
    CliRun run = f.run("build", {"-o", f.out(), f.rom("alpha.nes"), f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(f.out()), join({f.pocketShell, pocketRecord("Pocket", repaired(f.alpha), 1, 2, 3),
                                        pocketRecord("beta", f.beta), END_RECORD}));
    EXPECT_TRUE(contains(run.out, "variant pn (PocketNES)"));

    // --variant wins; the title goes into the Korvalinde record as EUC-JP.
    run = f.run("build", {"--variant", "KVL-V02", "-o", f.out(), f.rom("alpha.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(f.out()),
              join({f.shell, kvlRecord("Font", "bin", f.font),
                    kvlRecord("\xA3\xC1\xA3\xEC\xA3\xF0\xA3\xE8\xA3\xE1", "nes", repaired(f.alpha)), END_RECORD}));
    EXPECT_TRUE(contains(run.out, f.rom("alpha.nes") + " Ａｌｐｈａ nes\n"));
    EXPECT_EQ(readText(f.dir.file("romweld.ini")), settings);
}

TEST(CliBuild, ListFileFirstThenArgumentsWithoutDuplicates)
{
    CliFolder f;
    const std::string lst = f.dir.file("games.lst");
    writeText(lst, "### ROMWELD NES List ###\r\n" + f.rom("beta.nes") + "\r\n" + f.rom("alpha.nes") + "\r\n");
    CliRun run = f.run("build", {"-o", f.out(), "--list", lst, f.rom("alpha.nes"), f.rom("beta.nes"),
                                 f.rom("alpha.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "2 ROMs"));
    EXPECT_EQ(readBytes(f.out()), join({f.shell, kvlRecord("Font", "bin", f.font), kvlRecord("beta", "nes", f.beta),
                                        kvlRecord("alpha", "nes", repaired(f.alpha)), END_RECORD}));

    // A list of the header alone gives nothing to write.
    writeText(lst, "### ROMWELD NES List ###\n");
    run = f.run("build", {"-o", f.dir.file("c.gba"), "--list", lst});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: no NES ROMs to write\n");
    EXPECT_FALSE(fileExists(f.dir.file("c.gba")));
}

TEST(CliBuild, RefusedInputsNameTheFileAndWriteNothing)
{
    CliFolder f;
    writeText(f.dir.file("bad.lst"), "### ROMWELD NES LIST ###\r\n");
    const std::string nowhere = f.dir.file("no/such/out.gba");
    // One line for each file that stops the build, naming it.
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> lines;  // after "romweld-cli: ", the whole of standard error
    } cases[] = {
        {{"-o", f.out(), f.rom("alpha.nes"), f.rom("readme.txt"), f.rom("gone.nes")},
         {f.rom("readme.txt") + ": not an NES ROM (no iNES header)", f.rom("gone.nes") + ": not found"}},
        {{"-o", f.out(), "--list", f.dir.file("bad.lst")},
         {f.dir.file("bad.lst") + ": Wrong List File Error: the first line is not \"### ROMWELD NES List ###\""}},
        {{"-o", f.out(), "--list", f.dir.file("none.lst")}, {f.dir.file("none.lst") + ": No such file or directory"}},
        {{"--variant", "nope", "-o", f.out(), f.rom("alpha.nes")},
         {"no variant \"nope\" in " + f.dir.file("romweld.cfg") + " (romweld-cli variants lists them)"}},
        // The image can't be created where no folder is.
        {{"-o", nowhere, f.rom("alpha.nes")}, {nowhere + ": No such file or directory"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CliRun run = f.run("build", c.args);
        EXPECT_EQ(run.status, 1);
        std::string err;
        for (const std::string& line : c.lines) err += "romweld-cli: " + line + "\n";
        EXPECT_EQ(run.err, err);
        EXPECT_FALSE(fileExists(f.out()));
    }

    // Writing over one of the ROMs would destroy it; so would writing over
    // the list file or the settings the image is made from.
    const CliRun run = f.run("build", {"-o", f.rom("beta.nes"), f.rom("alpha.nes"), f.rom("beta.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(readBytes(f.rom("beta.nes")), f.beta);
    const std::string lst = f.dir.file("games.lst");
    writeText(lst, "### ROMWELD NES List ###\r\n" + f.rom("beta.nes") + "\r\n");
    writeText(f.dir.file("romweld.ini"), "[TITLE]\nbeta.nes=B\n");
    for (const std::string& input : {lst, f.dir.file("romweld.ini")}) {
        const std::string before = readText(input);
        const CliRun refused = f.run("build", {"-o", input, "--list", lst});
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.err, "romweld-cli: " + input + ": is one of the image's own input files\n");
        EXPECT_EQ(readText(input), before);
    }
    // Nor does the settings file's name become an image before the file exists.
    ::unlink(f.dir.file("romweld.ini").c_str());
    const CliRun named = f.run("build", {"-o", f.dir.file("romweld.ini"), f.rom("beta.nes")});
    EXPECT_EQ(named.status, 1);
    EXPECT_FALSE(fileExists(f.dir.file("romweld.ini")));
}

TEST(CliBuild, MissingShellsAndExtraFilesAndBrokenValues)
{
    CliFolder f;
    // A variant whose extra file is gone can't be chosen; the other still can.
    ::unlink(f.dir.file("font.bin").c_str());
    CliRun run = f.run("build", {"--variant", "kvl-v02", "-o", f.out(), f.rom("beta.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "romweld-cli: variant \"kvl-v02\" can't be used: extra file font.bin: "
                                  "No such file or directory\n")) << run.err;
    run = f.run("build", {"-o", f.out(), f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "variant pn (PocketNES)"));

    writeText(f.dir.file("romweld.cfg"), "[list]\nnum=1\nlist0=k\n[k]\nfile0=font.bin\n");
    run = f.run("build", {"-o", f.out(), f.rom("beta.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + f.dir.file("romweld.cfg") + ": no listed shell variant can be used: \"k\": "
                       "file0=font.bin lacks its path,name,ext commas\n");
}

TEST(CliBuild, FixesTheHeaderWhenAsked)
{
    CliFolder f;
    CliRun run = f.run("build", {"-o", f.out(), "--fix-header", f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    Bytes image = readBytes(f.out());
    ASSERT_EQ(image.size(), 1001u + 44 + 8 + 44 + 40 + 44);
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 4), (Bytes{0x2E, 0x00, 0x00, 0xEA}));
    EXPECT_EQ(Bytes(image.begin() + 0xA0, image.begin() + 0xC0),
              join({field("Korvalinde", 12), field("KVL", 4), field("ZQ", 2), {0x96}, zeros(10), {0xAA, 0, 0}}));
    EXPECT_TRUE(std::equal(f.shell.begin() + 0xC0, f.shell.end(), image.begin() + 0xC0));

    run = f.run("build", {"-o", f.out(), "--fix-header", "--gba-title=DEMO", f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    image = readBytes(f.out());
    EXPECT_EQ(Bytes(image.begin() + 0xA0, image.begin() + 0xAC), field("DEMO", 12));
}

TEST(CliBuild, UsageErrors)
{
    CliFolder f;
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"bake"},
        {"--dir", f.path(), "build", f.rom("alpha.nes")},                                   // no -o
        {"--dir", f.path(), "build", "-o", f.out()},                                        // no ROMs
        {"--dir", f.path(), "build", "-o", f.out(), "--gba-title", "X", f.rom("alpha.nes")},
        {"--dir", f.path(), "build", "-o", f.out(), "-o", f.out(), f.rom("alpha.nes")},
        {"--dir", f.path(), "build", "-o", f.out(), "--fast", f.rom("alpha.nes")},
        {"--dir", f.path(), "build", "-o"},
        {"--dir", "", "variants"},
        {"variants", "extra"},
        {"info"},
        {"fix-header"},
        {"fix-header", "a.gba", "b.gba"},
        {"fix-header", "--dir", f.path(), "a.gba"},
    };
    for (const auto& args : wrong) {
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
        // One line, and where help is.
        EXPECT_EQ(run.err.rfind("romweld-cli: ", 0), 0u) << run.err;
        const std::string help = run.err.substr(run.err.find('\n') + 1);
        EXPECT_TRUE(help == "Try 'romweld-cli --help'.\n" || help == "Try 'romweld-cli " + args[0] + " --help'.\n" ||
                    help == "Try 'romweld-cli " + args[2] + " --help'.\n")
            << run.err;
        EXPECT_EQ(run.out, "");
    }
    // A flag given a value is named, not shown as a stray byte.
    EXPECT_EQ(runCli({"build", "--qui=1", "-o", f.out(), f.rom("alpha.nes")}).err,
              "romweld-cli: option '--quiet' doesn't allow an argument\nTry 'romweld-cli build --help'.\n");
    EXPECT_FALSE(fileExists(f.out()));
}

TEST(CliBuild, RefusesAnImageLargerThanACartridgeUnlessAllowed)
{
    CliFolder f;
    // Variant "pn": a 64-byte shell, no extra files, 48-byte records, no
    // padding. A sparse ROM makes the image exactly 32 MiB.
    const std::string rom = f.rom("huge.nes");
    const long long fits = 32LL * 1024 * 1024 - 64 - 48 - 44;
    writeBytes(rom, makeInesRom(16));
    ASSERT_EQ(::truncate(rom.c_str(), fits), 0);
    CliRun run = f.run("build", {"--variant", "pn", "-o", f.out(), rom});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sizeOf(f.out()), 33554432);

    ASSERT_EQ(::truncate(rom.c_str(), fits + 1), 0);
    ::unlink(f.out().c_str());
    run = f.run("build", {"--variant", "pn", "-o", f.out(), rom});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + f.out() +
                           ": the image would be 33554433 bytes, more than the 32 MiB (33554432 bytes) a GBA "
                           "cartridge can hold; it would not run (--allow-oversize writes it anyway)\n");
    EXPECT_FALSE(fileExists(f.out()));

    run = f.run("build", {"--variant", "pn", "--allow-oversize", "-o", f.out(), rom});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sizeOf(f.out()), 33554433);
    // The flag belongs to build alone.
    EXPECT_EQ(f.run("info", {"--allow-oversize", rom}).status, 2);
}

TEST(CliBuild, WarnsOfEachRomWhoseMapperTheEmulatorLacks)
{
    CliFolder f;
    writeBytes(f.rom("six.nes"), makeInesRom(40, 0x60));             // mapper 6
    // Probes as mapper 70, which PocketNES runs; the damaged byte 7 is zeroed
    // on the way into the image, which then names mapper 6.
    writeBytes(f.rom("damaged.nes"), makeInesRom(40, 0x60, 0x44));
    Bytes nes20 = makeInesRom(40, 0x10, 0x48);                       // NES 2.0, mapper 0x141
    nes20[8] = 0x01;
    writeBytes(f.rom("nes20.nes"), nes20);
    const std::vector<std::string> roms = {f.rom("alpha.nes"), f.rom("six.nes"), f.rom("beta.nes"), f.rom("nes20.nes"),
                                           f.rom("damaged.nes")};

    std::vector<std::string> args = {"--variant", "pn", "-o", f.out()};
    args.insert(args.end(), roms.begin(), roms.end());
    CliRun run = f.run("build", args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "romweld-cli: warning: " + f.rom("six.nes") +
                           ": variant \"pn\" does not support mapper 6; the game will not run\n"
                           "romweld-cli: warning: " + f.rom("nes20.nes") +
                           ": variant \"pn\" does not support mapper 321; the game will not run\n"
                           "romweld-cli: warning: " + f.rom("damaged.nes") +
                           ": variant \"pn\" does not support mapper 6; the game will not run\n");
    EXPECT_TRUE(contains(run.out, "5 ROMs"));
    // The NES 2.0 header keeps its mapper bits in the image.
    const Bytes image = readBytes(f.out());
    Bytes kept = nes20;
    kept[7] = 0x40;
    EXPECT_TRUE(std::search(image.begin(), image.end(), kept.begin(), kept.end()) != image.end());

    // A Korvalinde variant without a mapper list checks nothing.
    args[1] = "kvl-v02";
    run = f.run("build", args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
}

// A reader that went away (`romweld-cli build ... | head -1`) costs the
// lines, not the image.
TEST(CliBuild, AClosedStandardOutputCostsTheLinesNotTheImage)
{
    CliFolder f;
    const std::string errPath = f.dir.file("err.txt");
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], 1);
        ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        const std::string dir = f.path(), out = f.out(), alpha = f.rom("alpha.nes");
        ::execl(ROMWELD_CLI_PATH, ROMWELD_CLI_PATH, "--dir", dir.c_str(), "build", "-o", out.c_str(), alpha.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_TRUE(contains(readText(errPath), "standard output: Broken pipe")) << readText(errPath);
    EXPECT_EQ(readBytes(f.out()), join({f.shell, kvlRecord("Font", "bin", f.font),
                                        kvlRecord("alpha", "nes", repaired(f.alpha)), END_RECORD}));
}

// A list as editors and scripts leave it: blank lines, and a hundred lines
// that name nothing usable, told as one summary of the first 15 with their
// reasons and a count of the rest; a NUL byte makes its line name nothing.
TEST(CliBuild, ListProblemsAreOneSummaryAndBlankLinesNameNothing)
{
    CliFolder f;
    const std::string lst = f.dir.file("games.lst");
    writeText(lst, "### ROMWELD NES List ###\r\n" + f.rom("beta.nes") + "\r\n\r\n\n");
    CliRun run = f.run("build", {"-o", f.out(), "--list", lst});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    std::string text = "### ROMWELD NES List ###\r\n" + f.rom("readme.txt") + "\r\n" + f.rom("beta.nes") +
                       std::string("\0x.nes\r\n", 8);
    for (int i = 0; i < 100; ++i) text += f.rom("gone" + std::to_string(i) + ".nes") + "\r\n";
    writeText(lst, text);
    run = f.run("build", {"-o", f.out(), "--list", lst});
    EXPECT_EQ(run.status, 1);
    std::string expected = "romweld-cli: " + f.rom("readme.txt") + ": not an NES ROM (no iNES header)\n" +
                           "romweld-cli: " + lst + ":3: the line holds a NUL byte, so it names no file\n";
    for (int i = 0; i < 13; ++i) expected += "romweld-cli: " + f.rom("gone" + std::to_string(i) + ".nes") + ": not found\n";
    EXPECT_EQ(run.err, expected + "romweld-cli: ... and 87 more problems\n");

    // A list of nothing but problems is not read past the thousandth.
    text = "### ROMWELD NES List ###\n";
    for (int i = 0; i < 1200; ++i) text += "gone" + std::to_string(i) + "\n";
    writeText(lst, text);
    run = f.run("build", {"-o", f.out(), "--list", lst});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "romweld-cli: " + lst + ": stopped after 1000 problems; the lines after line 1001 "
                                  "were not read\n" + "romweld-cli: gone0: not found\n"))
        << run.err;
    EXPECT_TRUE(contains(run.err, "romweld-cli: ... and 985 more problems\n")) << run.err;
}

// Two files whose names differ only in letter case are two ROMs, with a
// warning; one file named twice (through a link) is one.
TEST(CliBuild, NamesThatDifferOnlyInCaseAreTwoRomsAndAWarning)
{
    CliFolder f;
    writeBytes(f.rom("Beta.nes"), f.beta);
    ASSERT_EQ(::symlink(f.rom("alpha.nes").c_str(), f.rom("link.nes").c_str()), 0);
    const CliRun run = f.run("build", {"-o", f.out(), f.rom("beta.nes"), f.rom("Beta.nes"), f.rom("alpha.nes"),
                                       f.rom("link.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "3 ROMs")) << run.out;
    EXPECT_EQ(run.err, "romweld-cli: warning: " + f.rom("Beta.nes") + ": its name differs from " + f.rom("beta.nes") +
                           " only in letter case; on a FAT-formatted memory card the two would be one file\n");
}

// A settings file that can't be read is said to be so, in one line.
TEST(CliBuild, SettingsThatCantBeReadAreNamedNotIgnored)
{
    CliFolder f;
    const std::string ini = f.dir.file("romweld.ini");
    const std::string tail = "; romweld-cli goes on without the titles, options and variant it keeps\n";
    writeText(ini, "[TITLE]\nbeta.nes=" + std::string(70000, 'b') + "\n");
    CliRun run = f.run("build", {"-o", f.out(), f.rom("beta.nes")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "romweld-cli: warning: " + ini + ": a line is too long" + tail);
    ::unlink(ini.c_str());
    ASSERT_EQ(::mkfifo(ini.c_str(), 0644), 0);
    run = f.run("info", {f.rom("beta.nes")});
    EXPECT_EQ(run.err, "romweld-cli: warning: " + ini + ": not a regular file" + tail);
}
