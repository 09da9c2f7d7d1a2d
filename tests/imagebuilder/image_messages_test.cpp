// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_messages.h"

#include "archive_reader.h"
#include "file_io.h"
#include "list_admission.h"
#include "list_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

// Each list result in the window's words and in romweld-cli's: the window's
// keep the texts users have always seen, the CLI's say more.
TEST(ImageMessages, ListResultsInTheWindowAndOnTheCommandLine)
{
    const std::string noFile = fileErrorText(ENOENT);
    const struct { ListResult result; std::string text, line; } cases[] = {
        {{ListCode::Ok, 0}, "", ""},
        {{ListCode::CantOpen, ENOENT}, "Can't Open File\n\n" + noFile, noFile},
        {{ListCode::Empty, 0}, "Read Error", "Read Error: the file is empty"},
        {{ListCode::WrongHeader, 0}, "Wrong List File Error",
         "Wrong List File Error: the first line is not \"### ROMWELD NES List ###\""},
        {{ListCode::ReadFailed, EIO}, "Read Error", "Read Error: " + fileErrorText(EIO)},
        {{ListCode::PathHasLineBreak, 0}, "Can't Open File\n\n" + listLineBreakText(), listLineBreakText()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(listFileProblemText(c.result), c.text) << static_cast<int>(c.result.code);
        EXPECT_EQ(listFileProblemLine(c.result), c.line) << static_cast<int>(c.result.code);
    }
    EXPECT_EQ(keptListProblemText({ListCode::Empty, 0}), "it is empty");
    EXPECT_EQ(keptListProblemText({ListCode::WrongHeader, 0}), "it is no list romweld keeps");
    EXPECT_EQ(keptListProblemText({ListCode::CantOpen, EACCES}), fileErrorText(EACCES));

    ListAdmission stopped;
    stopped.lastLine = 7;
    EXPECT_EQ(listStopText(stopped), "");
    stopped.stop = ListStop::TooManyProblems;
    EXPECT_EQ(listStopText(stopped), "stopped after 1000 problems; the lines after line 7 were not read");
}

TEST(ImageMessages, ArchiveProblemsAndSkippedMembers)
{
    EXPECT_EQ(archiveProblemText(ArchiveProblem::None), "");
    EXPECT_EQ(archiveProblemText(ArchiveProblem::Damaged), "damaged archive");
    EXPECT_EQ(archiveProblemText(ArchiveProblem::Encrypted), "encrypted, and romweld reads no encrypted archives");
    EXPECT_EQ(archiveProblemText(ArchiveProblem::NoMember), "no such member in the archive");
    EXPECT_EQ(archiveProblemText(ArchiveProblem::TooLarge), "larger than 32 MiB, more than any GBA cartridge holds");
    EXPECT_EQ(skippedMembersText(1), "1 file inside an archive is not an NES ROM and was skipped.");
    EXPECT_EQ(skippedMembersText(3), "3 files inside archives are not NES ROMs and were skipped.");
    EXPECT_EQ(skippedMembersLine(1), "1 file in it is not an NES ROM and was skipped");
    EXPECT_EQ(skippedMembersLine(2), "2 files in it are not NES ROMs and were skipped");
}
