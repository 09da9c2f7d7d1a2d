// romweld-cli build --splash, --trim-overdumps and --allow-bad-dumps, and the
// dump checks of info.
#include "cli_folder.h"

#include "test_pictures.h"

#include <gtest/gtest.h>

namespace {

constexpr std::size_t SPLASH = 76800;

struct DumpFolder : CliFolder {
    Bytes over = makePromisingRom(1, 0, 100, 0, 31);   // 16400 promised
    Bytes shortRom = makePromisingRom(1, 1, -16, 0, 32);  // 24592 promised
    DumpFolder()
    {
        writeBytes(rom("over.nes"), over);
        writeBytes(rom("short.nes"), shortRom);
        writeText(dir.file("title.png"), pictureBytes(PictureKind::Png, 3, 2, solidRgba(3, 2, 255, 0, 0)));
    }
};

}  // namespace

TEST(CliSplash, APictureGoesRightAfterThePocketNesShell)
{
    DumpFolder f;
    const CliRun run = f.run("build", {"-o", f.out(), "--variant", "pn", "--splash", f.dir.file("title.png"),
                                       f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    const Bytes image = readBytes(f.out());
    ASSERT_EQ(image.size(), 64 + SPLASH + 48 + 40 + 44);
    // Red fills the 3:2 screen: 0x001F in every pixel, little-endian.
    for (std::size_t at = 64; at < 64 + SPLASH; at += 2) ASSERT_TRUE(image[at] == 0x1F && image[at + 1] == 0) << at;
    EXPECT_TRUE(contains(run.out, ", splash screen\n")) << run.out;
}

TEST(CliSplash, RefusalsAreOneLineAndWriteNothing)
{
    DumpFolder f;
    writeText(f.dir.file("notes.png"), "plain text");
    struct Case {
        std::vector<std::string> args;
        std::string line;
    };
    for (const Case& c :
         {Case{{"--variant", "kvl-v02", "--splash", f.dir.file("title.png")},
               "romweld-cli: variant \"kvl-v02\" has the Korvalinde layout, which has no place for a splash screen "
               "(PocketNES images only)\n"},
          Case{{"--variant", "pn", "--splash", f.dir.file("notes.png")},
               "romweld-cli: " + f.dir.file("notes.png") +
                   ": can't be used as a splash screen: not a PNG, JPEG, BMP or GIF picture\n"},
          Case{{"--variant", "pn", "--splash", f.dir.file("gone.png")},
               "romweld-cli: " + f.dir.file("gone.png") + ": can't be used as a splash screen: No such file or "
                                                          "directory\n"},
          Case{{f.rom("short.nes")}, "romweld-cli: " + f.rom("short.nes") +
                                         ": bad dump: 16 bytes shorter than its header says; its record would be "
                                         "broken (--allow-bad-dumps writes it anyway)\n"}}) {
        std::vector<std::string> args = {"-o", f.out(), f.rom("beta.nes")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = f.run("build", args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.line);
        EXPECT_FALSE(fileExists(f.out()));
    }
}

TEST(CliSplash, BadDumpsWhenAllowedAndOverdumpsTrimmedOrWarnedAbout)
{
    DumpFolder f;
    const std::string overLine = f.rom("over.nes") + ": overdump: 100 bytes beyond what its header says";
    CliRun run = f.run("build", {"-o", f.out(), "--variant", "pn", "--allow-bad-dumps", f.rom("over.nes"),
                                 f.rom("short.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "romweld-cli: warning: " + overLine +
                           " (--trim-overdumps writes only what the header promises)\n"
                           "romweld-cli: warning: " + f.rom("short.nes") +
                           ": bad dump: 16 bytes shorter than its header says\n");
    EXPECT_EQ(readBytes(f.out()).size(), 64 + 48 + f.over.size() + 48 + f.shortRom.size() + 44);

    run = f.run("build", {"-o", f.out(), "--variant", "pn", "--trim-overdumps", f.rom("over.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readBytes(f.out()).size(), 64 + 48 + 16400 + 44u);

    run = f.run("info", {f.rom("over.nes"), f.rom("short.nes"), f.rom("beta.nes")});
    EXPECT_TRUE(contains(run.out, ", overdump: 100 bytes beyond what its header says\n")) << run.out;
    EXPECT_TRUE(contains(run.out, ", bad dump: 16 bytes shorter than its header says\n")) << run.out;
    EXPECT_FALSE(contains(run.out, "beta.nes: iNES, mapper 4, battery no, 40 bytes, title \"beta\", PocketNES 0|0|0|beta,"));
}
