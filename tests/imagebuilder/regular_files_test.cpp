// SPDX-License-Identifier: GPL-3.0-or-later
// A FIFO (or a device) given where a file is expected is refused at once by
// every reader: opening a FIFO for reading would wait for a writer forever.
#include "file_io.h"
#include "image_writer.h"
#include "ini_profile.h"
#include "list_file.h"
#include "report.h"
#include "rom_file.h"
#include "rom_list.h"
#include "shell_config.h"
#include "system_limits.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

TEST(RegularFilesOnly, EveryImageBuilderReaderRefusesAFifoAtOnce)
{
    TempDir dir;
    const std::string fifo = dir.file("game.nes");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const HangGuard guard(30);

    int mapper = 0;
    int battery = 0;
    EXPECT_EQ(probeNesRom(fifo, mapper, battery), NesProbe::Unreadable);

    OutFile image;
    ASSERT_TRUE(image.create(dir.file("out.bin")));
    CollectedReport report;
    EXPECT_EQ(appendFile(image, fifo, "nes", report), FileAppend::NotOpened);
    EXPECT_TRUE(image.close());

    std::vector<std::string> paths;
    const ListResult read = readListFile(fifo, paths);
    EXPECT_EQ(read, ListCode::CantOpen);
    EXPECT_EQ(read.errorNumber, NOT_REGULAR_FILE);

    // A settings file that is a FIFO reads as empty and is never replaced.
    EXPECT_EQ(IniSnapshot::load(fifo).errorNumber(), NOT_REGULAR_FILE);
    EXPECT_EQ(iniReadString(fifo, "TITLE", "x", "default", 99), "default");
    EXPECT_EQ(iniWriteString(fifo, "TITLE", "x", "y"), NOT_REGULAR_FILE);
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    EXPECT_EQ(fileSize(fifo, report), 0);
    EXPECT_EQ(report.problems, (std::vector<std::string>(2, fifo + ": not a regular file")));
}

TEST(RegularFilesOnly, TheShellConfigurationShellAndExtraFilesToo)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("romweld.cfg").c_str(), 0644), 0);
    const HangGuard guard(30);
    EXPECT_TRUE(loadShellVariants(dir.path()).empty());
    EXPECT_EQ(estimateShellSize(dir.path()), 0);

    // A shell or an extra file that is a FIFO stops the image: its record
    // would promise data that never come. No image is left behind.
    ::unlink(dir.file("romweld.cfg").c_str());
    auto list = romListCreate();
    writeBytes(dir.file("kvl.gba"), patternBytes(300));
    ASSERT_EQ(::mkfifo(dir.file("extra.bin").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(dir.file("fifo.gba").c_str(), 0644), 0);
    const struct { std::string config; std::string fifo; } cases[] = {
        {"[kvl-v02]\nshell=fifo.gba\n", dir.file("fifo.gba")},
        {"[kvl-v02]\nfile0=extra.bin,Extra,bin\n", dir.file("extra.bin")},
    };
    for (const auto& c : cases) {
        writeText(dir.file("romweld.cfg"), c.config);
        CollectedReport report;
        EXPECT_EQ(writeImage(dir.path(), dir.file("out.gba"), list.get(), DEFAULT_VARIANT, nullptr, report), ImageWrite::Failed)
            << c.fifo;
        EXPECT_EQ(report.problemText(), c.fifo + ": not a regular file");
        EXPECT_FALSE(fileExists(dir.file("out.gba")));
    }
}
