// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_paths.h"

#include "test_files.h"

#include <gtest/gtest.h>

TEST(ProgramPaths, SettingsFileAndFolderBesideTheProgram)
{
    EXPECT_EQ(settingsPathOf("/opt/romweld/romweld"), "/opt/romweld/romweld.ini");
    EXPECT_EQ(settingsPathOf("/opt/rom.weld/romweld"), "/opt/rom.weld/romweld.ini");
    EXPECT_EQ(settingsPathOf("C:\\my.tools\\romweld"), "C:\\my.tools\\romweld.ini");
    EXPECT_EQ(settingsPathOf("C:\\tools\\romweld.exe"), "C:\\tools\\romweld.ini");
    EXPECT_EQ(settingsPathOf("/opt/x/romweld.v2.bin"), "/opt/x/romweld.v2.ini");
    EXPECT_EQ(settingsPathOf("romweld"), "romweld.ini");
    EXPECT_EQ(settingsPathOf("/opt/\xE3\x81\x82.d/sramedit"), "/opt/\xE3\x81\x82.d/sramedit.ini");

    EXPECT_EQ(programDirOf("/opt/romweld/romweld"), "/opt/romweld/");
    EXPECT_EQ(programDirOf("C:\\tools\\romweld.exe"), "C:\\tools\\");
    EXPECT_EQ(programDirOf("romweld"), "./");

    const std::string self = currentExecutablePath();
    ASSERT_FALSE(self.empty());
    EXPECT_TRUE(fileExists(self));
    EXPECT_NE(self.find("utilities_program_paths_test"), std::string::npos) << self;
    EXPECT_EQ(programDirOf(self).back(), '/');
}
