// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell_config.h"

#include "file_io.h"
#include "text_encoding.h"
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
    // Each usable variant as "name size", with " pnes" for the PocketNES layout.
    std::vector<std::string> variants()
    {
        std::vector<std::string> out;
        for (const ShellVariant& v : load()) {
            out.push_back(v.name + " " + std::to_string(v.imageSize) + (v.isPocketNes != 0 ? " pnes" : ""));
        }
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
    // 131072 + 44 + 1004, and 200 + 44 + 4 + 44 + 1004.
    EXPECT_EQ(variants(), (Names{"kvl-v02 132120", "pocket 1296 pnes"}));
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
    // file2 is never read without file1.
    EXPECT_EQ(variants(), (Names{"b 100", "f 152"}));
    // Nothing is printed: a program that must say why asks the files itself.
    EXPECT_EQ(stderrText, "");
}

TEST_F(ProgramFolder, TheTypeKeywordIgnoresCase)
{
    file("kvl.gba", 16);
    cfg("[list]\nnum=5\nlist0=none\nlist1=lower\nlist2=upper\nlist3=longer\nlist4=kvl\n"
        "[lower]\ntype=pnes\n[upper]\ntype=PNes\n[longer]\ntype=pnes2\n[kvl]\ntype=kvl\n");
    EXPECT_EQ(variants(), (Names{"none 16", "lower 16 pnes", "upper 16 pnes", "longer 16", "kvl 16"}));
}

TEST_F(ProgramFolder, NoUsableVariantGivesAnEmptyTable)
{
    EXPECT_TRUE(load().empty());  // no configuration file
    file("kvl.gba", 16);
    for (const char* num : {"0", "-1", "abc", "99999999999", "2147483647", "65537"}) {
        cfg(std::string("[list]\nnum=") + num + "\nlist0=kvl-v02\n");
        EXPECT_TRUE(load().empty()) << num;
    }
    for (const char* config : {"[list]\nnum=2\nlist0=\nlist1=\n", "[list]\nnum=1\nlist0=gone\n[gone]\nshell=gone.gba\n"}) {
        cfg(config);
        EXPECT_TRUE(load().empty()) << config;
    }
    // A large but sane count is only slots to look at.
    cfg("[list]\nnum=65536\nlist70=late\nlist0=early\n");
    EXPECT_EQ(variants(), (Names{"early 16", "late 16"}));
}

TEST(ShellConfigHelpers, ExtraFileValuesAndVariantChoice)
{
    ExtraFile e;
    ASSERT_TRUE(splitExtraFile("fonts/a.bin,FONT,bin", e));
    EXPECT_EQ(e.path + "|" + e.name + "|" + e.ext, "fonts/a.bin|FONT|bin");
    ASSERT_TRUE(splitExtraFile("a,,x,y", e));
    EXPECT_EQ(e.path + "|" + e.name + "|" + e.ext, "a||x,y");
    EXPECT_FALSE(splitExtraFile("a,b", e));
    EXPECT_FALSE(splitExtraFile("", e));

    std::vector<ShellVariant> table;
    for (const char* name : {"kvl-v02", "kvl-v03 beta", "PocketNES"}) table.push_back(ShellVariant{0, name, 0, std::nullopt});
    EXPECT_EQ(chooseVariantIndex(table, "KVL-V03"), 1);
    EXPECT_EQ(chooseVariantIndex(table, "pocketnes"), 2);
    EXPECT_EQ(chooseVariantIndex(table, "nothing"), 0);
    EXPECT_EQ(chooseVariantIndex(table, "PocketNES 2"), 0);
    EXPECT_EQ(chooseVariantIndex({}, "kvl"), -1);
}

// "num" at its largest with a few hundred lines of CP932 text: every variant
// slot is looked up in a file decoded once, with one converter, so loading
// costs no more than reading the file.
TEST_F(ProgramFolder, AHostileConfigurationIsDecodedOnce)
{
    std::string text = "[list]\nnum=" + std::to_string(MAX_VARIANT_SLOTS) + "\n";
    for (int i = 0; i < 300; ++i) text += "g" + std::to_string(i) + "=\x83\x51\x81\x5B\n";
    text += "list65535=last\n[last]\nshell=kvl.gba\n";
    cfg(text);
    file("kvl.gba", 100);
    const std::size_t before = textConverterOpenCount();
    EXPECT_EQ(variants(), Names{"last 100"});
    EXPECT_EQ(textConverterOpenCount() - before, 1u);
}

TEST_F(ProgramFolder, AConfigurationBeyondTheBoundsListsNothing)
{
    file("kvl.gba", 100);
    cfg("[list]\nnum=1\nlist0=kvl-v02\n;" + std::string(INI_LINE_MAX, 'x') + "\n");
    EXPECT_TRUE(load().empty());
    const IniSnapshot loaded = IniSnapshot::load(dir.file("romweld.cfg"));
    EXPECT_EQ(loaded.errorNumber(), LINE_TOO_LONG);
    // A configuration loaded once serves the same look-ups.
    cfg("[list]\nnum=1\nlist0=kvl-v02\n");
    const IniSnapshot config = IniSnapshot::load(dir.file("romweld.cfg"));
    ASSERT_EQ(loadShellVariants(dir.path(), config).size(), 1u);
    EXPECT_EQ(estimateShellSize(config, dir.path()), 100);
}

TEST_F(ProgramFolder, MappersAVariantRuns)
{
    file("kvl.gba", 16);
    cfg("[list]\nnum=4\nlist0=kvl\nlist1=pn\nlist2=own\nlist3=kvlmap\n"
        "[kvl]\n[pn]\ntype=PNES\n"
        "[own]\ntype=pnes\nmappers= 0, 2 ,64-66,300,x,9-7,4\n"
        "[kvlmap]\nmappers=1\n");
    const std::vector<ShellVariant> table = load();
    ASSERT_EQ(table.size(), 4u);

    // Korvalinde without the key: nothing is known, nothing is checked.
    EXPECT_FALSE(table[0].mappers);
    EXPECT_FALSE(variantLacksMapper(table[0], 4095));

    // PocketNES without the key: PocketNES's own list.
    ASSERT_TRUE(table[1].mappers);
    EXPECT_EQ(*table[1].mappers, pocketNesMappers());
    EXPECT_EQ(pocketNesMappers().size(), 71u);
    for (const int m : {0, 5, 7, 11, 15, 26, 32, 42, 64, 72, 80, 85, 99, 105, 140, 163, 206, 228, 254}) {
        EXPECT_FALSE(variantLacksMapper(table[1], m)) << m;
    }
    for (const int m : {6, 8, 12, 14, 20, 27, 31, 41, 43, 63, 81, 84, 89, 255, 256, 321}) {
        EXPECT_TRUE(variantLacksMapper(table[1], m)) << m;
    }

    // The key: numbers and ranges, blanks allowed; a part that is no number names nothing.
    EXPECT_EQ(table[2].mappers, (std::vector<int>{0, 2, 4, 64, 65, 66, 300}));
    EXPECT_EQ(table[3].mappers, std::vector<int>{1});
    EXPECT_TRUE(variantLacksMapper(table[3], 0));
}

TEST_F(ProgramFolder, AMapperListLongerThanOtherValuesIsReadWhole)
{
    file("kvl.gba", 16);
    std::string list;
    for (int m = 0; m < 200; m += 2) list += std::to_string(m) + ",";
    cfg("[list]\nnum=1\nlist0=kvl\n[kvl]\nmappers=" + list + "\n");
    const std::vector<ShellVariant> table = load();
    ASSERT_EQ(table.size(), 1u);
    ASSERT_TRUE(table[0].mappers);
    EXPECT_EQ(table[0].mappers->size(), 100u);
    EXPECT_FALSE(variantLacksMapper(table[0], 198));
    EXPECT_TRUE(variantLacksMapper(table[0], 199));
}
