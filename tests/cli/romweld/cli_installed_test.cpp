// SPDX-License-Identifier: GPL-3.0-or-later
// romweld-cli installed: no romweld.cfg beside it, so it takes romweld.cfg,
// the shells and the extra files from the XDG data folders and the settings
// from the user's settings folder, and says so.
#include "cli_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// A program folder of its own, romweld-cli copied into it, and an
// environment whose HOME and XDG folders lie in the test folder.
struct InstalledCli {
    CliFolder data;  // romweld.cfg, shells and ROMs; moved into a data folder by the tests
    TempDir root;
    std::vector<std::string> env;

    InstalledCli()
    {
        fs::create_directories(root.file("bin"));
        fs::copy_file(ROMWELD_CLI_PATH, program());
        env = {"HOME=" + root.file("home"), "XDG_DATA_DIRS=" + root.file("a") + ":" + root.file("b"),
               "PATH=/usr/bin:/bin"};
    }
    std::string program() const { return root.file("bin/romweld-cli"); }

    // The data folder's configuration, shells and extra file copied to folder.
    void install(const std::string& folder) const
    {
        fs::create_directories(folder);
        for (const char* name : {"romweld.cfg", "kvl.gba", "pn.gba", "font.bin"}) {
            fs::copy_file(data.dir.file(name), folder + name);
        }
    }
    CliRun run(const std::vector<std::string>& args) const { return runProgram(program(), args, env); }
};

}  // namespace

TEST(CliInstalled, UsesTheFirstDataFolderAndTheUserSettings)
{
    InstalledCli cli;
    const std::string userData = cli.root.file("home/.local/share/romweld/");
    const std::string systemData = cli.root.file("b/romweld/");
    cli.install(systemData);

    CliRun run = cli.run({"variants"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "kvl-v02\tKorvalinde\t1053\npn\tPocketNES\t64\n");
    const std::string settings = cli.root.file("home/.config/romweld/romweld.ini");
    EXPECT_EQ(run.err, "romweld-cli: using " + systemData + "romweld.cfg and the settings file " + settings + "\n");

    // The user's own data folder comes first; the stored variant comes from
    // the user's settings.
    cli.install(userData);
    fs::create_directories(cli.root.file("home/.config/romweld"));
    writeText(settings, "[CONFIG]\nKVLVersion=pn\n[TITLE]\nbeta.nes=Bee\n");
    const std::string out = cli.root.file("out.gba");
    run = cli.run({"build", "-o", out, cli.data.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(out), join({cli.data.pocketShell, field("Bee", 32), le32(40), zeros(12), cli.data.beta, END_RECORD}));

    run = cli.run({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(contains(run.out, "Folder in use: " + userData + " (found in the XDG data folders)\n")) << run.out;
    EXPECT_TRUE(contains(run.out, "Settings file: " + settings + "\n")) << run.out;

    // XDG_CONFIG_HOME and XDG_DATA_HOME move the two folders.
    cli.env.push_back("XDG_CONFIG_HOME=" + cli.root.file("cfg"));
    cli.env.push_back("XDG_DATA_HOME=" + cli.root.file("data"));
    cli.install(cli.root.file("data/romweld/"));
    run = cli.run({"variants"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "romweld-cli: using " + cli.root.file("data/romweld/romweld.cfg") + " and the settings file " +
                           cli.root.file("cfg/romweld/romweld.ini") + "\n");

    // Nothing was written beside the program, and the command line made no settings folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(cli.root.file("bin")), fs::directory_iterator()), 1);
    EXPECT_FALSE(fileExists(cli.root.file("cfg")));
}

TEST(CliInstalled, WithoutRomweldCfgTellsWhereItLooked)
{
    InstalledCli cli;
    const std::string searched = cli.root.file("bin/") + ", " + cli.root.file("home/.local/share/romweld/") + ", " +
                                 cli.root.file("a/romweld/") + ", " + cli.root.file("b/romweld/");
    CliRun run = cli.run({"variants"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: no romweld.cfg in " + searched + "\n");
    EXPECT_EQ(run.out, "");

    run = cli.run({"build", "-o", cli.root.file("out.gba"), cli.data.rom("beta.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fileExists(cli.root.file("out.gba")));

    run = cli.run({"variants", "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(contains(run.out, "No romweld.cfg found; looked in " + searched + "\n")) << run.out;

    // "info" needs only the settings.
    run = cli.run({"info", cli.data.rom("beta.nes")});
    EXPECT_EQ(run.status, 0) << run.err;

    // --dir works as before, installed or not.
    run = cli.run({"--dir", cli.data.path(), "variants"});
    EXPECT_EQ(run.status, 0) << run.err;
    run = cli.run({"--dir", cli.data.path(), "--help"});
    EXPECT_TRUE(contains(run.out, "Folder in use: " + cli.data.path() + " (from --dir)\n")) << run.out;
    EXPECT_TRUE(contains(run.out, "Settings file: " + cli.data.dir.file("romweld.ini") + "\n")) << run.out;
}
