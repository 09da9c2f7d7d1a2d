#include "image_writer.h"

#include "file_io.h"
#include "rom_list.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes zeros(std::size_t n)
{
    return Bytes(n, 0);
}

Bytes le32(std::uint32_t v)
{
    return Bytes{static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                 static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
}

// A field of width bytes holding s, zero-filled.
Bytes field(const std::string& s, std::size_t width)
{
    Bytes b = text(s);
    b.resize(width, 0);
    return b;
}

const Bytes FILE_MAGIC = {0x70, 0x41, 0x17, 0x04};
const Bytes END_RECORD = join({{0x17, 0x04, 0x70, 0x41}, zeros(40)});

// A program folder with a configuration file, a shell of 1001 bytes (not a
// multiple of 4) and an extra file of 5 bytes.
struct ProgramDir {
    TempDir dir;
    Bytes shell = patternBytes(1001, 11);
    Bytes font = patternBytes(5, 12);

    explicit ProgramDir(const std::string& config)
    {
        writeText(dir.file("romweld.cfg"), config);
        writeBytes(dir.file("kvl.gba"), shell);
        writeBytes(dir.file("font.bin"), font);
    }
    std::string out() const { return dir.file("out.gba"); }
};

RomEntry* addRom(RomList& list, const std::string& path, const Bytes& bytes, const std::string& title)
{
    writeBytes(path, bytes);
    RomEntry* e = romListAdd(&list, path);
    romEntrySetTitle(e, title, 0, 0);
    romEntrySetPocket(e, title, 0, 0, 0);
    return e;
}

// The same bytes with header byte 7 cleared, as the repair writes them.
Bytes repaired(Bytes rom)
{
    rom[7] = 0;
    return rom;
}

}  // namespace

TEST(ImageWriter, KorvalindeImageByteForByte)
{
    ProgramDir p("[list]\nnum=1\nlist0=kvl-v02\n[KVL-V02]\nfile0=font.bin,Font Data,bin\n");
    auto list = romListCreate();
    const Bytes alpha = makeInesRom(24593, 0x12, 0x44, 1);  // damaged byte 7
    const Bytes beta = makeInesRom(32, 0x00, 0x08, 2);
    const Bytes gamma = makeInesRom(64, 0x00, 0x80, 3);     // mapper bits only: kept
    addRom(*list, p.dir.file("alpha.nes"), alpha, "Alpha");
    // "ｶﾞﾊﾟ" in half-width CP932 goes into the record as full-width EUC-JP.
    addRom(*list, p.dir.file("Beta.NES"), beta, "\xB6\xDE\xCA\xDF");
    addRom(*list, p.dir.file("gamma.nes"), gamma, "");

    CaptureStdout();
    ASSERT_EQ(writeImage(p.dir.path(), p.out(), list.get()), 0);
    const std::string progress = GetCapturedStdout();

    const Bytes expected = join({
        p.shell,  // no padding after the shell
        FILE_MAGIC, field("Font Data", 32), field("bin", 4), le32(5), p.font, zeros(3),
        FILE_MAGIC, field("Alpha", 32), field("nes", 4), {0x11, 0x60, 0x00, 0x00}, repaired(alpha), zeros(3),
        FILE_MAGIC, field("\xA5\xAC\xA5\xD1", 32), field("NES", 4), le32(32), repaired(beta),
        FILE_MAGIC, zeros(32), field("nes", 4), le32(64), gamma,
        END_RECORD,
    });
    EXPECT_EQ(readBytes(p.out()), expected);
    EXPECT_EQ(progress, p.dir.file("font.bin") + " Font Data bin\n" + p.dir.file("alpha.nes") +
                            " Alpha nes\n" + p.dir.file("Beta.NES") + " ｶﾞﾊﾟ NES\n" +
                            p.dir.file("gamma.nes") + "  nes\n");
}

TEST(ImageWriter, PocketNesImageByteForByte)
{
    ProgramDir p("[list]\nnum=1\nlist0=pn\n[pn]\ntype=pnes\nshell=kvl.gba\nfile0=font.bin,Font,bin\n");
    auto list = romListCreate();
    const Bytes rom = makeInesRom(24593, 0x00, 0x44, 4);
    RomEntry* e = addRom(*list, p.dir.file("game.nes"), rom, "Title");
    romEntrySetPocket(e, "\x83\x5B\x83\x8B\x83\x5F", 0x21, 3, 8);  // stored as given, CP932

    CaptureStdout();
    ASSERT_EQ(writeImage(p.dir.path(), p.out(), list.get(), "pn"), 0);
    GetCapturedStdout();

    const Bytes expected = join({
        p.shell,
        field("Font", 32), le32(5), le32(0), le32(0), le32(0), p.font,  // no padding
        field("\x83\x5B\x83\x8B\x83\x5F", 32), le32(24593), le32(0x21), le32(3), le32(8), repaired(rom),
        END_RECORD,
    });
    EXPECT_EQ(readBytes(p.out()), expected);
}

TEST(ImageWriter, ExtensionsAndNameFields)
{
    ProgramDir p("[kvl-v02]\n");
    ::mkdir(p.dir.file("roms.v2").c_str(), 0755);
    auto list = romListCreate();
    const Bytes damaged = makeInesRom(20, 0x00, 0x44, 5);
    addRom(*list, p.dir.file("game.nesx"), damaged, "A");
    addRom(*list, p.dir.file("roms.v2/game"), damaged, "B");
    // 16 hiragana are 32 EUC-JP bytes; the name field keeps 31.
    std::string hiragana;
    for (int i = 0; i < 16; ++i) hiragana += "\x82\xA0";
    addRom(*list, p.dir.file("long.bin"), damaged, hiragana);

    CaptureStdout();
    ASSERT_EQ(writeImage(p.dir.path(), p.out(), list.get()), 0);
    GetCapturedStdout();

    std::string euc;
    for (int i = 0; i < 16; ++i) euc += "\xA4\xA2";
    const Bytes expected = join({
        p.shell,
        FILE_MAGIC, field("A", 32), field("nes", 4), le32(20), damaged, zeros(0),
        FILE_MAGIC, field("B", 32), field("v2/", 4), le32(20), damaged,
        FILE_MAGIC, field(euc.substr(0, 31), 32), field("bin", 4), le32(20), damaged,
        END_RECORD,
    });
    EXPECT_EQ(readBytes(p.out()), expected);
}

TEST(ImageWriter, ExtraFileValues)
{
    // A third comma stays in the extension text; a gap ends the extra files.
    ProgramDir p("[kvl-v02]\nfile0=font.bin,F,bin,x\nfile2=font.bin,G,bin\n");
    auto list = romListCreate();
    CaptureStdout();
    ASSERT_EQ(writeImage(p.dir.path(), p.out(), list.get(), ""), 0);  // empty name: the default
    EXPECT_EQ(GetCapturedStdout(), p.dir.file("font.bin") + " F bin,x\n");
    EXPECT_EQ(readBytes(p.out()),
              join({p.shell, FILE_MAGIC, field("F", 32), field("bin", 4), le32(5), p.font, zeros(3), END_RECORD}));

    // Without its two commas a value stops the image after what was written.
    ProgramDir bad("[kvl-v02]\nfile0=font.bin,F,bin\nfile1=font.bin,F\n");
    CaptureStdout();
    CaptureStderr();
    EXPECT_EQ(writeImage(bad.dir.path(), bad.out(), list.get()), 1);
    GetCapturedStdout();
    EXPECT_NE(GetCapturedStderr().find("file1=font.bin,F"), std::string::npos);
    EXPECT_EQ(readBytes(bad.out()),
              join({bad.shell, FILE_MAGIC, field("F", 32), field("bin", 4), le32(5), bad.font, zeros(3)}));
}

TEST(ImageWriter, MissingFilesAndOutputs)
{
    ProgramDir p("[kvl-v02]\nfile0=gone.bin,Gone,bin\n[noshell]\nshell=none.gba\n");
    auto list = romListCreate();
    addRom(*list, p.dir.file("vanished.nes"), makeInesRom(40), "V");
    ::unlink(p.dir.file("vanished.nes").c_str());

    // Files missing at writing time give empty records, and the image goes on.
    CaptureStdout();
    CaptureStderr();
    ASSERT_EQ(writeImage(p.dir.path(), p.out(), list.get()), 0);
    GetCapturedStdout();
    std::string errors = GetCapturedStderr();
    EXPECT_EQ(errors, p.dir.file("gone.bin") + ": No such file or directory\n" + p.dir.file("vanished.nes") +
                          ": No such file or directory\n");
    EXPECT_EQ(readBytes(p.out()), join({p.shell, FILE_MAGIC, field("Gone", 32), field("bin", 4), le32(0),
                                        FILE_MAGIC, field("V", 32), field("nes", 4), le32(0), END_RECORD}));

    // A missing shell leaves an empty image.
    CaptureStderr();
    EXPECT_EQ(writeImage(p.dir.path(), p.out(), list.get(), "noshell"), 1);
    EXPECT_EQ(GetCapturedStderr(), p.dir.file("none.gba") + ": No such file or directory\n");
    EXPECT_EQ(sizeOf(p.out()), 0);

    // An output that can't be created.
    CaptureStderr();
    EXPECT_EQ(writeImage(p.dir.path(), p.dir.file("no/such/out.gba"), list.get()), 1);
    EXPECT_EQ(GetCapturedStderr(), p.dir.file("no/such/out.gba") + ": No such file or directory\n");

    // No configuration at all: the default shell, Korvalinde layout, no extra files.
    ::unlink(p.dir.file("romweld.cfg").c_str());
    auto empty = romListCreate();
    ASSERT_EQ(writeImage(p.dir.path(), p.out(), empty.get()), 0);
    EXPECT_EQ(readBytes(p.out()), join({p.shell, END_RECORD}));
}

TEST(ImageWriter, FailuresThatWouldCorruptOrLoseData)
{
    ProgramDir p("[kvl-v02]\n");
    auto list = romListCreate();
    const Bytes rom = makeInesRom(40);
    addRom(*list, p.dir.file("a.nes"), rom, "A");

    // Writing the image over one of its inputs would destroy that input.
    CaptureStderr();
    EXPECT_EQ(writeImage(p.dir.path(), p.dir.file("a.nes"), list.get()), 1);
    EXPECT_EQ(writeImage(p.dir.path(), p.dir.file("kvl.gba"), list.get()), 1);
    EXPECT_EQ(writeImage(p.dir.path(), p.dir.file("romweld.cfg"), list.get()), 1);
    EXPECT_NE(GetCapturedStderr().find("own input"), std::string::npos);
    EXPECT_EQ(readBytes(p.dir.file("a.nes")), rom);
    EXPECT_EQ(readBytes(p.dir.file("kvl.gba")), p.shell);
    EXPECT_EQ(readText(p.dir.file("romweld.cfg")), "[kvl-v02]\n");

    // A full disk is a failure, not a finished image.
    if (fileExists("/dev/full")) {
        CaptureStdout();
        CaptureStderr();
        EXPECT_EQ(writeImage(p.dir.path(), "/dev/full", list.get()), 1);
        GetCapturedStdout();
        EXPECT_NE(GetCapturedStderr().find("/dev/full: No space left on device"), std::string::npos);
    }

    // A ROM that exists but can't be read would get a header promising data
    // that never follows.
    if (::geteuid() != 0) {
        ::chmod(p.dir.file("a.nes").c_str(), 0);
        CaptureStdout();
        CaptureStderr();
        EXPECT_EQ(writeImage(p.dir.path(), p.out(), list.get()), 1);
        GetCapturedStdout();
        EXPECT_EQ(GetCapturedStderr(), p.dir.file("a.nes") + ": Permission denied\n");
        EXPECT_EQ(readBytes(p.out()), p.shell);
    }
}

TEST(ImageWriter, RecordWritersAlone)
{
    TempDir dir;
    writeBytes(dir.file("x.bin"), patternBytes(6));
    OutFile image;
    ASSERT_TRUE(image.create(dir.file("out")));
    CaptureStdout();
    EXPECT_EQ(writeExtraFileRecord(image, dir.file("x.bin"), "a name longer than thirty-one bytes", "binary", false), 0);
    GetCapturedStdout();
    writeEndRecord(image);
    ASSERT_TRUE(image.close());
    EXPECT_EQ(readBytes(dir.file("out")), join({FILE_MAGIC, field("a name longer than thirty-one b", 32),
                                                field("bin", 4), le32(6), patternBytes(6), zeros(2), END_RECORD}));
}
