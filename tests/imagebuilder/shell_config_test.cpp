#include "shell_config.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A program folder with "romweld.cfg" and the files it names.
class ProgramFolder : public testing::Test {
protected:
    void cfg(const std::string& text) { writeText(dir.file("romweld.cfg"), text); }
    void file(const std::string& name, std::size_t size) { writeBytes(dir.file(name), patternBytes(size)); }
    std::vector<ShellVariant> load()
    {
        testing::internal::CaptureStderr();
        auto table = loadShellVariants(dir.path());
        stderrText = testing::internal::GetCapturedStderr();
        return table;
    }
    std::vector<std::string> names()
    {
        std::vector<std::string> out;
        for (const ShellVariant& v : load()) out.push_back(v.name);
        return out;
    }

    TempDir dir;
    std::string stderrText;
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(ProgramFolder, ListsUsableVariantsInOrderWithTheirSizes)
{
    file("kvl.gba", 131072);
    file("pnes.gba", 200);
    file("font.bin", 1001);
    file("pal.bin", 4);
    cfg("[list]\nnum=3\nlist0=kvl-v02\nlist1=\nlist2=pocket\n"
        "[kvl-v02]\nshell=kvl.gba\nfile0=font.bin,FONT,bin\n"
        "[pocket]\nshell=pnes.gba\ntype=pnes\nfile0=pal.bin,PAL,pal\nfile1=font.bin,F,b\n");
    const auto table = load();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].name, "kvl-v02");
    EXPECT_EQ(table[0].imageSize, 132120);  // 131072 + 44 + 1004
    EXPECT_EQ(table[0].isPocketNes, 0);
    EXPECT_EQ(table[1].name, "pocket");
    EXPECT_EQ(table[1].imageSize, 200 + 44 + 4 + 44 + 1004);
    EXPECT_EQ(table[1].isPocketNes, 1);
    EXPECT_EQ(stderrText, "");

    EXPECT_EQ(estimateShellSize(dir.path()), 132120);  // "kvl-v02" by default
    EXPECT_EQ(estimateShellSize(dir.path(), "KVL-V02"), 132120);
    // A section of its own is not needed: the shell defaults to "kvl.gba".
    EXPECT_EQ(estimateShellSize(dir.path(), "absent"), 131072);
}

TEST_F(ProgramFolder, DropsVariantsWithMissingEmptyOrMalformedFiles)
{
    file("kvl.gba", 100);
    file("empty.bin", 0);
    file("x.bin", 8);
    cfg("[LIST]\nNUM=6\nlist0=a\nlist1=b\nlist2=c\nlist3=d\nlist4=e\nlist5=f\n"
        "[a]\nshell=missing.gba\n"
        "[b]\n"
        "[c]\nfile0=empty.bin,E,bin\n"
        "[d]\nfile0=x.bin;X;bin\n"
        "[e]\nfile0=x.bin,X\n"
        "[f]\nfile0=x.bin,X,bin\nfile2=missing.bin,M,bin\n");
    EXPECT_EQ(names(), (Names{"b", "f"}));
    EXPECT_NE(stderrText.find(dir.file("missing.gba") + ": "), std::string::npos) << stderrText;
    const auto table = load();
    EXPECT_EQ(table[0].imageSize, 100);
    EXPECT_EQ(table[1].imageSize, 100 + 44 + 8);  // file2 is never read without file1
}

TEST_F(ProgramFolder, TheTypeKeywordIgnoresCase)
{
    file("kvl.gba", 16);
    cfg("[list]\nnum=5\nlist0=none\nlist1=lower\nlist2=upper\nlist3=longer\nlist4=kvl\n"
        "[lower]\ntype=pnes\n[upper]\ntype=PNes\n[longer]\ntype=pnes2\n[kvl]\ntype=kvl\n");
    const auto table = load();
    ASSERT_EQ(table.size(), 5u);
    EXPECT_EQ(table[0].isPocketNes, 0);
    EXPECT_EQ(table[1].isPocketNes, 1);
    EXPECT_EQ(table[2].isPocketNes, 1);
    EXPECT_EQ(table[3].isPocketNes, 0);
    EXPECT_EQ(table[4].isPocketNes, 0);
}

TEST_F(ProgramFolder, NoUsableVariantGivesAnEmptyTable)
{
    EXPECT_TRUE(load().empty());  // no configuration file
    file("kvl.gba", 16);
    for (const char* num : {"0", "-1", "abc", "99999999999", "2147483647", "65537"}) {
        cfg(std::string("[list]\nnum=") + num + "\nlist0=kvl-v02\n");
        EXPECT_TRUE(load().empty()) << num;
    }
    cfg("[list]\nnum=2\nlist0=\nlist1=\n");
    EXPECT_TRUE(load().empty());
    cfg("[list]\nnum=1\nlist0=gone\n[gone]\nshell=gone.gba\n");
    EXPECT_TRUE(load().empty());
    // A large but sane count is only slots to look at.
    cfg("[list]\nnum=65536\nlist70=late\nlist0=early\n");
    EXPECT_EQ(names(), (Names{"early", "late"}));
}

TEST(ShellConfigHelpers, ExtraFileValuesAndVariantChoice)
{
    ExtraFile extra;
    ASSERT_TRUE(splitExtraFile("fonts/a.bin,FONT,bin", extra));
    EXPECT_EQ(extra.path, "fonts/a.bin");
    EXPECT_EQ(extra.name, "FONT");
    EXPECT_EQ(extra.ext, "bin");
    ASSERT_TRUE(splitExtraFile("a,,x,y", extra));
    EXPECT_EQ(extra.name, "");
    EXPECT_EQ(extra.ext, "x,y");
    EXPECT_FALSE(splitExtraFile("a,b", extra));
    EXPECT_FALSE(splitExtraFile("", extra));

    std::vector<ShellVariant> table(3);
    table[0].name = "kvl-v02";
    table[1].name = "kvl-v03 beta";
    table[2].name = "PocketNES";
    EXPECT_EQ(chooseVariantIndex(table, "KVL-V03"), 1);
    EXPECT_EQ(chooseVariantIndex(table, "pocketnes"), 2);
    EXPECT_EQ(chooseVariantIndex(table, "nothing"), 0);
    EXPECT_EQ(chooseVariantIndex(table, "PocketNES 2"), 0);
    EXPECT_EQ(chooseVariantIndex({}, "kvl"), -1);
}
