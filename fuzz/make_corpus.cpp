// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpus of every fuzz target: valid inputs and slightly
// damaged ones, all made here, into OUTDIR/<target>/.
//   romweld-fuzz-corpus OUTDIR
#include "fuzz_formats.h"
#include "fuzz_support.h"

#include "byte_order.h"
#include "packed_chain.h"
#include "packed_codec.h"
#include "packed_image.h"
#include "save_image.h"
#include "sjis.h"
#include "test_pictures.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <tuple>

namespace {

std::string outDir;

// A seed's bytes, field by field as FuzzInput reads them.
class Seed {
public:
    Seed& byte(unsigned b)
    {
        bytes_.push_back(static_cast<char>(b & 0xFF));
        return *this;
    }
    Seed& word(unsigned w) { return byte(w).byte(w >> 8); }
    Seed& dword(std::uint32_t d) { return word(d & 0xFFFF).word(d >> 16); }
    Seed& text(std::string_view t)
    {
        byte(static_cast<unsigned>(t.size()));
        return raw(t);
    }
    Seed& raw(std::string_view t)
    {
        bytes_.append(t);
        return *this;
    }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

void write(const std::string& target, const std::string& name, const Seed& seed)
{
    const std::string dir = outDir + target + "/";
    std::filesystem::create_directories(dir);
    putFile(dir + name, seed.bytes());
}

// ---- packed save images ----

using namespace std::string_literals;

std::vector<unsigned char> savRecord(const std::string& save, std::uint32_t checksum, std::string_view title,
                                     std::uint16_t type = RECORD_SV)
{
    std::vector<unsigned char> packed;
    compressSave(reinterpret_cast<const unsigned char*>(save.data()), save.size(), packed);
    RecordHeader header;
    header.type = type;
    header.lengthField = static_cast<std::uint32_t>(save.size());
    header.checksum = checksum;
    header.title = titleField(title);
    return makeRecord(header, packed);
}

std::vector<unsigned char> configRecord(std::uint32_t owner)
{
    std::vector<unsigned char> r = newConfigRecord();
    putLe32(r.data() + CONFIG_OWNER, owner);
    return r;
}

// An image holding the records in a row from offset 4, then the chain end.
std::unique_ptr<PackedSaveImage> chainOf(std::size_t memory, const std::vector<std::vector<unsigned char>>& records)
{
    auto image = std::make_unique<PackedSaveImage>();
    blankPackedImage(*image);
    image->memorySize = memory;
    std::size_t at = PACKED_CHAIN_START;
    for (const auto& r : records) {
        std::copy(r.begin(), r.end(), image->data() + at);
        at += r.size();
    }
    putChainEnd(*image, at);
    return image;
}

// The image in the packed target's layout: the bytes below the live area up
// to the last non-zero one, and the live area when it holds anything.
Seed packedSeed(packed_fuzz::Layout layout, const PackedSaveImage& image, const Seed& ops, int opCount)
{
    const std::size_t liveStart = image.liveAreaStart();
    std::size_t head = liveStart;
    while (head > 0 && image[head - 1] == 0) --head;
    const bool live = std::any_of(image.begin() + liveStart, image.end(), [](unsigned char b) { return b != 0; });
    Seed seed;
    seed.byte(layout).word(live ? PACKED_LIVE_AREA_SIZE : 0).byte(static_cast<unsigned>(opCount)).raw(ops.bytes());
    seed.raw(std::string(image.begin(), image.begin() + head));
    if (live) seed.raw(std::string(image.begin() + liveStart, image.end()));
    return seed;
}

Seed storeOp(int index, unsigned length, unsigned mode, std::uint32_t checksum, std::string_view name)
{
    Seed op;
    op.byte(packed_fuzz::STORE).word(static_cast<unsigned>(index)).word(length).byte(mode).byte(7).dword(checksum).text(name);
    return op;
}

Seed indexOp(unsigned kind, int index)
{
    Seed op;
    op.byte(kind).word(static_cast<unsigned>(index));
    return op;
}

void packedSeeds()
{
    using namespace packed_fuzz;
    const std::string target = "packed_image";
    const std::uint32_t game = 0x1A2B3C4D;
    const std::string save = saveContents(8192, 1, 3);
    const std::string live = saveContents(8192, 0, 5);
    const std::string kanaTitle = "\x83\x5A\x81\x5B\x83\x75";  // セーブ

    Seed everyOp;
    everyOp.raw(storeOp(-1, 2000, 1, game, "Zelda.sav").bytes())
        .raw(indexOp(LIST, 0).bytes())
        .raw(indexOp(EXTRACT, 1).bytes())
        .raw(indexOp(RETITLE, 1).text(kanaTitle + "Title that is far too long for its field").bytes())
        .raw(indexOp(SIZE, 1).bytes())
        .raw(indexOp(DELETE, 0).bytes())
        .raw(indexOp(DELETE, 1).bytes())
        .raw(storeOp(0, 8192, 2, 0, "noise").bytes());

    for (const auto& [name, layout, memory] :
         {std::tuple{"new-64k", FULL, PACKED_IMAGE_SIZE}, std::tuple{"new-32k", SMALL, PACKED_SMALL_IMAGE_SIZE},
          std::tuple{"new-32k-mirrored", MIRRORED, PACKED_SMALL_IMAGE_SIZE}}) {
        auto image = std::make_unique<PackedSaveImage>();
        newPackedImage(*image, memory);
        write(target, name, packedSeed(layout, *image, everyOp, 8));
    }

    // PocketNES's own layout: configuration naming the game in the live area,
    // its battery save, a cheat list and a state, and the live area itself.
    {
        auto image = chainOf(PACKED_IMAGE_SIZE, {configRecord(game), savRecord(save, game, "Zelda"),
                                                 savRecord(std::string(300, 'c'), game, "cheats", RECORD_CHEAT),
                                                 savRecord(saveContents(4000, 2, 1), 0x11111111, "state", RECORD_ST)});
        std::copy(live.begin(), live.end(), image->data() + image->liveAreaStart());
        write(target, "pocketnes-live-owner", packedSeed(FULL, *image, everyOp, 8));
        image->memorySize = PACKED_SMALL_IMAGE_SIZE;
        std::copy(live.begin(), live.end(), image->data() + image->liveAreaStart());
        write(target, "pocketnes-live-owner-32k", packedSeed(SMALL, *image, everyOp, 8));
        write(target, "pocketnes-live-owner-mirrored", packedSeed(MIRRORED, *image, Seed(), 0));
    }
    // The live area's game has no record yet; the second magic.
    {
        auto image = chainOf(PACKED_IMAGE_SIZE, {configRecord(0xCAFE0001), savRecord(save, game, "other")});
        putLe32(image->data(), PACKED_IMAGE_MAGIC_2);
        std::copy(live.begin(), live.end(), image->data() + image->liveAreaStart());
        write(target, "live-only-magic-2", packedSeed(FULL, *image, everyOp, 8));
    }
    // A chain so full that the live area can't be packed, and one that
    // reaches into the live area.
    {
        std::vector<std::vector<unsigned char>> records = {configRecord(game)};
        for (int i = 0; i < 6; ++i) records.push_back(savRecord(saveContents(8192, 2, static_cast<std::uint8_t>(i)), 100u + i, "full"));
        auto image = chainOf(PACKED_IMAGE_SIZE, records);
        const std::string noise = saveContents(PACKED_LIVE_AREA_SIZE, 2, 11);
        std::copy(noise.begin(), noise.end(), image->data() + image->liveAreaStart());
        write(target, "full-live-kept", packedSeed(FULL, *image, everyOp, 8));

        auto small = chainOf(PACKED_SMALL_IMAGE_SIZE, {configRecord(0), savRecord(saveContents(8192, 2, 9), 5, "big"),
                                                     savRecord(saveContents(8192, 2, 8), 6, "big"),
                                                     savRecord(saveContents(8192, 2, 7), 7, "into live")});
        write(target, "chain-into-live-area", packedSeed(SMALL, *small, everyOp, 8));
    }
    // Damaged chains: a record smaller than its header, one past the end, an
    // unknown type, data that do not unpack, no end at all.
    {
        auto image = chainOf(PACKED_IMAGE_SIZE, {configRecord(0), savRecord(save, 1, "ok")});
        auto small = std::make_unique<PackedSaveImage>(*image);
        putLe16(small->data() + PACKED_CHAIN_START, 20);
        write(target, "damaged-short-record", packedSeed(FULL, *small, Seed(), 0));
        auto past = std::make_unique<PackedSaveImage>(*image);
        putLe16(past->data() + PACKED_CHAIN_START + 48, 0xFFF0);
        write(target, "damaged-past-end", packedSeed(FULL, *past, Seed(), 0));
        auto type = std::make_unique<PackedSaveImage>(*image);
        putLe16(type->data() + PACKED_CHAIN_START + 2, 9);
        write(target, "damaged-type", packedSeed(FULL, *type, Seed(), 0));
        auto data = std::make_unique<PackedSaveImage>(*image);
        for (std::size_t i = 0; i < 64; ++i) (*data)[PACKED_CHAIN_START + 48 + 48 + i] = static_cast<unsigned char>(0xF1 + i);
        write(target, "damaged-lzo-data", packedSeed(FULL, *data, everyOp, 8));
    }
    // 64 KiB files whose halves differ: mGBA's 32 KiB memory over the upper
    // half the tool left, a 64 KiB cart's memory, and one that can't tell.
    {
        auto image = chainOf(PACKED_IMAGE_SIZE, {configRecord(game), savRecord(save, game, "Zelda")});
        Seed ops;
        ops.raw(indexOp(COPY, 1).bytes()).raw(indexOp(PRUNE, 0).bytes()).raw(indexOp(CONVERT, 1).bytes());
        const auto raw = [&](const char* name, std::size_t liveAt, bool both) {
            std::string file(image->begin(), image->begin() + PACKED_IMAGE_SIZE);
            std::copy(live.begin(), live.end(), file.begin() + static_cast<long>(liveAt));
            if (both) std::copy(save.begin(), save.end(), file.begin() + 0xE000);
            write(target, name, Seed().byte(RAW | ANSWER_LARGE).word(0).byte(3).raw(ops.bytes()).raw(file));
        };
        raw("mgba-stale-upper-half", 0x6000, false);
        raw("cart-64k-live", 0xE000, false);
        raw("memory-untold", 0x6000, true);
    }
    write(target, "raw-wrong-size", Seed().byte(RAW).word(0).byte(0).raw("\xD7\x31\xA7\x57" + std::string(96, '\0')));
    write(target, "raw-empty", Seed().byte(RAW).word(0).byte(0));
}

// ---- slot save images ----

void saveSeeds()
{
    using namespace save_fuzz;
    const std::string target = "save_image";
    SaveImage image{};
    blankSaveImage(image);
    auto asBytes = [](const SaveImage& i) { return std::string(i.begin(), i.end()); };
    auto trimmed = [](std::string bytes) {
        while (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
        return bytes;
    };

    Seed ops;
    ops.byte(LOAD).byte(3).word(8192).byte(1).byte(4).text("Quest.sav");
    ops.byte(LOAD).byte(4).word(100).byte(0).byte(2).text("\xEF\xBD\xB6\xEF\xBE\x9E\xEF\xBD\xB7.sav");  // ｶﾞｷ
    ops.byte(RENAME).byte(3).byte(1).text("\x83\x5A\x81\x5B\x83\x75 \xB6\xDE\xB7\xDE\x8A\xBF");
    ops.byte(RENAME).byte(4).byte(1).text("");
    ops.byte(EXTRACT).byte(3);
    ops.byte(DELETE).byte(4);
    ops.byte(LOAD).byte(8).word(10).byte(0).byte(0).text("slot7.sav");
    ops.byte(EXTRACT).byte(0);
    write(target, "blank-every-op", Seed().byte(FIX_CHECKSUM).byte(8).raw(ops.bytes()).raw(trimmed(asBytes(image))));

    // Two used slots with EUC-JP titles and data.
    for (int s : {1, 5}) {
        putLe32(image.data() + slotHeaderOffset(s), SLOT_USED);
        const std::string euc = sjisToEuc("\x83\x5B\x83\x8B\x83\x5F Save").value_or("");
        std::copy(euc.begin(), euc.end(), image.begin() + static_cast<std::ptrdiff_t>(slotTitleOffset(s)));
        std::copy_n("sav", 3, image.begin() + static_cast<std::ptrdiff_t>(slotExtensionOffset(s)));
        const std::string data = saveContents(SLOT_DATA_SIZE, 1, static_cast<std::uint8_t>(s));
        std::copy(data.begin(), data.end(), image.begin() + static_cast<std::ptrdiff_t>(slotDataOffset(s)));
    }
    putLe32(image.data() + CHECKSUM_OFFSET, saveImageChecksum(image));
    write(target, "two-slots", Seed().byte(0).byte(8).raw(ops.bytes()).raw(trimmed(asBytes(image))));

    SaveImage damaged = image;
    putLe32(damaged.data() + CHECKSUM_OFFSET, 1);
    write(target, "damaged-checksum", Seed().byte(0).byte(0).raw(trimmed(asBytes(damaged))));
    putLe32(damaged.data() + slotHeaderOffset(2), 0x12345678);
    write(target, "damaged-slot-state", Seed().byte(FIX_CHECKSUM).byte(0).raw(trimmed(asBytes(damaged))));
    write(target, "raw-short", Seed().byte(RAW).byte(0).raw(asBytes(image).substr(0, 65535)));
}

// ---- settings files ----

void settingsSeeds()
{
    const std::string target = "settings";
    const std::string romweldIni =
        "[TITLE]\r\nGame (U) [!].nes=\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0\r\n[BIOS] Game.nes=Bios\r\n"
        "[PocketNES]\r\nGame (U) [!].nes=3|5|12|Demo\r\n\r\n[CONFIG]\r\nFixHeader=1\r\nKVLVersion=kvl-v02\r\n"
        "NesPath=/home/user/roms/\r\n";
    const std::string quoted =
        "\xEF\xBB\xBF[TITLE]\n\"Kid\\x3DIcarus.nes\"=Kid\n\"\\x3Bsemi.nes\"=semi\n\" blank.nes \"=blank\n"
        "\"a\\x0Ab.nes\"=two lines\n; a comment\nplain.nes = spaced value \n";
    const std::string endings = "[s]\r\r\nkey=value\r\r\n[TITLE]\r\nx.nes=1\r\n[t]\r";
    const std::string cp932 = "[TITLE]\r\n\x83\x5B\x83\x8B\x83\x5F.nes=\x83\x5B\x83\x8B\x83\x5F\r\n";
    const std::string odd = "orphan=before any section\n[TITLE]\nx=1\n[title]\nx=shadowed\n[]\n=empty key\n[ TITLE ]\n"
                            "line without equals\n[a=b]\n";
    struct Write {
        unsigned section;
        std::string key;
        std::string value;
    };
    const Write writes[] = {
        {0, "Kid=Icarus.nes", "Kid Icarus"},
        {1, " spaced.nes ", "1|2|3|t"},
        {0, ";semi.nes", "semi"},
        {0, "a.nes\n[CONFIG]\nFixHeader", "0"},
        {2, "FixHeader", "1"},
        {0, "\"quoted\".nes", "q"},
        {0, "\x83\x5B\x83\x8B\x83\x5F.nes", "\xE3\x82\xBC\xE3\x83\xAB"},
        {4, "num", " 12 \r\n"},
    };
    unsigned n = 0;
    for (const std::string& file : {romweldIni, quoted, endings, cp932, odd, std::string()}) {
        for (const Write& w : writes) {
            const Seed seed = Seed().byte(w.section).text(w.key).text(w.value).byte(n * 7 % 40).raw(file);
            write(target, "ini-" + std::to_string(n), seed);
            ++n;
        }
    }
}

// ---- romweld.cfg ----

void shellSeeds()
{
    const std::string target = "shell_config";
    const std::string demo = "[list]\r\nnum=3\r\nlist0=kvl-v02\r\nlist1=pocketnes\r\nlist2=missing\r\n"
                             "[kvl-v02]\r\nshell=kvl.gba\r\nfile0=extra.bin,font,bin\r\nfile1=sub/data.bin,data,v2/\r\n"
                             "[pocketnes]\r\nshell=pocketnes.gba\r\ntype=pnes\r\n[missing]\r\nshell=none.gba\r\n";
    const std::string odd = "[list]\nnum=5\nlist0=kvl-v02\nlist1=\nlist2=dir\nlist3=empty\nlist4=commas\n"
                            "[dir]\nshell=dir.gba\n[empty]\nshell=empty.bin\n[commas]\nfile0=extra.bin,font\n"
                            "[kvl-v02]\nfile0=font.bin,a,b,c,d\nfile2=skipped.bin,x,y\n";
    const std::string cp932 = "[list]\nnum=1\nlist0=\x83\x5B\x83\x8B\x83\x5F\n[\x83\x5B\x83\x8B\x83\x5F]\n"
                              "shell=kvl.gba\ntype=PNES\n";
    const std::string many = "[list]\nnum=65536\nlist65535=kvl-v02\nlist0=kvl-v02\n";
    const std::string tooMany = "[list]\nnum=65537\nlist0=kvl-v02\n";
    const std::string negative = "[list]\nnum=-3\nlist0=kvl-v02\n";
    const std::string longName = "[list]\nnum=1\nlist0=" + std::string(120, 'v') + "\n[" + std::string(99, 'v') +
                                 "]\nshell=kvl.gba\n";
    int n = 0;
    for (const std::string& cfg : {demo, odd, cp932, many, tooMany, negative, longName, std::string()}) {
        write(target, "cfg-" + std::to_string(n), Seed().text(n % 2 == 0 ? "pocket" : "KVL").raw(cfg));
        ++n;
    }
}

// ---- list files ----

void listSeeds()
{
    const std::string target = "list_file";
    const std::string header = "### ROMWELD NES List ###";
    const std::string files[] = {
        header + "\r\n/roms/Zelda.nes\r\n/roms/\xE3\x82\xBC\xE3\x83\xAB\xE3\x83\x80.nes\r\nrelative/Game (U) [!].nes\r\n",
        header + "\n/roms/a.nes\n/roms/b.nes",
        header + "\r\nC:\\roms\\\x83\x5B\x83\x8B\x83\x5F.nes\r\n",
        header + "\r\n",
        header,
        "### romweld nes list ###\r\n/roms/a.nes\r\n",
        "",
        header + "\r\n" + std::string(5000, 'p') + "\r\n",
        header + "\r\n" + std::string(1400, '\x83') + "\r\n",
        header + "\r\nwith\rcr.nes\r\n\r\n/roms/A.NES\r\n/roms/a.nes\r\n",
    };
    int n = 0;
    for (const std::string& f : files) write(target, "list-" + std::to_string(n++), Seed().raw(f));
}

void windowListSeeds()
{
    const std::string target = "window_list";
    const std::string header = "### ROMWELD Window List ###";
    const std::string files[] = {
        header + "\r\nshows=0\r\nimage=/out/All (USA).gba\r\n/roms/Zelda.nes\r\n/roms/Sets.zip::USA/Metroid.nes\r\n",
        header + "\nshows=2\nimage=\n/roms/a.nes",
        header + "\r\nshows=1\r\nimage=\x83\x5B\x83\x8B\x83\x5F.gba\r\nC:\\roms\\a.nes\r\n",
        header + "\r\nshows=-7\r\nimage=with\rcr.gba\r\n\r\n/roms/A.NES\r\n/roms/a.nes\r\n",
        header + "\r\nshows=1\r\nimage=" + std::string(4090, 'n') + "\r\n",
        header + "\r\nshows=1\r\nimage=" + std::string(4091, 'n') + "\r\n",
        header + "\r\nimage=\r\nshows=1\r\n",
        "### ROMWELD NES List ###\r\n/roms/a.nes\r\n",
        "",
    };
    int n = 0;
    for (const std::string& f : files) {
        write(target, "kept-" + std::to_string(n), Seed().byte(static_cast<unsigned>(n)).text(n % 3 == 0 ? "cart.gba" : "\xE3\x82\xBC.gba").raw(f));
        ++n;
    }
}

// ---- NES ROMs ----

void nesSeeds()
{
    const std::string target = "nes_rom";
    auto ines = [](unsigned char b6, unsigned char b7, std::string_view tail) {
        std::string h = "NES\x1A\x02\x01"s;
        h.push_back(static_cast<char>(b6));
        h.push_back(static_cast<char>(b7));
        h.append(8, '\0');
        return h + std::string(tail);
    };
    const std::string data = saveContents(200, 1, 1);
    struct Rom {
        const char* name;
        unsigned choice;  // extension in bits 0-2, padded size in bits 3-5
        std::string bytes;
    };
    const Rom roms[] = {
        {"mapper1-battery", 0 | 2 << 3, ines(0x12, 0x00, data)},
        {"diskdude", 1 | 3 << 3, "NES\x1A\x08\x00\x40" "DiskDude!"s + data},
        {"trainer", 0 | 5 << 3, ines(0x04, 0x00, data)},
        {"trainer-short", 2 | 4 << 3, ines(0x04, 0x00, data)},
        {"nes2", 0 | 6 << 3, ines(0x01, 0x08, data)},
        {"nes2-mapper-bits", 0, "NES\x1A\x01\x01\xF0\xF8\x0F\x00\x00\x00\x00\x00\x00\x01"s + data},
        {"gba-extension", 4 | 3 << 3, ines(0x00, 0x0F, data)},
        {"not-nes", 0 | 2 << 3, "PK\x03\x04" + data},
        {"magic-only", 0, "NES\x1A"},
        {"short-magic", 0, "NE"},
        {"short-header", 3, "NES\x1A\x01\x01\x00\x0F"s},
        {"empty", 5, ""},
        {"large", 0 | 7 << 3, ines(0x00, 0x00, data)},
    };
    for (const Rom& r : roms) write(target, r.name, Seed().byte(r.choice).raw(r.bytes));
}

// ---- titles ----

void titleSeeds()
{
    const std::string target = "titles";
    const std::string texts[] = {
        "Super Mario Bros.",
        "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD \x83\x5A\x81\x5B\x83\x75",  // こんにちは セーブ
        "\xB6\xDE\xB7\xDE\xCA\xDF\xCB\xDF\xB3\xDE\xDE\xDF",                     // ｶﾞｷﾞﾊﾟﾋﾟｳﾞﾞﾟ
        "\x8A\xBF\x8E\x9A and kanji",                                           // 漢字 (not allowed)
        "ends in a lead \x82",
        "\xA5\xB2\xA5\xE9\xA5\xE0 EUC-JP \x8E\xB6",
        "\xE3\x82\xBC\xE3\x83\xAB\xE3\x83\x80\xE3\x81\xAE\xE4\xBC\x9D\xE8\xAA\xAC",  // ゼルダの伝説
        "\xE2\x85\xB0 roman numeral, \xEF\xBD\x9E tilde, \xC2\xA5 yen",
        "\xFF\xFE broken \xC3 UTF-8 \xED\xA0\x80",
        "\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0"
        "\x82\xA0\x82\xA0" "A" "\x82\xA0\x82\xA0",
        "nul\0inside"s,
        "\xFA\x40\xF0\x40\xEF\xFC\x81\x7F",
    };
    int n = 0;
    for (const std::string& t : texts) {
        write(target, "title-" + std::to_string(n), Seed().byte(static_cast<unsigned>(21 + n)).byte(static_cast<unsigned>(n)).raw(t));
        ++n;
    }
}

// ---- GBA header ----

void gbaSeeds()
{
    const std::string target = "gba_header";
    const std::string shell = saveContents(300, 1, 9);
    write(target, "kvl", Seed().text("ROMWELD").text("KVL").text("ZQ").raw(shell));
    write(target, "empty-texts", Seed().text("").text("").text("").raw(std::string(192, '\0')));
    write(target, "short-image", Seed().text("\xE3\x82\xBC\xE3\x83\xAB\xE3\x83\x80 TOO LONG").text("ABCDE").text("XYZ").raw("tiny"));
    write(target, "empty-image", Seed().text("T\0T"s).text("K").text("Z"));
}

// ---- archives ----

struct ArchiveFileSeed {
    std::string name;
    std::string bytes;
};

// An archive made by libarchive's writer, in memory: format "zip", "7zip"
// or "raw" (a .gz), with the options given.
std::string archiveBytes(const char* format, const char* options, const std::vector<ArchiveFileSeed>& files)
{
    std::string out(1 << 20, '\0');
    std::size_t used = 0;
    archive* a = archive_write_new();
    archive_write_set_format_by_name(a, format);
    if (std::string_view(format) == "raw") archive_write_add_filter_gzip(a);
    if (options != nullptr) archive_write_set_options(a, options);
    archive_write_set_passphrase(a, "secret");
    archive_write_open_memory(a, out.data(), out.size(), &used);
    for (const ArchiveFileSeed& f : files) {
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname_utf8(e, f.name.c_str());
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        if (std::string_view(format) != "raw") archive_entry_set_size(e, static_cast<la_int64_t>(f.bytes.size()));
        archive_write_header(a, e);
        archive_write_data(a, f.bytes.data(), f.bytes.size());
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
    out.resize(used);
    return out;
}

void archiveSeeds()
{
    const std::string target = "archive";
    std::string rom = "NES\x1A\x02\x01\x12\x44"s + std::string(8, '\0') + saveContents(300, 1, 3);
    const std::vector<ArchiveFileSeed> files = {
        {"Legend of Zelda, The (USA).nes", rom}, {"USA/Metroid [!].nes", rom + "x"}, {"readme.txt", "hi\n"}};
    const std::string zip = archiveBytes("zip", nullptr, files);
    const std::string stored = archiveBytes("zip", "zip:compression=store", files);
    write(target, "zip", Seed().byte(0).raw(zip));
    write(target, "stored-zip", Seed().byte(0).raw(stored));
    write(target, "encrypted-zip", Seed().byte(0).raw(archiveBytes("zip", "zip:encryption=zipcrypt", files)));
    write(target, "7z", Seed().byte(1).raw(archiveBytes("7zip", nullptr, files)));
    write(target, "gz", Seed().byte(2).raw(archiveBytes("raw", nullptr, {{"x", rom}})));
    write(target, "cut-zip", Seed().byte(0).raw(zip.substr(0, zip.size() / 2)));
    // The first member claims more than 32 MiB in both of its headers.
    std::string claims = stored;
    for (const auto& [signature, offset] : {std::pair{"PK\x03\x04"s, 22}, {"PK\x01\x02"s, 24}}) {
        const std::size_t at = claims.find(signature);
        if (at != std::string::npos) claims.replace(at + offset, 4, "\xF0\xFF\xFF\x7F"s);
    }
    write(target, "claims-huge", Seed().byte(0).raw(claims));
    write(target, "not-an-archive", Seed().byte(1).raw(rom));
}

// ---- archive member names ----

void archiveNameSeeds()
{
    const std::string target = "archive_name";
    struct Name {
        const char* seed;
        unsigned flags;  // extension in bits 0-2; archive, folder, file below in bits 3-5
        std::string archive;
        std::string member;
    };
    const Name names[] = {
        {"member", 0 | 8, "Sets", "USA/Zelda (USA).nes"},
        {"member-with-marks", 1 | 8, "Sets", "a.zip::b/c::d.nes"},
        {"missing-archive", 0, "Sets", "Zelda.nes"},
        {"real-folder", 0 | 16 | 32, "old", "keep/Zelda.nes"},
        {"real-folder-and-archive", 3 | 8 | 16 | 32, "old", "keep/Zelda.nes"},
        {"control-characters", 2 | 8, "Sets", "\x1B[31mred\tgame.nes"},
        {"hidden", 0 | 8, "Sets", ".nes"},
        {"no-extension", 4 | 8, "Sets", "Zelda.nes"},
        {"archive-name-with-marks", 6 | 8, "x.zip::y", "Zelda.nes"},
    };
    for (const Name& n : names) {
        write(target, n.seed, Seed().byte(n.flags).text(n.archive).text("keep").text("Zelda.nes").raw(n.member));
    }
}

// ---- splash screens ----

void splashSeeds()
{
    const std::string target = "splash";
    // A picture of four colours in four bands, with a transparent corner.
    std::vector<unsigned char> rgba;
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 9; ++x) {
            const unsigned char band = static_cast<unsigned char>(x / 3 * 100);
            rgba.insert(rgba.end(), {band, static_cast<unsigned char>(255 - band), 40,
                                     static_cast<unsigned char>(x + y == 0 ? 0 : 255)});
        }
    }
    const std::string png = pictureBytes(PictureKind::Png, 9, 6, rgba);
    write(target, "png", Seed().raw(png));
    write(target, "bmp", Seed().raw(pictureBytes(PictureKind::Bmp, 9, 6, rgba)));
    write(target, "jpeg", Seed().raw(pictureBytes(PictureKind::Jpeg, 9, 6, rgba)));
    write(target, "gif", Seed().raw(ONE_PIXEL_GIF));
    write(target, "tall-png", Seed().raw(pictureBytes(PictureKind::Png, 1, 40, solidRgba(1, 40, 200, 10, 90))));
    write(target, "cut-png", Seed().raw(png.substr(0, png.size() / 2)));
    // The header claims 5000 x 5000 pixels: refused before it is decoded.
    std::string huge = png;
    huge.replace(16, 8, "\x00\x00\x13\x88\x00\x00\x13\x88"s);
    write(target, "claims-huge", Seed().raw(huge));
    write(target, "not-a-picture", Seed().raw("NES\x1A not a picture"));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: romweld-fuzz-corpus OUTDIR\n");
        return 2;
    }
    outDir = std::string(argv[1]) + "/";
    packedSeeds();
    saveSeeds();
    settingsSeeds();
    shellSeeds();
    listSeeds();
    windowListSeeds();
    nesSeeds();
    archiveSeeds();
    archiveNameSeeds();
    titleSeeds();
    gbaSeeds();
    splashSeeds();
    return 0;
}
