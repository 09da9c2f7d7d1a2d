// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_writer.h"

#include "file_io.h"
#include "gba_header.h"
#include "ini_profile.h"
#include "image_records.h"
#include "report.h"
#include "rom_admission.h"
#include "rom_list.h"
#include "system_limits.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace {

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

// What writeImage gave and told its report: the record lines (out) and the
// problems (err), each line ended as the programs print them.
struct Written {
    int result;
    std::string out;
    std::string err;
};

std::string lines(const std::vector<std::string>& texts)
{
    std::string all;
    for (const std::string& t : texts) all += t + "\n";
    return all;
}

Written write(const ProgramDir& p, const RomList* list, std::string_view variant = DEFAULT_VARIANT,
              const std::string& output = "", const GbaHeaderFields* headerFix = nullptr)
{
    CollectedReport report;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    // As a number: the writer's codes keep the values 0 written, 1 failed.
    const int result =
        static_cast<int>(writeImage(p.dir.path(), output.empty() ? p.out() : output, list, variant, headerFix, report));
    // The writer tells its caller only; it never prints.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    return {result, lines(report.records), lines(report.problems)};
}

using Names = std::vector<std::string>;

// The names in a folder, sorted: a temporary file left behind shows here.
Names namesIn(const std::string& dir)
{
    Names names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

RomEntry* addRom(RomList& list, const std::string& path, const Bytes& bytes, const std::string& title)
{
    writeBytes(path, bytes);
    CollectedReport quiet;
    RomEntry* e = romListAdd(&list, path, quiet);
    romEntrySetTitle(e, title, 0, 0);
    romEntrySetPocket(e, title, 0, 0, 0);
    return e;
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

    const Written w = write(p, list.get());
    ASSERT_EQ(w.result, 0);
    // Every byte spelled out once; the other tests build records with kvlRecord.
    EXPECT_EQ(readBytes(p.out()), join({
        p.shell,  // no padding after the shell
        FILE_MAGIC, field("Font Data", 32), field("bin", 4), le32(5), p.font, zeros(3),
        FILE_MAGIC, field("Alpha", 32), field("nes", 4), {0x11, 0x60, 0x00, 0x00}, repaired(alpha), zeros(3),
        FILE_MAGIC, field("\xA5\xAC\xA5\xD1", 32), field("NES", 4), le32(32), repaired(beta),
        FILE_MAGIC, zeros(32), field("nes", 4), le32(64), gamma,
        END_RECORD,
    }));
    EXPECT_EQ(w.out, p.dir.file("font.bin") + " Font Data bin\n" + p.dir.file("alpha.nes") + " Alpha nes\n" +
                         p.dir.file("Beta.NES") + " ｶﾞﾊﾟ NES\n" + p.dir.file("gamma.nes") + "  nes\n");
}

TEST(ImageWriter, PocketNesImageByteForByte)
{
    ProgramDir p("[list]\nnum=1\nlist0=pn\n[pn]\ntype=pnes\nshell=kvl.gba\nfile0=font.bin,Font,bin\n");
    auto list = romListCreate();
    const Bytes rom = makeInesRom(24593, 0x00, 0x44, 4);
    RomEntry* e = addRom(*list, p.dir.file("game.nes"), rom, "Title");
    romEntrySetPocket(e, "\x83\x5B\x83\x8B\x83\x5F", 0x21, 3, 8);  // stored as given, CP932

    ASSERT_EQ(write(p, list.get(), "pn").result, 0);
    EXPECT_EQ(readBytes(p.out()), join({p.shell, pocketRecord("Font", p.font),
                                        pocketRecord("\x83\x5B\x83\x8B\x83\x5F", repaired(rom), 0x21, 3, 8),
                                        END_RECORD}));
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
    std::string euc;
    for (int i = 0; i < 16; ++i) {
        hiragana += "\x82\xA0";
        euc += "\xA4\xA2";
    }
    addRom(*list, p.dir.file("long.bin"), damaged, hiragana);

    ASSERT_EQ(write(p, list.get()).result, 0);
    EXPECT_EQ(readBytes(p.out()), join({p.shell, kvlRecord("A", "nes", damaged), kvlRecord("B", "v2/", damaged),
                                        kvlRecord(euc.substr(0, 31), "bin", damaged), END_RECORD}));
}

TEST(ImageWriter, ExtraFileValues)
{
    // A third comma stays in the extension text; a gap ends the extra files.
    ProgramDir p("[kvl-v02]\nfile0=font.bin,F,bin,x\nfile2=font.bin,G,bin\n");
    auto list = romListCreate();
    const Written w = write(p, list.get(), "");  // empty name: the default
    ASSERT_EQ(w.result, 0);
    EXPECT_EQ(w.out, p.dir.file("font.bin") + " F bin,x\n");
    EXPECT_EQ(readBytes(p.out()), join({p.shell, kvlRecord("F", "bin", p.font), END_RECORD}));

    // Without its two commas a value stops the image; nothing is left of it.
    ProgramDir bad("[kvl-v02]\nfile0=font.bin,F,bin\nfile1=font.bin,F\n");
    const Written failed = write(bad, list.get());
    EXPECT_EQ(failed.result, 1);
    EXPECT_NE(failed.err.find("file1=font.bin,F"), std::string::npos);
    EXPECT_FALSE(fileExists(bad.out()));
    EXPECT_EQ(namesIn(bad.dir.path()), (Names{"font.bin", "kvl.gba", "romweld.cfg"}));
}

TEST(ImageWriter, MissingFilesAndOutputs)
{
    ProgramDir p("[kvl-v02]\nfile0=gone.bin,Gone,bin\n[noshell]\nshell=none.gba\n");
    auto list = romListCreate();
    addRom(*list, p.dir.file("vanished.nes"), makeInesRom(40), "V");
    ::unlink(p.dir.file("vanished.nes").c_str());

    // Files missing at writing time give empty records, and the image goes on.
    Written w = write(p, list.get());
    ASSERT_EQ(w.result, 0);
    EXPECT_EQ(w.err, p.dir.file("gone.bin") + ": No such file or directory\n" + p.dir.file("vanished.nes") +
                         ": No such file or directory\n");
    EXPECT_EQ(readBytes(p.out()), join({p.shell, kvlRecord("Gone", "bin", {}), kvlRecord("V", "nes", {}), END_RECORD}));

    // A missing shell stops the image; the one written before stays.
    const Bytes before = readBytes(p.out());
    w = write(p, list.get(), "noshell");
    EXPECT_EQ(w.result, 1);
    EXPECT_EQ(w.err, p.dir.file("none.gba") + ": No such file or directory\n");
    EXPECT_EQ(readBytes(p.out()), before);

    // An output that can't be created.
    w = write(p, list.get(), DEFAULT_VARIANT, p.dir.file("no/such/out.gba"));
    EXPECT_EQ(w.result, 1);
    EXPECT_EQ(w.err, p.dir.file("no/such/out.gba") + ": No such file or directory\n");

    // No configuration at all: the default shell, Korvalinde layout, no extra files.
    ::unlink(p.dir.file("romweld.cfg").c_str());
    auto empty = romListCreate();
    ASSERT_EQ(write(p, empty.get()).result, 0);
    EXPECT_EQ(readBytes(p.out()), join({p.shell, END_RECORD}));
}

// An entry kept although its ROM can't be read (a card not mounted yet) is
// no record and no byte of the size, until its file is back.
TEST(ImageWriter, EntriesKeptUnreadableAreLeftOutUntilReadAgain)
{
    ProgramDir p("[kvl-v02]\n");
    auto list = romListCreate();
    const Bytes a = makeInesRom(40, 0x10, 0, 1);
    addRom(*list, p.dir.file("a.nes"), a, "A");
    const std::string card = p.dir.file("card/b.nes");
    RomEntry* b = admitUnreadable(list.get(), card, IniSnapshot{}, false, "No such file or directory");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->unreadable, "No such file or directory");
    EXPECT_EQ(admitUnreadable(list.get(), card, IniSnapshot{}, false, ""), nullptr);  // listed already
    EXPECT_FALSE(readmitRomEntry(list.get(), b));
    const Bytes without = join({p.shell, kvlRecord("A", "nes", a), END_RECORD});
    EXPECT_EQ(exactImageSize(p.dir.path(), list.get(), DEFAULT_VARIANT), static_cast<std::int64_t>(without.size()));
    Written w = write(p, list.get());
    EXPECT_EQ(w.err, "");
    EXPECT_EQ(readBytes(p.out()), without);

    ASSERT_EQ(::mkdir(p.dir.file("card").c_str(), 0755), 0);
    const Bytes back = makeInesRom(64, 0x20, 0, 2);
    writeBytes(card, back);
    ASSERT_TRUE(readmitRomEntry(list.get(), b));
    EXPECT_EQ(b->unreadable, "");
    EXPECT_EQ(b->mapper, 2);
    EXPECT_EQ(list->totalSize, 40 + 64);
    w = write(p, list.get());
    EXPECT_EQ(readBytes(p.out()), join({p.shell, kvlRecord("A", "nes", a), kvlRecord("b", "nes", back), END_RECORD}));
}

TEST(ImageWriter, FailuresThatWouldCorruptOrLoseData)
{
    ProgramDir p("[kvl-v02]\n");
    auto list = romListCreate();
    const Bytes rom = makeInesRom(40);
    addRom(*list, p.dir.file("a.nes"), rom, "A");

    // Writing the image over one of its inputs would destroy that input.
    for (const char* input : {"a.nes", "kvl.gba", "romweld.cfg"}) {
        const Written w = write(p, list.get(), DEFAULT_VARIANT, p.dir.file(input));
        EXPECT_EQ(w.result, 1) << input;
        EXPECT_NE(w.err.find("own input"), std::string::npos) << input;
    }
    EXPECT_EQ(readBytes(p.dir.file("a.nes")), rom);
    EXPECT_EQ(readBytes(p.dir.file("kvl.gba")), p.shell);
    EXPECT_EQ(readText(p.dir.file("romweld.cfg")), "[kvl-v02]\n");

    // A device is no place for an image: it is never written to.
    if (fileExists("/dev/full")) {
        const Written w = write(p, list.get(), DEFAULT_VARIANT, "/dev/full");
        EXPECT_EQ(w.result, 1);
        EXPECT_EQ(w.err, "/dev/full: not a regular file\n");
    }

    // A ROM that exists but can't be read would get a header promising data
    // that never follows.
    if (::geteuid() != 0) {
        ::chmod(p.dir.file("a.nes").c_str(), 0);
        const Written w = write(p, list.get());
        EXPECT_EQ(w.result, 1);
        EXPECT_EQ(w.err, p.dir.file("a.nes") + ": Permission denied\n");
        EXPECT_FALSE(fileExists(p.out()));
    }
}

TEST(ImageWriter, RecordWritersAlone)
{
    TempDir dir;
    writeBytes(dir.file("x.bin"), patternBytes(6));
    OutFile image;
    ASSERT_TRUE(image.create(dir.file("out")));
    CollectedReport report;
    EXPECT_EQ(writeExtraFileRecord(image, dir.file("x.bin"), "a name longer than thirty-one bytes", "binary", false,
                                   report),
              ImageWrite::Written);
    EXPECT_EQ(report.records, std::vector<std::string>{dir.file("x.bin") + " a name longer than thirty-one bytes binary"});
    writeEndRecord(image);
    ASSERT_TRUE(image.close());
    EXPECT_EQ(readBytes(dir.file("out")),
              join({kvlRecord("a name longer than thirty-one b", "bin", patternBytes(6)), END_RECORD}));
}

TEST(ImageWriter, AFailedBuildKeepsThePreviousImageByteForByte)
{
    ProgramDir p("[kvl-v02]\nfile0=font.bin,Font,bin\n");
    auto list = romListCreate();
    addRom(*list, p.dir.file("a.nes"), makeInesRom(4000, 0, 0, 3), "A");
    ASSERT_EQ(write(p, list.get()).result, 0);
    const Bytes previous = readBytes(p.out());

    // A bigger image that fails part way: the file size limit stands in for a
    // full disk and works for root too. The signal it raises is ignored, so
    // the write itself reports the failure.
    addRom(*list, p.dir.file("b.nes"), makeInesRom(9000, 0, 0, 4), "B");
    Written w;
    {
        const FileSizeLimit limit(6000);
        w = write(p, list.get());
    }

    EXPECT_EQ(w.result, 1);
    EXPECT_NE(w.err.find(p.out() + ": File too large"), std::string::npos) << w.err;
    EXPECT_EQ(readBytes(p.out()), previous);
    EXPECT_EQ(namesIn(p.dir.path()), (Names{"a.nes", "b.nes", "font.bin", "kvl.gba", "out.gba", "romweld.cfg"}));
}

TEST(ImageWriter, HeaderFixBeforeTheImageTakesItsPlaceAndLinksFollowed)
{
    ProgramDir p("[kvl-v02]\n");
    auto list = romListCreate();
    addRom(*list, p.dir.file("a.nes"), makeInesRom(300), "A");
    ASSERT_EQ(write(p, list.get()).result, 0);
    const Bytes plain = readBytes(p.out());

    // The image is reached through a chain of two relative links; the file
    // at the end is replaced and both links stay.
    ::mkdir(p.dir.file("cart").c_str(), 0755);
    ASSERT_EQ(::symlink("../out.gba", p.dir.file("cart/link1").c_str()), 0);
    ASSERT_EQ(::symlink("cart/link1", p.dir.file("link2").c_str()), 0);
    const GbaHeaderFields fields{"Korvalinde", "KVL", "ZQ"};
    ASSERT_EQ(write(p, list.get(), DEFAULT_VARIANT, p.dir.file("link2"), &fields).result, 0);

    const std::string fixed = p.dir.file("fixed.gba");
    writeBytes(fixed, plain);
    CollectedReport report;
    ASSERT_EQ(fixGbaHeader(fixed, "Korvalinde", "KVL", "ZQ", report), HeaderFix::Rewritten);
    EXPECT_EQ(readBytes(p.out()), readBytes(fixed));
    struct stat st {};
    ASSERT_EQ(::lstat(p.dir.file("link2").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::lstat(p.dir.file("cart/link1").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(ImageWriter, AHeaderFixInPlaceKeepsTheWholeImage)
{
    // A flash cart's folder may take no new file while the image in it may
    // be written: the image is then rewritten in place, and the header fix,
    // written last at the image's start, must not cut it short.
    ProgramDir p("[kvl-v02]\nfile0=font.bin,Font,bin\n");
    ASSERT_EQ(::chmod(p.dir.path().c_str(), 0755), 0);
    auto list = romListCreate();
    addRom(*list, p.dir.file("a.nes"), makeInesRom(3000, 0, 0, 5), "A");
    const GbaHeaderFields fields{"Korvalinde", "KVL", "ZQ"};
    ASSERT_EQ(write(p, list.get(), DEFAULT_VARIANT, p.out(), &fields).result, 0);
    const Bytes expected = readBytes(p.out());

    const std::string cart = p.dir.file("cart/");
    ASSERT_EQ(::mkdir(cart.c_str(), 0755), 0);
    const std::string image = cart + "game.gba";
    writeText(image, "an earlier image");
    ASSERT_EQ(::chown(image.c_str(), unprivilegedUser(), unprivilegedGroup()), 0);
    ASSERT_EQ(::chmod(cart.c_str(), 0555), 0);
    // The earlier image is kept there first.
    ASSERT_EQ(::mkdir(p.dir.file("state").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(p.dir.file("state").c_str(), 0777), 0);
    ASSERT_EQ(::setenv("XDG_STATE_HOME", p.dir.file("state").c_str(), 1), 0);
    const int result = runUnprivileged([&] {
        CollectedReport report;
        return static_cast<int>(writeImage(p.dir.path(), image, list.get(), DEFAULT_VARIANT, &fields, report));
    });
    ::chmod(cart.c_str(), 0755);
    EXPECT_EQ(readText(rewriteCopyPathFor(image)), "an earlier image");
    ::unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(static_cast<ImageWrite>(result), ImageWrite::Written);
    EXPECT_EQ(readBytes(image).size(), expected.size());
    EXPECT_EQ(readBytes(image), expected);
}

TEST(ImageWriter, ExactSizeIsWhatTheWriterWrites)
{
    // Sizes with every remainder modulo 4, a missing ROM, two extra files (one
    // of them missing) and both layouts.
    ProgramDir p("[list]\nnum=2\nlist0=kvl\nlist1=pn\n"
                 "[kvl]\nfile0=font.bin,Font,bin\nfile1=gone.bin,Gone,bin\n"
                 "[pn]\ntype=PNES\nfile0=font.bin,Font,bin\nfile1=gone.bin,Gone,bin\n"
                 "[bare]\n[short]\nfile0=font.bin,Font,bin\nfile1=font.bin\n");
    const std::vector<std::vector<std::size_t>> lists = {
        {}, {16}, {24593}, {17, 18, 19, 20}, {40, 1, 0}, {32768 + 16, 262144 + 16, 999},
    };
    for (const char* variant : {"kvl", "pn", "bare", "short", "absent"}) {
        for (const std::vector<std::size_t>& sizes : lists) {
            auto list = romListCreate();
            for (std::size_t i = 0; i < sizes.size(); ++i) {
                const std::string path = p.dir.file("rom" + std::to_string(i) + ".nes");
                addRom(*list, path, makeInesRom(std::max<std::size_t>(sizes[i], 16), 0, 0x44), "R");
                // A size of 0 stands for a ROM that went away after it was listed.
                if (sizes[i] == 0) ::unlink(path.c_str());
            }
            SCOPED_TRACE(std::string(variant) + " with " + testing::PrintToString(sizes));
            const std::int64_t predicted = exactImageSize(p.dir.path(), list.get(), variant);
            ::unlink(p.out().c_str());
            // A broken extra-file value stops the build, and nothing is written.
            if (std::string_view(variant) == "short") {
                EXPECT_EQ(write(p, list.get(), variant).result, 1);
                EXPECT_FALSE(fileExists(p.out()));
                continue;
            }
            write(p, list.get(), variant);
            EXPECT_EQ(predicted, sizeOf(p.out()));
        }
    }
}

TEST(ImageWriter, ExactSizeOfAFullCartridge)
{
    // A shell of 1001 bytes and two PocketNES records that fill 32 MiB to the
    // byte. Only the sizes matter, so the ROM files are sparse.
    ProgramDir p("[pn]\ntype=PNES\n");
    auto list = romListCreate();
    const std::int64_t first = 16 * 1024 * 1024;
    const std::int64_t second = GBA_CARTRIDGE_MAX - 1001 - 2 * 48 - 44 - first;
    for (const auto& [name, size] : {std::pair{"a.nes", first}, std::pair{"b.nes", second}}) {
        writeBytes(p.dir.file(name), makeInesRom(16));
        ASSERT_EQ(::truncate(p.dir.file(name).c_str(), size), 0);
        romListAddSized(list.get(), p.dir.file(name), size);
    }
    EXPECT_EQ(exactImageSize(p.dir.path(), list.get(), "pn"), GBA_CARTRIDGE_MAX);
    ASSERT_EQ(::truncate(p.dir.file("b.nes").c_str(), second + 1), 0);
    EXPECT_EQ(exactImageSize(p.dir.path(), list.get(), "pn"), GBA_CARTRIDGE_MAX + 1);
    // The Korvalinde layout pads that ROM to a multiple of 4 and takes 44-byte headers.
    EXPECT_EQ(exactImageSize(p.dir.path(), list.get(), "kvl-v02"),
              1001 + 44 + first + 44 + ((second + 1 + 3) / 4) * 4 + 44);
}

namespace {

// Keeps every progress call and asks to stop once the bytes written reach
// stopAt; onProgress (when set) runs at every call first.
struct ProgressLog : CollectedReport {
    std::vector<std::pair<std::int64_t, std::int64_t>> calls;
    std::int64_t stopAt = -1;
    std::function<void(std::int64_t)> onProgress;

    bool progress(std::int64_t writtenBytes, std::int64_t totalBytes) override
    {
        CollectedReport::progress(writtenBytes, totalBytes);
        calls.emplace_back(writtenBytes, totalBytes);
        if (onProgress) onProgress(writtenBytes);
        return stopAt < 0 || writtenBytes < stopAt;
    }
};

}  // namespace

TEST(ImageWriter, ProgressCountsEveryByteAndAStopLeavesThePreviousImage)
{
    ProgramDir p("[kvl-v02]\nfile0=font.bin,Font,bin\n");
    auto list = romListCreate();
    addRom(*list, p.dir.file("big.nes"), makeInesRom(600 * 1024 + 3, 0, 0, 5), "Big");
    addRom(*list, p.dir.file("small.nes"), makeInesRom(100, 0, 0, 6), "Small");
    const std::int64_t total = exactImageSize(p.dir.path(), list.get());

    ProgressLog log;
    ASSERT_EQ(writeImage(p.dir.path(), p.out(), list.get(), DEFAULT_VARIANT, nullptr, log), ImageWrite::Written);
    ASSERT_GE(log.calls.size(), 5u);  // the start, the shell, each record, parts of the big one, the end
    EXPECT_EQ(log.calls.front(), std::make_pair(std::int64_t{0}, total));
    EXPECT_EQ(log.calls.back(), std::make_pair(total, total));
    for (std::size_t i = 1; i < log.calls.size(); ++i) {
        EXPECT_GE(log.calls[i].first, log.calls[i - 1].first);
        EXPECT_EQ(log.calls[i].second, total);
    }
    EXPECT_EQ(sizeOf(p.out()), total);
    const Bytes previous = readBytes(p.out());

    // A stop asked for at the start, in the shell, in the middle of the big
    // ROM and at the very end: no problem is reported, the previous image
    // stays byte for byte, and no partial file is left.
    romEntrySetTitle(list->head, "Changed", 0, 0);
    for (const std::int64_t stopAt : {std::int64_t{0}, std::int64_t{1}, total / 2, total}) {
        SCOPED_TRACE(stopAt);
        ProgressLog stopping;
        stopping.stopAt = stopAt;
        EXPECT_EQ(writeImage(p.dir.path(), p.out(), list.get(), DEFAULT_VARIANT, nullptr, stopping), ImageWrite::Cancelled);
        EXPECT_TRUE(stopping.problems.empty());
        EXPECT_GE(stopping.calls.back().first, stopAt);
        EXPECT_EQ(readBytes(p.out()), previous);
        EXPECT_EQ(namesIn(p.dir.path()), (Names{"big.nes", "font.bin", "kvl.gba", "out.gba", "romweld.cfg", "small.nes"}));
    }
    // Without a previous image, a stop leaves no image at all.
    ::unlink(p.out().c_str());
    ProgressLog stopping;
    stopping.stopAt = total / 2;
    EXPECT_EQ(writeImage(p.dir.path(), p.out(), list.get(), DEFAULT_VARIANT, nullptr, stopping), ImageWrite::Cancelled);
    EXPECT_FALSE(fileExists(p.out()));
}

TEST(ImageWriter, ARomThatChangesWhileItIsCopiedStopsTheImage)
{
    // The header of a record announces the size the ROM had when it was
    // opened; data that end early or go on would break the chain of records.
    ProgramDir p("[kvl-v02]\n");
    const std::string rom = p.dir.file("big.nes");
    const Bytes bytes = makeInesRom(600 * 1024, 0, 0, 7);
    auto list = romListCreate();
    addRom(*list, rom, bytes, "Big");
    ASSERT_EQ(write(p, list.get()).result, 0);
    const Bytes previous = readBytes(p.out());

    const std::int64_t dataStart = 1001 + 44;
    const struct { const char* what; std::function<void()> change; } cases[] = {
        {"shrinks", [&] { ASSERT_EQ(::truncate(rom.c_str(), 300 * 1024), 0); }},
        {"grows", [&] {
             std::FILE* f = std::fopen(rom.c_str(), "ab");
             ASSERT_NE(f, nullptr);
             std::fputs("more", f);
             std::fclose(f);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(rom, bytes);
        romEntrySetTitle(list->head, c.what, 0, 0);
        ProgressLog log;
        bool changed = false;
        // Once the first part of the ROM's data is in the image.
        log.onProgress = [&](std::int64_t written) {
            if (!changed && written > dataStart) {
                c.change();
                changed = true;
            }
        };
        EXPECT_EQ(writeImage(p.dir.path(), p.out(), list.get(), DEFAULT_VARIANT, nullptr, log), ImageWrite::Failed);
        EXPECT_TRUE(changed);
        EXPECT_EQ(log.problemText(), rom + ": the file changed while it was read");
        EXPECT_EQ(readBytes(p.out()), previous);
    }
}
