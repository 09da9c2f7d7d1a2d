// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini_profile.h"

#include "file_io.h"
#include "system_limits.h"
#include "text_encoding.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <string>

namespace {

const std::string GAME_UTF8 = "\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0";  // ゲーム
const std::string GAME_CP932 = "\x83\x51\x81\x5B\x83\x80";

std::string read(const std::string& file, const char* section, const char* key, std::size_t max = 259)
{
    return iniReadString(file, section, key, "<default>", max);
}

int filesIn(const std::string& dir)
{
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
    return n;
}

}  // namespace

TEST(IniRead, DefaultsCaseAndLayout)
{
    TempDir dir;
    const std::string ini = dir.file("romweld.ini");
    EXPECT_EQ(read(ini, "CONFIG", "x"), "<default>");
    EXPECT_EQ(iniReadInt(ini, "CONFIG", "x", 42), 42);

    writeText(ini,
              "; settings\n"
              "[CONFIG]\n"
              "KvlVersion=kvl-v02\n"
              "  Spaced Key  =  spaced value  \n"
              "Empty=\n"
              ";Hidden=1\n"
              "NoEquals\n"
              "\n"
              "[Other]\n"
              "KvlVersion=other\n");
    const struct { const char* section; const char* key; std::string value; } cases[] = {
        {"config", "KVLVERSION", "kvl-v02"}, {"CONFIG", "spaced key", "spaced value"},
        {"other", "kvlversion", "other"},    {"CONFIG", "Empty", ""},
        {"CONFIG", "Hidden", "<default>"},   {"CONFIG", "NoEquals", "<default>"},
        {"Missing", "KvlVersion", "<default>"}, {"CONFIG", "Missing", "<default>"},
    };
    for (const auto& c : cases) EXPECT_EQ(read(ini, c.section, c.key), c.value) << c.section << " " << c.key;
    EXPECT_EQ(iniReadInt(ini, "CONFIG", "Empty", 7), 7);

    // A UTF-8 byte order mark does not hide the first section.
    writeText(ini, "\xEF\xBB\xBF[list]\r\nnum=2\r\n");
    EXPECT_EQ(iniReadInt(ini, "LIST", "NUM", 0), 2);
}

TEST(IniRead, LengthLimitAndLeadingIntegers)
{
    TempDir dir;
    const std::string ini = dir.file("a.ini");
    writeText(ini, "[s]\nlong=" + std::string(150, 'v') + "\nkana=" + std::string(98, 'a') + GAME_UTF8 +
                       "\nn1=12abc\nn2=  -5\nn3=+7\nn4=abc\nn5=99999999999\nn6=-99999999999\nn7=3 4\n");
    EXPECT_EQ(read(ini, "s", "long", 99), std::string(99, 'v'));
    // The cut never splits a UTF-8 character.
    EXPECT_EQ(read(ini, "s", "kana", 99), std::string(98, 'a'));
    EXPECT_EQ(read(ini, "s", "kana", 101), std::string(98, 'a') + "\xE3\x82\xB2");
    EXPECT_EQ(iniReadString(ini, "s", "none", "abcdef", 3), "abc");

    const std::pair<const char*, int> numbers[] = {{"n1", 12},      {"n2", -5},      {"n3", 7}, {"n4", 0},
                                                   {"n5", INT_MAX}, {"n6", INT_MIN}, {"n7", 3}};
    for (const auto& [key, n] : numbers) EXPECT_EQ(iniReadInt(ini, "s", key, 9), n) << key;
    const std::pair<const char*, int> texts[] = {{"", 0}, {"-", 0}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}};
    for (const auto& [text, n] : texts) EXPECT_EQ(leadingInt(text), n) << text;
}

TEST(IniRead, FilesFromJapaneseWindows)
{
    TempDir dir;
    const std::string ini = dir.file("romweld.ini");
    writeText(ini, "[TITLE]\r\ngame.nes=" + GAME_CP932 + "\r\n" + GAME_CP932 + ".nes=x\r\n");
    EXPECT_EQ(read(ini, "TITLE", "game.nes"), GAME_UTF8);
    EXPECT_EQ(read(ini, "TITLE", (GAME_UTF8 + ".nes").c_str()), "x");

    // Writing another key keeps those lines byte for byte.
    EXPECT_EQ(iniWriteString(ini, "TITLE", "new.nes", GAME_UTF8), 0);
    EXPECT_EQ(readText(ini), "[TITLE]\r\ngame.nes=" + GAME_CP932 + "\r\n" + GAME_CP932 + ".nes=x\r\nnew.nes=" +
                                 GAME_UTF8 + "\r\n");
    EXPECT_EQ(read(ini, "TITLE", "new.nes"), GAME_UTF8);
    EXPECT_EQ(read(ini, "TITLE", "game.nes"), GAME_UTF8);
}

TEST(IniWrite, KeepsEveryOtherLineAndTheLineEnds)
{
    TempDir dir;
    const std::string ini = dir.file("romweld.ini");

    // A new file, section and key.
    EXPECT_EQ(iniWriteString(ini, "CONFIG", "KvlVersion", "kvl-v02"), 0);
    EXPECT_EQ(readText(ini), "[CONFIG]\nKvlVersion=kvl-v02\n");

    writeText(ini,
              "; mine\n"
              "[CONFIG]\n"
              "KvlVersion=kvl-v02\n"
              "Folder=/roms\n"
              "\n"
              "[TITLE]\n"
              "a.nes=A\n");
    EXPECT_EQ(iniWriteString(ini, "config", "KVLVERSION", "kvl-v03"), 0);
    EXPECT_EQ(iniWriteString(ini, "CONFIG", "Fix", "1"), 0);
    EXPECT_EQ(iniWriteString(ini, "PocketNES", "a.nes", "3"), 0);
    EXPECT_EQ(readText(ini),
              "; mine\n"
              "[CONFIG]\n"
              "KVLVERSION=kvl-v03\n"
              "Folder=/roms\n"
              "Fix=1\n"
              "\n"
              "[TITLE]\n"
              "a.nes=A\n"
              "[PocketNES]\n"
              "a.nes=3\n");

    // A value stays on its line.
    EXPECT_EQ(iniWriteString(ini, "TITLE", "a.nes", "two\nlines\r"), 0);
    EXPECT_EQ(read(ini, "TITLE", "a.nes"), "twolines");
    EXPECT_EQ(read(ini, "PocketNES", "a.nes"), "3");

    const std::string crlf = dir.file("windows.ini");
    writeText(crlf, "[CONFIG]\r\nA=1\r\n");
    EXPECT_EQ(iniWriteString(crlf, "CONFIG", "B", "2"), 0);
    EXPECT_EQ(iniWriteString(crlf, "TITLE", "x.nes", "X"), 0);
    EXPECT_EQ(readText(crlf), "[CONFIG]\r\nA=1\r\nB=2\r\n[TITLE]\r\nx.nes=X\r\n");
    // A file of one line without its LF yet: its CR tells the line end, so
    // writing the same value again changes no byte.
    writeText(crlf, "[CONFIG]\r");
    EXPECT_EQ(iniWriteString(crlf, "TITLE", "x.nes", "X"), 0);
    EXPECT_EQ(iniWriteString(crlf, "TITLE", "x.nes", "X"), 0);
    EXPECT_EQ(readText(crlf), "[CONFIG]\r\n[TITLE]\r\nx.nes=X\r\n");
    EXPECT_EQ(filesIn(dir.path()), 2);  // no temporary files left behind
}

TEST(IniWrite, TheSameLineAgainLeavesTheFileAlone)
{
    TempDir dir;
    const std::string ini = dir.file("romweld.ini");
    writeText(ini, "[CONFIG]\nKVLVersion=kvl-v02\n");
    struct stat before {};
    struct stat after {};
    ASSERT_EQ(::stat(ini.c_str(), &before), 0);
    EXPECT_EQ(iniWriteString(ini, "config", "KVLVersion", "kvl-v02"), 0);
    ASSERT_EQ(::stat(ini.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);  // not replaced
    // The key written in another case is a new line, so the file is written.
    EXPECT_EQ(iniWriteString(ini, "CONFIG", "kvlversion", "kvl-v02"), 0);
    EXPECT_EQ(readText(ini), "[CONFIG]\nkvlversion=kvl-v02\n");
}

TEST(IniRemove, TheKeyReadsAsMissingAndEveryOtherLineStays)
{
    TempDir dir;
    const std::string ini = dir.file("romweld.ini");
    writeText(ini, "[TITLE]\r\nA.nes=X\r\nB.nes=Y\r\na.NES=twice\r\n[Other]\r\nA.nes=keep\r\n");
    EXPECT_EQ(iniRemoveKey(ini, "title", "A.nes"), 0);
    EXPECT_EQ(readText(ini), "[TITLE]\r\nB.nes=Y\r\n[Other]\r\nA.nes=keep\r\n");
    struct stat before {};
    struct stat after {};
    ASSERT_EQ(::stat(ini.c_str(), &before), 0);
    EXPECT_EQ(iniRemoveKey(ini, "TITLE", "gone.nes"), 0);
    EXPECT_EQ(iniRemoveKey(ini, "NoSuch", "B.nes"), 0);
    EXPECT_EQ(iniRemoveKey(dir.file("missing.ini"), "TITLE", "B.nes"), 0);
    ASSERT_EQ(::stat(ini.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);  // nothing to remove: not replaced
    EXPECT_FALSE(fileExists(dir.file("missing.ini")));
}

TEST(IniWrite, FileNamesWithBracketsAreOrdinaryKeys)
{
    TempDir dir;
    const std::string ini = dir.file("romweld.ini");
    EXPECT_EQ(iniWriteString(ini, "TITLE", "Game (U) [!].nes", "Game"), 0);
    EXPECT_EQ(iniWriteString(ini, "TITLE", "[BIOS] x.nes", "Bios"), 0);
    EXPECT_EQ(iniWriteString(ini, "TITLE", "after.nes", "After"), 0);
    EXPECT_EQ(iniWriteString(ini, "CONFIG", "k", "v"), 0);
    EXPECT_EQ(readText(ini),
              "[TITLE]\nGame (U) [!].nes=Game\n[BIOS] x.nes=Bios\nafter.nes=After\n[CONFIG]\nk=v\n");
    EXPECT_EQ(read(ini, "TITLE", "game (u) [!].NES"), "Game");
    EXPECT_EQ(read(ini, "TITLE", "[BIOS] x.nes"), "Bios");
    EXPECT_EQ(read(ini, "TITLE", "after.nes"), "After");
    EXPECT_EQ(read(ini, "BIOS", "after.nes"), "<default>");
}

TEST(IniWrite, AFailedReplaceLeavesTheOldFile)
{
    TempDir dir;
    const std::string folder = dir.file("locked/");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string ini = folder + "romweld.ini";
    const std::string old = "[CONFIG]\nA=1\n";
    writeText(ini, old);

    // A file that exists but cannot be read is not rewritten from nothing.
    ASSERT_EQ(::chmod(ini.c_str(), 0200), 0);
    if (::access(ini.c_str(), R_OK) != 0) {
        EXPECT_EQ(iniWriteString(ini, "CONFIG", "B", "2"), EACCES);
    }
    ASSERT_EQ(::chmod(ini.c_str(), 0644), 0);
    EXPECT_EQ(readText(ini), old);


    // A write that fails half-way (the file size limit stands in for a full
    // disk, and works for every user).
    int result = 0;
    {
        const FileSizeLimit limit(16);
        result = iniWriteString(ini, "CONFIG", "B", std::string(100, 'b'));
    }
    EXPECT_EQ(result, EFBIG);
    EXPECT_EQ(readText(ini), old);
    EXPECT_EQ(filesIn(folder), 1);

    // A folder that doesn't exist.
    EXPECT_EQ(iniWriteString(dir.file("nowhere/romweld.ini"), "CONFIG", "A", "1"), ENOENT);
}

TEST(IniSnapshot, ReadsManyKeysFromOneLoad)
{
    TempDir dir;
    const std::string cfg = dir.file("romweld.cfg");
    writeText(cfg, "[list]\nnum=2\nlist0=kvl-v02\n[kvl-v02]\nshell=kvl.gba\n");
    const IniSnapshot snap = IniSnapshot::load(cfg);
    EXPECT_EQ(snap.readInt("LIST", "num", 0), 2);
    EXPECT_EQ(snap.readString("list", "list0", "", 99), "kvl-v02");
    EXPECT_EQ(snap.value("KVL-V02", "Shell"), std::optional<std::string>("kvl.gba"));
    EXPECT_EQ(snap.value("kvl-v02", "type"), std::nullopt);
    EXPECT_EQ(IniSnapshot::load(dir.file("none.cfg")).readInt("list", "num", -3), -3);
}

// Keys are ROM file names, and a file name may hold anything but '/'.
TEST(IniWrite, EveryKeyReadsBackAsItselfAndOrdinaryKeysAreWrittenAsBefore)
{
    TempDir dir;
    const std::string ini = dir.file("romweld.ini");
    ASSERT_EQ(iniWriteString(ini, "CONFIG", "FixHeader", "1"), 0);
    const struct { std::string key; std::string line; } cases[] = {
        // Written as they always were.
        {"Game (U) [!].nes", "Game (U) [!].nes=v"},
        {"tab\tinside.nes", "tab\tinside.nes=v"},
        {"100% \\x41.nes", "100% \\x41.nes=v"},
        {"\"quoted\".nes", "\"quoted\".nes=v"},
        {GAME_UTF8 + ".nes", GAME_UTF8 + ".nes=v"},
        // What the plain form can't hold.
        {"Kid=Icarus.nes", "\"Kid\\x3DIcarus.nes\"=v"},
        {" spaced.nes ", "\" spaced.nes \"=v"},
        {";semi.nes", "\";semi.nes\"=v"},
        {"\"a\"", "\"\\x22a\\x22\"=v"},
        {"cr\r.nes", "\"cr\\x0D.nes\"=v"},
        {GAME_CP932 + ".nes", "\"\\x83Q\\x81[\\x83\\x80.nes\"=v"},  // not UTF-8: would be read as CP932
        {"a.nes\n[CONFIG]\nFixHeader=0", "\"a.nes\\x0A[CONFIG]\\x0AFixHeader\\x3D0\"=v"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(iniWriteString(ini, "TITLE", c.key, "v"), 0) << c.line;
        EXPECT_NE(readText(ini).find("\n" + c.line + "\n"), std::string::npos) << c.line;
    }
    // Each is found again, with its own value, and nothing else changed.
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        ASSERT_EQ(iniWriteString(ini, "TITLE", cases[i].key, "value " + std::to_string(i)), 0);
    }
    const IniSnapshot snap = IniSnapshot::load(ini);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(snap.value("TITLE", cases[i].key), "value " + std::to_string(i)) << cases[i].line;
    }
    EXPECT_EQ(snap.readInt("CONFIG", "FixHeader", 7), 1);
    EXPECT_EQ(snap.value("TITLE", "Kid"), std::nullopt);
    EXPECT_EQ(snap.value("TITLE", "spaced.nes"), std::nullopt);

    // A value never spills onto another line.
    ASSERT_EQ(iniWriteString(ini, "TITLE", "b.nes", "x\n[CONFIG]\r\nFixHeader=0"), 0);
    EXPECT_EQ(read(ini, "TITLE", "b.nes"), "x[CONFIG]FixHeader=0");
    EXPECT_EQ(iniReadInt(ini, "CONFIG", "FixHeader", 7), 1);
}

TEST(IniWrite, ARewriteKeepsWhatEveryOtherLineMeans)
{
    TempDir dir;
    const std::string ini = dir.file("romweld.ini");
    const std::string bom = "\xEF\xBB\xBF";
    // CR CR LF endings and a last line that ends in a lone CR.
    const std::string old = bom + "[a]\r\r\nk=1\r\r\n[s]\r";
    writeText(ini, old);
    const auto check = [&] {
        EXPECT_EQ(read(ini, "a", "k"), "1");
        EXPECT_EQ(read(ini, "s", "x"), "2");
    };
    writeText(ini, old + "\nx=2");
    check();  // as the lines read before any rewrite

    writeText(ini, old);
    ASSERT_EQ(iniWriteString(ini, "s", "x", "2"), 0);
    EXPECT_EQ(readText(ini), old + "\nx=2\r\n");
    check();
    ASSERT_EQ(iniWriteString(ini, "new", "y", "3"), 0);
    EXPECT_EQ(readText(ini), old + "\nx=2\r\n[new]\r\ny=3\r\n");
    check();
    EXPECT_EQ(read(ini, "new", "y"), "3");
}

TEST(IniRead, FilesBeyondTheBoundsAreNeitherReadNorRewritten)
{
    TempDir dir;
    const std::string ini = dir.file("romweld.ini");
    const struct { std::string text; int reason; } cases[] = {
        {"[CONFIG]\nA=1\nB=" + std::string(INI_LINE_MAX, 'b') + "\n", LINE_TOO_LONG},
        {"[CONFIG]\nA=1\n" + std::string(INI_FILE_MAX, '\n'), EFBIG},
    };
    for (const auto& c : cases) {
        writeText(ini, c.text);
        EXPECT_EQ(IniSnapshot::load(ini).errorNumber(), c.reason);
        EXPECT_EQ(read(ini, "CONFIG", "A"), "<default>");
        EXPECT_EQ(iniWriteString(ini, "CONFIG", "C", "3"), c.reason);
        EXPECT_EQ(sizeOf(ini), static_cast<std::int64_t>(c.text.size()));
    }
    // Just within both bounds.
    writeText(ini, "[CONFIG]\nA=1\nB=" + std::string(INI_LINE_MAX - 2, 'b') + "\n");
    EXPECT_EQ(read(ini, "CONFIG", "A"), "1");
}

// Decoding a line costs a conversion; a file is decoded once, with one
// converter, however many keys are looked up in it.
TEST(IniSnapshot, DecodesEachFileOnceWithOneConverter)
{
    TempDir dir;
    const std::string ini = dir.file("romweld.ini");
    std::string text = "[TITLE]\n";
    for (int i = 0; i < 300; ++i) text += "g" + std::to_string(i) + ".nes=" + GAME_CP932 + "\n";
    writeText(ini, text);
    const std::size_t before = textConverterOpenCount();
    const IniSnapshot snap = IniSnapshot::load(ini);
    for (int round = 0; round < 10; ++round) {
        for (int i = 0; i < 300; ++i) ASSERT_EQ(snap.value("title", "G" + std::to_string(i) + ".NES"), GAME_UTF8);
    }
    EXPECT_EQ(textConverterOpenCount() - before, 1u);
}
