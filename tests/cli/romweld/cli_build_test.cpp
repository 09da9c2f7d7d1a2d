#include "cli_folder.h"
#include "run_cli.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

Bytes repaired(Bytes rom)
{
    rom[7] = 0;
    return rom;
}

}  // namespace

TEST(CliBuild, KorvalindeImageByteForByte)
{
    CliFolder f;
    const CliRun run = runCli({"--dir", f.path(), "build", "-o", f.out(), f.rom("alpha.nes"), f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readBytes(f.out()),
              join({f.shell,
                    FILE_MAGIC, field("Font", 32), field("bin", 4), le32(5), f.font, zeros(3),
                    FILE_MAGIC, field("alpha", 32), field("nes", 4), le32(24593), repaired(f.alpha), zeros(3),
                    FILE_MAGIC, field("beta", 32), field("nes", 4), le32(40), f.beta,
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
    CliRun run = runCli({"--dir", f.path(), "build", "-o", f.out(), f.rom("alpha.nes"), f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(f.out()),
              join({f.pocketShell,
                    field("Pocket", 32), le32(24593), le32(1), le32(2), le32(3), repaired(f.alpha),
                    field("beta", 32), le32(40), le32(0), le32(0), le32(0), f.beta,
                    END_RECORD}));
    EXPECT_TRUE(contains(run.out, "variant pn (PocketNES)"));

    // --variant wins; the title goes into the Korvalinde record as EUC-JP.
    run = runCli({"--dir", f.path(), "build", "--variant", "KVL-V02", "-o", f.out(), f.rom("alpha.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    const Bytes image = readBytes(f.out());
    const std::size_t record = f.shell.size() + 44 + 8;
    ASSERT_GT(image.size(), record + 44);
    EXPECT_EQ(Bytes(image.begin() + record, image.begin() + record + 44),
              join({FILE_MAGIC, field("\xA3\xC1\xA3\xEC\xA3\xF0\xA3\xE8\xA3\xE1", 32), field("nes", 4),
                    le32(24593)}));
    EXPECT_TRUE(contains(run.out, f.rom("alpha.nes") + " Ａｌｐｈａ nes\n"));
    EXPECT_EQ(readText(f.dir.file("romweld.ini")), settings);
}

TEST(CliBuild, ListFileFirstThenArgumentsWithoutDuplicates)
{
    CliFolder f;
    const std::string lst = f.dir.file("games.lst");
    writeText(lst, "### ROMWELD NES List ###\r\n" + f.rom("beta.nes") + "\r\n" + f.rom("alpha.nes") + "\r\n");
    CliRun run = runCli({"--dir", f.path(), "build", "-o", f.out(), "--list", lst, f.rom("alpha.nes"),
                         f.rom("beta.nes"), f.rom("alpha.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    const Bytes fromList = readBytes(f.out());
    EXPECT_TRUE(contains(run.out, "2 ROMs"));

    run = runCli({"--dir", f.path(), "build", "-o", f.dir.file("b.gba"), f.rom("beta.nes"), f.rom("alpha.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(fromList, readBytes(f.dir.file("b.gba")));

    // A list of the header alone gives nothing to write.
    writeText(lst, "### ROMWELD NES List ###\n");
    run = runCli({"--dir", f.path(), "build", "-o", f.dir.file("c.gba"), "--list", lst});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: no NES ROMs to write\n");
    EXPECT_FALSE(fileExists(f.dir.file("c.gba")));
}

TEST(CliBuild, RefusedInputsNameTheFileAndWriteNothing)
{
    CliFolder f;
    CliRun run = runCli({"--dir", f.path(), "build", "-o", f.out(), f.rom("alpha.nes"), f.rom("readme.txt"),
                         f.rom("gone.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + f.rom("readme.txt") + ": not an NES ROM (no iNES header)\n" +
                           "romweld-cli: " + f.rom("gone.nes") + ": No such file or directory\n");
    EXPECT_FALSE(fileExists(f.out()));

    const std::string lst = f.dir.file("bad.lst");
    writeText(lst, "### ROMWELD NES LIST ###\r\n");
    run = runCli({"--dir", f.path(), "build", "-o", f.out(), "--list", lst});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, lst + ": Wrong List File Error")) << run.err;
    run = runCli({"--dir", f.path(), "build", "-o", f.out(), "--list", f.dir.file("none.lst")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "none.lst: Can't Open File (No such file or directory)")) << run.err;

    run = runCli({"--dir", f.path(), "build", "--variant", "nope", "-o", f.out(), f.rom("alpha.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "no variant \"nope\"")) << run.err;
    EXPECT_FALSE(fileExists(f.out()));

    // The image can't be created where no folder is.
    const std::string nowhere = f.dir.file("no/such/out.gba");
    run = runCli({"--dir", f.path(), "build", "-o", nowhere, f.rom("alpha.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, nowhere + ": No such file or directory\nromweld-cli: " + nowhere +
                           ": no complete image was written\n");

    // Writing over one of the ROMs would destroy it.
    run = runCli({"--dir", f.path(), "build", "-o", f.rom("beta.nes"), f.rom("alpha.nes"), f.rom("beta.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(readBytes(f.rom("beta.nes")), f.beta);
}

TEST(CliBuild, MissingShellsAndExtraFilesAndBrokenValues)
{
    CliFolder f;
    // A variant whose extra file is gone can't be chosen; the other still can.
    ::unlink(f.dir.file("font.bin").c_str());
    CliRun run = runCli({"--dir", f.path(), "build", "--variant", "kvl-v02", "-o", f.out(), f.rom("beta.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "romweld-cli: variant \"kvl-v02\" can't be used: extra file font.bin: "
                                  "No such file or directory\n")) << run.err;
    run = runCli({"--dir", f.path(), "build", "-o", f.out(), f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "variant pn (PocketNES)"));

    writeText(f.dir.file("romweld.cfg"), "[list]\nnum=1\nlist0=k\n[k]\nfile0=font.bin\n");
    run = runCli({"--dir", f.path(), "build", "-o", f.out(), f.rom("beta.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "romweld.cfg: no listed shell variant has its shell and extra files")) << run.err;
}

TEST(CliBuild, FixesTheHeaderWhenAsked)
{
    CliFolder f;
    CliRun run = runCli({"--dir", f.path(), "build", "-o", f.out(), "--fix-header", f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    Bytes image = readBytes(f.out());
    ASSERT_EQ(image.size(), 1001u + 44 + 8 + 44 + 40 + 44);
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 4), (Bytes{0x2E, 0x00, 0x00, 0xEA}));
    EXPECT_EQ(Bytes(image.begin() + 0xA0, image.begin() + 0xC0),
              join({field("Korvalinde", 12), field("KVL", 4), field("ZQ", 2), {0x96}, zeros(10), {0xAA, 0, 0}}));
    EXPECT_TRUE(std::equal(f.shell.begin() + 0xC0, f.shell.end(), image.begin() + 0xC0));

    run = runCli({"--dir", f.path(), "build", "-o", f.out(), "--fix-header", "--gba-title=DEMO", f.rom("beta.nes")});
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
        EXPECT_EQ(run.err.rfind("romweld-cli: ", 0), 0u) << run.err;
        EXPECT_TRUE(contains(run.err, "Usage: romweld-cli")) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(fileExists(f.out()));
}
