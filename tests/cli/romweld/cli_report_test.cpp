// SPDX-License-Identifier: GPL-3.0-or-later
// What romweld-cli tells while it builds: the same lines as ever on both
// outputs, a missing file named once, a progress bar only on a terminal, and
// the settings, romweld.cfg and every ROM read no more often than needed.
#include "cli_folder.h"
#include "open_counter.h"
#include "system_limits.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// romweld-cli with its standard output to a file and its error output to a
// terminal (a pseudo-terminal the test reads).
ProgramRun runOnTerminal(const std::vector<std::string>& args)
{
    ProgramRun run;
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return run;
    TempDir capture;
    const std::string outPath = capture.file("stdout");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, slave, 2);
    posix_spawn_file_actions_addclose(&actions, master);
    std::vector<std::string> words{ROMWELD_CLI_PATH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const bool started = posix_spawn(&pid, ROMWELD_CLI_PATH, &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(slave);
    // The terminal's side reads until the program has closed its end.
    char buffer[4096];
    ssize_t n = 0;
    while (started && (n = ::read(master, buffer, sizeof buffer)) > 0) run.err.append(buffer, static_cast<std::size_t>(n));
    ::close(master);
    int status = 0;
    if (started && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    run.out = readText(outPath);
    return run;
}

// The lines a build of alpha and beta with the Korvalinde variant prints.
std::string buildLines(const CliFolder& f)
{
    return f.dir.file("font.bin") + " Font bin\n" + f.rom("alpha.nes") + " alpha nes\n" + f.rom("beta.nes") +
           " beta nes\n" + f.out() + ": 25821 bytes, 2 ROMs, variant kvl-v02 (Korvalinde)\n";
}

}  // namespace

TEST(CliReport, ABuildPrintsTheLinesItAlwaysPrinted)
{
    CliFolder f;
    const CliRun run = f.run("build", {"-o", f.out(), f.rom("alpha.nes"), f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    // Both outputs are not terminals here: no progress bar, nothing else.
    EXPECT_EQ(run.out, buildLines(f));
    EXPECT_EQ(run.err, "");
}

TEST(CliReport, AMissingFileIsNamedOnce)
{
    CliFolder f;
    ::unlink(f.dir.file("font.bin").c_str());
    // The variant that needs the file explains itself; no other line names it.
    CliRun run = f.run("build", {"--variant", "kvl-v02", "-o", f.out(), f.rom("beta.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: variant \"kvl-v02\" can't be used: extra file font.bin: "
                       "No such file or directory\n");
    // A build with another variant does not mention it at all.
    run = f.run("build", {"-o", f.out(), f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // Neither does a ROM that is not there: one line, from the command line.
    run = f.run("build", {"--variant", "pn", "-o", f.out(), f.rom("beta.nes"), f.rom("gone.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + f.rom("gone.nes") + ": not found\n");
    run = f.run("variants");
    EXPECT_EQ(run.err, "romweld-cli: using " + f.dir.file("romweld.cfg") + " and the settings file " +
                           f.dir.file("romweld.ini") +
                           "\nromweld-cli: variant \"kvl-v02\" left out: extra file font.bin: No such file or "
                           "directory\n");
}

TEST(CliReport, AProgressBarOnlyOnATerminal)
{
    CliFolder f;
    const CliRun run = runOnTerminal({"--dir", f.path(), "build", "-o", f.out(), f.rom("alpha.nes"), f.rom("beta.nes")});
    ASSERT_EQ(run.status, 0) << run.err;
    // The standard output is the same; the terminal shows the bar, drawn
    // over itself, up to 100%, and takes it away at the end.
    EXPECT_EQ(run.out, buildLines(f));
    ASSERT_EQ(run.err.rfind("\r[", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("] 100%"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.substr(run.err.size() - 4), "\r\033[K");
    EXPECT_EQ(run.err.find('\n'), std::string::npos) << run.err;

    // A line for the error output takes the bar away first, so it comes
    // whole: the image fails part way, the size limit standing in for a
    // full disk (the program started inherits it).
    ::unlink(f.out().c_str());
    CliRun failed;
    {
        const FileSizeLimit limit(4000);
        failed = runOnTerminal({"--dir", f.path(), "build", "-o", f.out(), f.rom("alpha.nes"), f.rom("beta.nes")});
    }
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err.rfind("\r[", 0), 0u) << failed.err;
    EXPECT_NE(failed.err.find("\r\033[Kromweld-cli: " + f.out() + ": File too large\r\n"), std::string::npos)
        << failed.err;
    EXPECT_FALSE(fileExists(f.out()));
}

TEST(CliReport, ABuildReadsItsFilesOnceAndEachRomTwice)
{
    CliFolder f;
    writeText(f.dir.file("romweld.ini"), "[TITLE]\nalpha.nes=Alpha\n[PocketNES]\nbeta.nes=1|2|3|Beta\n");
    std::vector<std::string> roms;
    for (int i = 0; i < 25; ++i) {
        roms.push_back(f.rom("game" + std::to_string(i) + ".nes"));
        writeBytes(roms.back(), makeInesRom(300 + static_cast<std::size_t>(i), 0, 0, static_cast<unsigned>(i)));
    }
    OpenCounter counter({f.path(), f.rom("")});
    ASSERT_TRUE(counter.watching());

    std::vector<std::string> args = {"-o", f.out()};
    args.insert(args.end(), roms.begin(), roms.end());
    const CliRun run = f.run("build", args);
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<std::string, int> opened = counter.take();
    // However many ROMs: romweld.cfg and the settings once each, the shell
    // and the extra file once, to copy them.
    EXPECT_EQ(opened[f.dir.file("romweld.cfg")], 1);
    EXPECT_EQ(opened[f.dir.file("romweld.ini")], 1);
    EXPECT_EQ(opened[f.dir.file("kvl.gba")], 1);
    EXPECT_EQ(opened[f.dir.file("font.bin")], 1);
    // Every ROM twice: once when it is probed, once when it is copied.
    for (const std::string& rom : roms) EXPECT_EQ(opened[rom], 2) << rom;
}
