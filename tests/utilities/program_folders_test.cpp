// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_folders.h"

#include "ini_profile.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

FolderEnvironment withHome(const std::string& home)
{
    FolderEnvironment env;
    env.home = home;
    return env;
}

// A file, with the folders it needs.
void put(const std::string& path)
{
    fs::create_directories(fs::path(path).parent_path());
    writeText(path, "");
}

void makeProgram(const std::string& path, fs::perms perms = fs::perms::owner_all)
{
    fs::create_directories(fs::path(path).parent_path());
    writeText(path, "#!/bin/sh\n");
    fs::permissions(path, perms);
}

}  // namespace

TEST(ProgramFolders, SettingsFolderFollowsXdgConfigHome)
{
    struct Case {
        const char* home;
        const char* configHome;
        const char* folder;
    };
    const Case cases[] = {
        {"/home/ann", "", "/home/ann/.config/romweld/"},
        {"/home/ann/", "", "/home/ann/.config/romweld/"},
        {"/home/ann", "/cfg", "/cfg/romweld/"},
        {"/home/ann", "/cfg/", "/cfg/romweld/"},
        {"/home/ann", "cfg", "/home/ann/.config/romweld/"},  // relative: not valid, ignored
        {"", "/cfg", "/cfg/romweld/"},
        {"", "", ""},
        {"home/ann", "", ""},
    };
    for (const Case& c : cases) {
        FolderEnvironment env = withHome(c.home);
        env.configHome = c.configHome;
        EXPECT_EQ(userSettingsFolder(env), c.folder) << c.home << " | " << c.configHome;
    }
}

TEST(ProgramFolders, DataFoldersInXdgOrder)
{
    using Folders = std::vector<std::string>;
    struct Case {
        const char* home;
        const char* dataHome;
        const char* dataDirs;
        Folders folders;
    };
    const Case cases[] = {
        {"/home/ann", "", "",
         {"/home/ann/.local/share/romweld/", "/usr/local/share/romweld/", "/usr/share/romweld/"}},
        {"/home/ann", "/data", "/a:/b/", {"/data/romweld/", "/a/romweld/", "/b/romweld/"}},
        // Relative and empty entries are skipped, a folder named twice counts once.
        {"/home/ann", "rel", "/a::rel/x:/home/ann/.local/share:/a/",
         {"/home/ann/.local/share/romweld/", "/a/romweld/"}},
        {"", "", "/opt/share", {"/opt/share/romweld/"}},
    };
    for (const Case& c : cases) {
        FolderEnvironment env = withHome(c.home);
        env.dataHome = c.dataHome;
        env.dataDirs = c.dataDirs;
        EXPECT_EQ(romweldDataFolders(env), c.folders) << c.dataHome << " | " << c.dataDirs;
    }
}

TEST(ProgramFolders, PortableWhenRomweldCfgLiesBesideTheProgram)
{
    TempDir dir;
    FolderEnvironment env = withHome(dir.file("home"));
    env.dataDirs = dir.file("system");
    put(dir.file("home/.local/share/romweld/romweld.cfg"));
    put(dir.file("romweld.cfg"));

    const RomweldFolders folders = findRomweldFolders(dir.file("romweld"), env);
    EXPECT_TRUE(folders.portable);
    EXPECT_EQ(folders.programDir, dir.path());
    EXPECT_EQ(folders.configDir, dir.path());
    EXPECT_EQ(folders.settingsPath, dir.file("romweld.ini"));
    EXPECT_EQ(folders.searched, std::vector<std::string>{dir.path()});
    // Named after the program, as beside it.
    EXPECT_EQ(findRomweldFolders(dir.file("romweld.bin"), env).settingsPath, dir.file("romweld.ini"));
}

TEST(ProgramFolders, InstalledFindsTheFirstDataFolderWithRomweldCfg)
{
    TempDir dir;
    FolderEnvironment env = withHome(dir.file("home"));
    env.dataDirs = dir.file("a") + ":" + dir.file("b");
    const std::string program = dir.file("bin/romweld");
    fs::create_directories(dir.file("bin/romweld.cfg"));  // a folder is no configuration
    fs::create_directories(dir.file("home/.local/share/romweld"));
    put(dir.file("b/romweld/romweld.cfg"));

    RomweldFolders folders = findRomweldFolders(program, env);
    EXPECT_FALSE(folders.portable);
    EXPECT_EQ(folders.programDir, dir.file("bin/"));
    EXPECT_EQ(folders.configDir, dir.file("b/romweld/"));
    EXPECT_EQ(folders.settingsPath, dir.file("home/.config/romweld/romweld.ini"));
    EXPECT_EQ(folders.searched, (std::vector<std::string>{dir.file("bin/"), dir.file("home/.local/share/romweld/"),
                                                          dir.file("a/romweld/"), dir.file("b/romweld/")}));

    put(dir.file("home/.local/share/romweld/romweld.cfg"));
    EXPECT_EQ(findRomweldFolders(program, env).configDir, dir.file("home/.local/share/romweld/"));

    fs::remove_all(dir.file("home/.local"));
    fs::remove_all(dir.file("b"));
    folders = findRomweldFolders(program, env);
    EXPECT_EQ(folders.configDir, "");
    EXPECT_EQ(folders.searched.size(), 4u);
    EXPECT_EQ(joinFolders(folders.searched, ", "),
              dir.file("bin/") + ", " + dir.file("home/.local/share/romweld/") + ", " + dir.file("a/romweld/") + ", " +
                  dir.file("b/romweld/"));

    // Without HOME and XDG_CONFIG_HOME there is nowhere to keep settings.
    EXPECT_EQ(findRomweldFolders(program, FolderEnvironment{}).settingsPath, "");
}

TEST(ProgramFolders, SramEditKeepsSettingsBesideItWhenItCanWriteThere)
{
    TempDir dir;
    const FolderEnvironment env = withHome(dir.file("home"));
    fs::create_directories(dir.file("portable"));
    EXPECT_EQ(sramEditSettingsPath(dir.file("portable/sramedit"), env), dir.file("portable/sramedit.ini"));
    // A folder that can't be written to (here: one that is gone).
    EXPECT_EQ(sramEditSettingsPath(dir.file("gone/sramedit"), env), dir.file("home/.config/romweld/sramedit.ini"));

    // The install folder never counts as portable, also when reached by a link.
    FolderEnvironment installed = env;
    fs::create_directories(dir.file("usr/bin"));
    fs::create_directory_symlink(dir.file("usr/bin"), dir.file("bin"));
    installed.installedProgramDir = dir.file("usr/bin/");
    EXPECT_EQ(sramEditSettingsPath(dir.file("bin/sramedit"), installed), dir.file("home/.config/romweld/sramedit.ini"));
    EXPECT_EQ(sramEditSettingsPath(dir.file("portable/sramedit"), installed), dir.file("portable/sramedit.ini"));
}

TEST(ProgramFolders, ProgramBesideFirstThenFromPath)
{
    TempDir dir;
    makeProgram(dir.file("p1/sramedit"), fs::perms::owner_read | fs::perms::owner_write);  // not executable
    fs::create_directories(dir.file("p2/sramedit"));                                         // a folder
    makeProgram(dir.file("p3/sramedit"));
    makeProgram(dir.file("p4/sramedit"));
    const std::string path =
        "relative:" + dir.file("p1") + "::" + dir.file("p2/") + ":" + dir.file("p3") + ":" + dir.file("p4");

    EXPECT_EQ(findProgram("sramedit", dir.file("own/"), path), dir.file("p3/sramedit"));
    makeProgram(dir.file("own/sramedit"));
    EXPECT_EQ(findProgram("sramedit", dir.file("own/"), path), dir.file("own/sramedit"));
    EXPECT_EQ(findProgram("sramedit", dir.file("none/"), ""), "");
    EXPECT_EQ(findProgram("sramedit", dir.file("none/"), dir.file("p1")), "");
}

TEST(ProgramFolders, SettingsFolderIsMadePrivate)
{
    TempDir dir;
    const std::string settings = userSettingsFolder(withHome(dir.file("home"))) + "romweld.ini";
    ASSERT_TRUE(makeSettingsFolder(settings));
    for (const char* folder : {"home", "home/.config", "home/.config/romweld"}) {
        struct stat st {};
        ASSERT_EQ(::stat(dir.file(folder).c_str(), &st), 0) << folder;
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
    }
    ASSERT_EQ(iniWriteString(settings, "CONFIG", "KVLVersion", "kvl-v02"), 0);
    EXPECT_TRUE(makeSettingsFolder(settings));  // there already
    EXPECT_EQ(readText(settings), "[CONFIG]\nKVLVersion=kvl-v02\n");

    // A file where a folder should be.
    writeText(dir.file("file"), "");
    EXPECT_FALSE(makeSettingsFolder(dir.file("file/romweld/romweld.ini")));
    EXPECT_FALSE(makeSettingsFolder(dir.file("file/romweld.ini")));
    EXPECT_FALSE(makeSettingsFolder(""));
}
