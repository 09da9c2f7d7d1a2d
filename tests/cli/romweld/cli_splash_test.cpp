// SPDX-License-Identifier: GPL-3.0-or-later
// romweld-cli build --splash, --trim-overdumps and --allow-bad-dumps, and the
// dump checks of info.
#include "cli_folder.h"

#include "test_pictures.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(CliSplash, APictureGoesRightAfterThePocketNesShellOrIsRefusedInOneLine)
{
    CliFolder f;
    writeText(f.dir.file("title.png"), pictureBytes(PictureKind::Png, 3, 2, solidRgba(3, 2, 255, 0, 0)));
    writeText(f.dir.file("notes.png"), "plain text");
    const CliRun run = f.run("build", {"-o", f.out(), "--variant", "pn", "--splash", f.dir.file("title.png"),
                                       f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    const Bytes image = readBytes(f.out());
    ASSERT_EQ(image.size(), 64 + 76800 + 48 + 40 + 44u);
    // Red fills the 3:2 screen: 0x001F in every pixel, little-endian.
    for (std::size_t at = 64; at < 64 + 76800; at += 2) ASSERT_TRUE(image[at] == 0x1F && image[at + 1] == 0) << at;
    EXPECT_TRUE(contains(run.out, ", splash screen\n")) << run.out;

    for (const auto& [variant, picture, line] :
         {std::tuple{"kvl-v02", "title.png",
                     "variant \"kvl-v02\" has the Korvalinde layout, which has no place for a splash screen "
                     "(PocketNES images only)"},
          std::tuple{"pn", "notes.png", ": can't be used as a splash screen: not a PNG, JPEG, BMP or GIF picture"}}) {
        const CliRun refused = f.run("build", {"-o", f.dir.file("no.gba"), "--variant", variant, "--splash",
                                               f.dir.file(picture), f.rom("beta.nes")});
        EXPECT_EQ(refused.status, 1);
        EXPECT_TRUE(contains(refused.err, line) && refused.err.find('\n') == refused.err.size() - 1) << refused.err;
        EXPECT_FALSE(fileExists(f.dir.file("no.gba")));
    }
}

TEST(CliSplash, BadDumpsAreRefusedOrAllowedAndOverdumpsWarnedAbout)
{
    CliFolder f;
    const Bytes over = makePromisingRom(1, 0, 100);
    const Bytes shortRom = makePromisingRom(1, 1, -16);
    writeBytes(f.rom("over.nes"), over);
    writeBytes(f.rom("short.nes"), shortRom);
    const std::string overLine = f.rom("over.nes") + ": overdump: 100 bytes beyond what its header says";
    const std::string shortLine = f.rom("short.nes") + ": bad dump: 16 bytes shorter than its header says";

    CliRun run = f.run("build", {"-o", f.out(), "--variant", "pn", f.rom("short.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + shortLine + "; its record would be broken (--allow-bad-dumps writes it "
                                                     "anyway)\n");
    EXPECT_FALSE(fileExists(f.out()));

    run = f.run("build", {"-o", f.out(), "--variant", "pn", "--allow-bad-dumps", f.rom("over.nes"), f.rom("short.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "romweld-cli: warning: " + overLine + " (--trim-overdumps writes only what the header promises)\n"
                       "romweld-cli: warning: " + shortLine + "\n");
    EXPECT_EQ(readBytes(f.out()).size(), 64 + 48 + over.size() + 48 + shortRom.size() + 44);

    run = f.run("info", {f.rom("over.nes"), f.rom("short.nes")});
    EXPECT_TRUE(contains(run.out, ", overdump: 100 bytes beyond what its header says\n")) << run.out;
    EXPECT_TRUE(contains(run.out, ", bad dump: 16 bytes shorter than its header says\n")) << run.out;
}
