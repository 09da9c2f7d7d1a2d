// SPDX-License-Identifier: GPL-3.0-or-later
// What --help says against what the man page says, and the options read as
// getopt users write them.
#include "cli_folder.h"
#include "help_options.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(CliHelp, TheHelpAndTheManPageNameTheSameOptions)
{
    std::string help = runCli({"--help"}).out;
    for (const char* command : {"variants", "build", "info", "fix-header"}) help += runCli({command, "--help"}).out;
    EXPECT_EQ(optionsIn(help), optionsIn(readText(ROMWELD_SOURCE_DIR "/packaging/romweld-cli.1.in"), true));
}

TEST(CliHelp, GluedValuesQuietBuildsAndCutHeaderTexts)
{
    CliFolder f;
    // -oOUT and --variant=NAME; --quiet leaves the image's line alone.
    CliRun run = f.run("build", {"-o" + f.out(), "--variant=kvl-v02", "--quiet", f.rom("alpha.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind(f.out() + ": ", 0), 0u) << run.out;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);

    run = runCli({"fix-header", f.out(), "--title=A title too long", "--code", "KVLX"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "romweld-cli: warning: " + f.out() +
                           ": --title \"A title too long\" is cut to its first 12 bytes, \"A title too \"\n");
    EXPECT_NE(run.out.find("title \"A title too \", game code \"KVLX\""), std::string::npos) << run.out;
}
