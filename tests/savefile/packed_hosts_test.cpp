// SPDX-License-Identifier: GPL-3.0-or-later
// Packed saves as the hosts leave them: mGBA's 32 KiB memory in a 64 KiB
// file whose upper half is stale, a 64 KiB cart's memory, PocketNES's blank
// 92-byte battery saves beside a second one of the same game, and records
// moved between files. Each check asks what PocketNES would restore.
#include "packed_image.h"
#include "packed_transfer.h"

#include "packed_test_support.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t GAME = 0x0BADCAFE;
constexpr std::uint32_t OTHER = 0x0000AAAA;

Bytes played() { return patternBytes(8192, 21); }
// The save stored before the session: it packs small.
Bytes stored() { return Bytes(8192, 0x11); }

// A 64 KiB file: the 32 KiB memory first, then upper (32768 bytes).
Bytes fileOf(const PackedSaveImage& small, const Bytes& upper)
{
    Bytes file(small.begin(), small.begin() + 32768);
    file.insert(file.end(), upper.begin(), upper.end());
    return file;
}

// The chain PocketNES leaves: the configuration naming owner, GAME's save.
std::unique_ptr<PackedSaveImage> memoryWith(std::size_t memory, std::uint32_t owner, const Bytes& live)
{
    auto image = blankPacked(memory);
    putEnd(*image, putCompressedRecord(*image, putConfig(*image, 4, owner, 3), stored(), "U", RECORD_SV, GAME));
    if (!live.empty()) setLiveArea(*image, live);
    return image;
}

std::unique_ptr<PackedSaveImage> read(const std::string& path, const Bytes& file, SaveResult& code,
                                      PackedMemory memory = PackedMemory::FromFile)
{
    writeBytes(path, file);
    auto image = blankPacked();
    code = readPackedImage(path, *image, memory);
    return image;
}

}  // namespace

TEST(PackedHosts, TellsWhichMemoryA64KiBFileHolds)
{
    TempDir dir;
    const Bytes zeros(32768, 0);
    auto small = memoryWith(32768, GAME, played());
    Bytes staleMirror = fileOf(*memoryWith(32768, 0, {}), zeros);
    staleMirror.resize(32768);  // an old mirror: the memory before the session
    auto large = memoryWith(65536, GAME, played());
    auto bigChain = memoryWith(65536, 0, {});
    putEnd(*bigChain, putRecord(*bigChain, 52 + recordSizeFor(stored()), 0x6000, RECORD_ST, "state"));
    Bytes untold = fileOf(*small, zeros);
    const Bytes other = patternBytes(100, 5);
    std::copy(other.begin(), other.end(), untold.end() - 8192);

    enum Reading { Small, Large, Either, Untold };
    const struct {
        const char* name;
        Bytes file;
        Reading reading;
        bool livePlayed;  // GAME's session waits in the live area
    } cases[] = {
        {"mGBA over the tool's blank upper half", fileOf(*small, zeros), Small, true},
        {"a stale mirror above", fileOf(*small, staleMirror), Small, true},
        {"a 64 KiB cart's session", imageBytes(*large), Large, true},
        {"a chain past 0x6000", imageBytes(*bigChain), Large, false},
        {"no live save, records below 0x6000", fileOf(*memoryWith(32768, 0, {}), zeros), Either, false},
        {"both live areas hold data", untold, Untold, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SaveResult code;
        auto image = read(dir.file("cart.sav"), c.file, code);
        ASSERT_EQ(code, c.reading == Untold ? SaveCode::MemoryUnknown : SaveCode::Done);
        if (c.reading == Untold) continue;
        EXPECT_EQ(image->size(), c.reading == Small ? 32768u : 65536u);
        EXPECT_EQ(image->mirrored, c.reading == Small);
        EXPECT_EQ(image->eitherSize, c.reading == Either);
        EXPECT_EQ(image->chainLimit(), c.reading == Large ? 0xE000u : 0x6000u);
        EXPECT_EQ(pocketNesRestores(*image, GAME), c.livePlayed ? played() : stored());
        // Written back the same way; a 32 KiB memory twice, nothing stale.
        ASSERT_EQ(writePackedImage(dir.file("back.sav"), *image), SaveCode::Done);
        const Bytes back = readBytes(dir.file("back.sav"));
        ASSERT_EQ(back.size(), 65536u);
        EXPECT_EQ(std::equal(back.begin(), back.begin() + 32768, back.begin() + 32768), c.reading == Small);
    }

    // The user says which: each reading gives its own live area's save.
    for (const auto& [memory, save] : {std::pair{PackedMemory::Small, played()},
                                       std::pair{PackedMemory::Large, Bytes(untold.end() - 8192, untold.end())}}) {
        SaveResult code;
        auto image = read(dir.file("cart.sav"), untold, code, memory);
        ASSERT_EQ(code, SaveCode::Done);
        EXPECT_EQ(pocketNesRestores(*image, GAME), save);
    }
    // A chain past 0x6000 contradicts an old mirror's magic at 0x8000.
    Bytes contradiction = imageBytes(*bigChain);
    putLe32(contradiction.data() + 0x8000, 0x57A731D7);
    SaveResult code;
    read(dir.file("cart.sav"), contradiction, code);
    EXPECT_EQ(code, SaveCode::MemoryUnknown);

    // What the file tells wins over what the caller says.
    EXPECT_EQ(read(dir.file("cart.sav"), fileOf(*small, zeros), code, PackedMemory::Large)->size(), 32768u);
    // A 64 KiB memory is never written with a magic at 0x8000 outside its
    // records, which would read back as an old mirror.
    putLe32(large->data() + 0x8000, 0x57A731D7);
    ASSERT_EQ(writePackedImage(dir.file("back.sav"), *large), SaveCode::Done);
    auto back = read(dir.file("back2.sav"), readBytes(dir.file("back.sav")), code);
    ASSERT_EQ(code, SaveCode::Done);
    EXPECT_EQ(back->size(), 65536u);
}

TEST(PackedHosts, OneBatterySavePerGame)
{
    TempDir dir;
    // PocketNES's blank battery saves for two games, then a second save of
    // GAME that an older tool appended: PocketNES restores that last one.
    const Bytes blank(4096, 0), u = saveData(8192, 3), newer = saveData(3000, 4);
    ASSERT_EQ(recordSizeFor(blank), 92u);  // as large as PocketNES's blank records
    auto image = blankPacked(32768);
    std::size_t at = putConfig(*image, 4, 0, 3);
    at = putCompressedRecord(*image, at, blank, "Zelda", RECORD_SV, GAME);
    at = putCompressedRecord(*image, at, blank, "Other", RECORD_SV, OTHER);
    putEnd(*image, putCompressedRecord(*image, at, u, "U", RECORD_SV, GAME));
    writeBytes(dir.file("newer.sav"), newer);

    const auto lines = packedRecords(*image);
    EXPECT_EQ(lines[1].hiddenBy, std::optional<std::size_t>(3));
    EXPECT_FALSE(lines[2].hiddenBy);
    EXPECT_FALSE(lines[3].hiddenBy);
    EXPECT_EQ(packedLiveRecord(*image, RECORD_SV, GAME), std::optional<std::size_t>(3));

    // Loading into the hidden record, or giving OTHER's record to GAME,
    // would leave GAME two: refused, nothing changed.
    const Bytes before = imageBytes(*image);
    EXPECT_EQ(storePackedSave(dir.file("newer.sav"), *image, 1, GAME), SaveCode::SecondSave);
    EXPECT_EQ(storePackedSave(dir.file("newer.sav"), *image, 2, GAME), SaveCode::SecondSave);
    EXPECT_EQ(imageBytes(*image), before);

    // Append replaces the save PocketNES restores.
    auto appended = packedFrom(*image);
    ASSERT_EQ(storePackedSave(dir.file("newer.sav"), *appended, PACKED_APPEND, GAME), SaveCode::Done);
    EXPECT_EQ(packedRecords(*appended).size(), 4u);
    EXPECT_EQ(pocketNesRestores(*appended, GAME), newer);
    EXPECT_EQ(pocketNesRestores(*appended, OTHER), blank);

    // Removing the older ones frees their bytes; what PocketNES restores stays.
    std::size_t removed = 0, freed = 0;
    ASSERT_EQ(prunePackedRecords(*appended, removed, freed), SaveCode::Done);
    EXPECT_EQ(removed, 1u);
    EXPECT_EQ(freed, 92u);
    EXPECT_EQ(packedRecords(*appended).size(), 3u);
    EXPECT_EQ(pocketNesRestores(*appended, GAME), newer);
    EXPECT_EQ(pocketNesRestores(*appended, OTHER), blank);
}

TEST(PackedHosts, RecordsMoveBetweenSaves)
{
    const Bytes state = saveData(5000, 8);
    auto from = memoryWith(65536, 0, {});
    const std::size_t stateAt = 52 + recordSizeFor(stored());
    putEnd(*from, putCompressedRecord(*from, stateAt, state, "quick", RECORD_ST, GAME));
    auto to = blankPacked(32768);
    std::size_t end = putCompressedRecord(*to, putConfig(*to, 4, 0, 3), saveData(7000, 9), "old", RECORD_SV, GAME);
    putEnd(*to, putCompressedRecord(*to, end, Bytes(8192, 0), "x", RECORD_SV, OTHER));

    // A battery save replaces the game's save there; a state is added, byte
    // for byte, for quickload to find by its checksum.
    std::size_t at = 0;
    ASSERT_EQ(copyPackedRecord(*from, 1, *to, &at), SaveCode::Done);
    EXPECT_EQ(at, 1u);
    EXPECT_EQ(pocketNesRestores(*to, GAME), stored());
    ASSERT_EQ(copyPackedRecord(*from, 2, *to, &at), SaveCode::Done);
    const auto lines = packedRecords(*to);
    ASSERT_EQ(at, 3u);
    EXPECT_EQ(Bytes(to->begin() + lines[3].offset, to->begin() + lines[3].offset + lines[3].size),
              Bytes(from->begin() + stateAt, from->begin() + stateAt + lines[3].size));
    EXPECT_EQ(copyPackedRecord(*from, 0, *to), SaveCode::ConfigRecordStays);  // the configuration stays home
    EXPECT_EQ(copyPackedRecord(*from, 9, *to), SaveCode::NoSuchLine);

    // No room: the bytes missing and free, and the target unchanged.
    auto full = blankPacked(32768);
    putEnd(*full, putRecord(*full, putConfig(*full, 4, 0, 3), 0x6000 - 52 - 8 - 40, RECORD_ST));
    const Bytes before = imageBytes(*full);
    const SaveResult room = copyPackedRecord(*from, 2, *full);
    EXPECT_EQ(room, SaveCode::NoRoom);
    EXPECT_EQ(room.available, 40);
    EXPECT_EQ(room.bytes, static_cast<std::int64_t>(recordSizeFor(state)));
    EXPECT_EQ(imageBytes(*full), before);
}

TEST(PackedHosts, ConvertsBetweenMemorySizes)
{
    // A 32 KiB file with a live save becomes a 64 KiB memory: the records and
    // configuration stay, the live save moves up and is packed at once.
    auto small = memoryWith(32768, GAME, played());
    const Bytes config(small->begin() + 4, small->begin() + 52);
    ASSERT_EQ(convertPackedImage(*small, 65536), SaveCode::Done);
    EXPECT_EQ(small->size(), 65536u);
    EXPECT_FALSE(small->mirrored);
    EXPECT_EQ(pocketNesRestores(*small, GAME), played());
    EXPECT_EQ(Bytes(small->begin() + 4 + 12, small->begin() + 52), Bytes(config.begin() + 12, config.end()));

    // Back to 32 KiB: a 64 KiB file holds it twice.
    ASSERT_EQ(convertPackedImage(*small, 32768), SaveCode::Done);
    EXPECT_TRUE(small->mirrored);
    EXPECT_EQ(pocketNesRestores(*small, GAME), played());

    // Records that need more than 32 KiB's room are refused with the bytes
    // missing, the image unchanged.
    auto large = memoryWith(65536, 0, {});
    putEnd(*large, putRecord(*large, 52, 0x6000 - 52 - 8 + 20, RECORD_ST));
    const Bytes before = imageBytes(*large);
    const SaveResult missing = convertPackedImage(*large, 32768);
    EXPECT_EQ(missing, SaveCode::DoesNotFit);
    EXPECT_EQ(missing.bytes, 20);
    EXPECT_EQ(imageBytes(*large), before);
}
