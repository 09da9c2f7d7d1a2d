// SPDX-License-Identifier: GPL-3.0-or-later
// Packed images the way PocketNES writes them: 64 KiB or 32 KiB (or 32 KiB
// saved twice), either magic, a configuration record naming the game whose
// battery memory is in the live area, records with the uncompressed size at
// offset 4, cheat records. Every image here is built by hand.
#include "packed_image.h"

#include "packed_test_support.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t GAME = 0x0BADCAFE;   // the game in the live area
constexpr std::uint32_t OTHER = 0x0000AAAA;  // another game

std::size_t liveStart(std::size_t memory)
{
    return memory - 8192;
}

// Writes bytes to path and reads them as a packed image.
std::unique_ptr<PackedSaveImage> readBack(const std::string& path, const Bytes& bytes, SaveResult& code)
{
    writeBytes(path, bytes);
    auto image = blankPacked();
    code = readPackedImage(path, *image);
    return image;
}

Bytes fileBytesOf(const PackedSaveImage& image, bool twice)
{
    Bytes bytes = imageBytes(image);
    if (twice) bytes.insert(bytes.end(), bytes.begin(), bytes.end());
    return bytes;
}

std::vector<std::uint16_t> typesOf(const PackedSaveImage& image)
{
    std::vector<std::uint16_t> types;
    for (const PackedRecordInfo& r : packedRecords(image)) types.push_back(r.type);
    return types;
}

Bytes recordBytes(const PackedSaveImage& image, const PackedRecordInfo& r)
{
    return Bytes(image.begin() + r.offset, image.begin() + r.offset + r.size);
}

// Where the chain ends: the offset after the last record.
std::size_t chainEnd(const PackedSaveImage& image)
{
    std::size_t end = 4;
    for (const PackedRecordInfo& r : packedRecords(image)) {
        if (!r.liveOnly) end = r.offset + r.size;
    }
    return end;
}

// What PocketNES restores when GAME starts: its last battery save.
Bytes restoredBy(const PackedSaveImage& image, std::uint32_t game)
{
    Bytes save;
    for (const PackedRecordInfo& r : packedRecords(image)) {
        if (r.type == RECORD_SV && !r.liveOnly && r.romChecksum == game) save = unpackRecord(image, r.offset);
    }
    return save;
}

}  // namespace

TEST(PocketNesImage, ReadsBothSizesAndWritesThemBackAsTheyCame)
{
    TempDir dir;
    const Bytes save = saveData(8192, 1);
    const struct {
        const char* name;
        std::size_t memory;
        bool twice;
        std::uint32_t magic;
    } layouts[] = {
        {"64 KiB", 65536, false, 0x57A731D7},
        {"64 KiB, second magic", 65536, false, 0x57A731D8},
        {"32 KiB", 32768, false, 0x57A731D7},
        {"32 KiB saved twice", 32768, true, 0x57A731D8},
    };
    for (const auto& l : layouts) {
        SCOPED_TRACE(l.name);
        auto image = blankPacked(l.memory);
        putLe32(image->data(), l.magic);
        std::size_t at = putConfig(*image, 4, 0, 0x00010002);
        at = putCompressedRecord(*image, at, save, "Zelda", RECORD_SV, OTHER);
        at = putRecord(*image, at, 64, RECORD_CHEAT, "cheats", 0, OTHER);
        putEnd(*image, at);
        const Bytes file = fileBytesOf(*image, l.twice);

        SaveResult code;
        auto read = readBack(dir.file("cart.sav"), file, code);
        ASSERT_EQ(code, SaveCode::Done);
        EXPECT_EQ(read->size(), l.memory);
        EXPECT_EQ(read->mirrored, l.twice);
        EXPECT_EQ(read->magic, l.magic);
        EXPECT_EQ(typesOf(*read), (std::vector<std::uint16_t>{RECORD_PLAIN, RECORD_SV, RECORD_CHEAT}));
        EXPECT_EQ(packedRecords(*read)[1].lengthField, 8192u);
        EXPECT_EQ(packedRecords(*read)[2].title, "cheats");

        // PocketNES's 8192 at offset 4 is no compressed length.
        ASSERT_EQ(extractPackedSave(dir.file("zelda.sav"), *read, 1), SaveCode::Done);
        EXPECT_EQ(readBytes(dir.file("zelda.sav")), save);
        std::size_t size = 0;
        EXPECT_EQ(packedSaveSize(*read, 1, size), SaveCode::Done);
        EXPECT_EQ(size, 8192u);

        ASSERT_EQ(writePackedImage(dir.file("back.sav"), *read), SaveCode::Done);
        EXPECT_EQ(readBytes(dir.file("back.sav")), file);
    }

    // An upper half that starts with the magic but differs is an old mirror:
    // the memory is the first half, written back twice.
    auto image = blankPacked(32768);
    putEnd(*image, putConfig(*image, 4, 0));
    Bytes almost = fileBytesOf(*image, true);
    almost[0x8000 + 0x7000] = 1;
    SaveResult code;
    auto read = readBack(dir.file("almost.sav"), almost, code);
    ASSERT_EQ(code, SaveCode::Done);
    EXPECT_EQ(read->size(), 32768u);
    EXPECT_TRUE(read->mirrored);

    // Other sizes, and a chain that leaves a 32 KiB memory, are no packed image.
    Bytes head = imageBytes(*image);
    for (std::size_t size : {32767u, 32769u, 49152u, 65535u}) {
        head.resize(size, 0);
        readBack(dir.file("odd.sav"), head, code);
        EXPECT_EQ(code, SaveCode::NotASave) << size;
    }
    auto past = blankPacked(32768);
    putRecord(*past, putConfig(*past, 4, 0), 32768 - 52 + 4, RECORD_ST);
    readBack(dir.file("past.sav"), imageBytes(*past), code);
    EXPECT_EQ(code, SaveCode::NotASave);
}

TEST(PocketNesImage, PacksTheOwnersLiveAreaOnRead)
{
    // At its next start PocketNES packs the live area into its owner's save:
    // the editor does the same when the image is read.
    TempDir dir;
    const Bytes oldSave = saveData(8192, 1), newSave = saveData(8192, 2), other = saveData(8192, 3);
    for (std::size_t memory : {65536u, 32768u}) {
        for (bool hasRecord : {true, false}) {
            SCOPED_TRACE(std::to_string(memory) + (hasRecord ? " with the game's record" : " without a record"));
            auto image = blankPacked(memory);
            std::size_t at = putConfig(*image, 4, GAME, 0x00020001);
            at = putCompressedRecord(*image, at, other, "Other", RECORD_SV, OTHER);
            if (hasRecord) {
                const std::size_t gameAt = at;
                at = putCompressedRecord(*image, at, oldSave, "Game", RECORD_SV, GAME);
                putLe32(image->data() + gameAt + 8, 0x55);
            }
            const std::size_t cheatAt = at;
            at = putRecord(*image, at, 56, RECORD_CHEAT, "cheats", 0, GAME);
            std::fill(image->begin() + cheatAt + 48, image->begin() + cheatAt + 56, 0x77);
            putEnd(*image, at);
            setLiveArea(*image, newSave);
            const auto original = packedFrom(*image);

            SaveResult code;
            auto read = readBack(dir.file("cart.sav"), imageBytes(*image), code);
            ASSERT_EQ(code, SaveCode::Done);
            EXPECT_EQ(ownerOf(*read), 0u);
            EXPECT_EQ(getLe32(read->data() + 4 + 4), 0x00020001u);  // display settings kept
            EXPECT_EQ(liveArea(*read), Bytes(8192, 0));

            const auto before = packedRecords(*original);
            const auto after = packedRecords(*read);
            ASSERT_EQ(after.size(), 4u);
            for (const PackedRecordInfo& r : after) EXPECT_FALSE(r.live);
            EXPECT_EQ(recordBytes(*read, after[1]), recordBytes(*original, before[1]));  // "Other" untouched
            const PackedRecordInfo& game = hasRecord ? after[2] : after[3];
            const PackedRecordInfo& cheats = hasRecord ? after[3] : after[2];
            EXPECT_EQ(recordBytes(*read, cheats), recordBytes(*original, before[hasRecord ? 3 : 2]));
            EXPECT_EQ(game.romChecksum, GAME);
            EXPECT_EQ(game.lengthField, 8192u);
            EXPECT_EQ(game.title, hasRecord ? "Game" : "ROM 0BADCAFE");
            EXPECT_EQ(getLe32(read->data() + game.offset + 8), hasRecord ? 0x55u : 0u);
            EXPECT_EQ(unpackRecord(*read, game.offset), newSave);
            EXPECT_LE(chainEnd(*read) + 8, liveStart(memory));

            // The game, started again, gets the newest save; and the written
            // file keeps it.
            EXPECT_EQ(restoredBy(*read, GAME), newSave);
            ASSERT_EQ(writePackedImage(dir.file("back.sav"), *read), SaveCode::Done);
            EXPECT_EQ(readBytes(dir.file("back.sav")), imageBytes(*read));
        }
    }
}

TEST(PocketNesImage, KeepsTheLiveAreaWhenItDoesNotFit)
{
    TempDir dir;
    const Bytes oldSave(8192, 0);
    const Bytes liveSave = patternBytes(8192, 9);  // does not compress: needs 8280 bytes
    const Bytes small = saveData(100, 4);
    writeBytes(dir.file("small.sav"), small);

    // A 32 KiB image with 2000 bytes free below the live area.
    auto image = blankPacked(32768);
    std::size_t at = putConfig(*image, 4, GAME);
    at = putCompressedRecord(*image, at, oldSave, "Game", RECORD_SV, GAME);
    const std::size_t filler = liveStart(32768) - 8 - 2000 - 48 - at;
    at = putRecord(*image, at, static_cast<std::uint16_t>(filler), RECORD_ST, "state", 0, OTHER);
    at = putRecord(*image, at, 48, RECORD_ST, "tiny", 0, OTHER);
    putEnd(*image, at);
    setLiveArea(*image, liveSave);

    SaveResult code;
    auto read = readBack(dir.file("full.sav"), imageBytes(*image), code);
    ASSERT_EQ(code, SaveCode::Done);
    EXPECT_EQ(imageBytes(*read), imageBytes(*image));
    const auto records = packedRecords(*read);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_TRUE(records[1].live);
    EXPECT_FALSE(records[2].live);
    ASSERT_EQ(extractPackedSave(dir.file("live.sav"), *read, 1), SaveCode::Done);
    EXPECT_EQ(readBytes(dir.file("live.sav")), liveSave);

    // What becomes of the live save: the user replaced or deleted it (the
    // owner is cleared so PocketNES won't bring it back), it stays live, or
    // there is room now and it is packed as PocketNES would.
    enum Outcome { Released, Kept, Packed };
    struct Case {
        const char* name;
        SaveResult (*run)(PackedSaveImage&, const std::string&);
        Outcome outcome;
    };
    const Case cases[] = {
        {"delete the live save", [](PackedSaveImage& im, const std::string&) { return deletePackedRecord(im, 1); }, Released},
        {"replace the live save", [](PackedSaveImage& im, const std::string& sav) { return storePackedSave(sav, im, 1, GAME); }, Released},
        {"replace it by another game's", [](PackedSaveImage& im, const std::string& sav) { return storePackedSave(sav, im, 1, OTHER); }, Released},
        {"append a newer save of the game", [](PackedSaveImage& im, const std::string& sav) { return storePackedSave(sav, im, PACKED_APPEND, GAME); }, Released},
        {"append another game's save", [](PackedSaveImage& im, const std::string& sav) { return storePackedSave(sav, im, PACKED_APPEND, OTHER); }, Kept},
        {"delete a small record", [](PackedSaveImage& im, const std::string&) { return deletePackedRecord(im, 3); }, Kept},
        {"retitle the live save", [](PackedSaveImage& im, const std::string&) { return setPackedTitle(im, 1, "New"); }, Kept},
        {"delete a large record", [](PackedSaveImage& im, const std::string&) { return deletePackedRecord(im, 2); }, Packed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto edited = packedFrom(*read);
        ASSERT_EQ(c.run(*edited, dir.file("small.sav")), SaveCode::Done);
        if (c.outcome != Kept) {
            EXPECT_EQ(ownerOf(*edited), 0u);
            EXPECT_EQ(liveArea(*edited), Bytes(8192, 0));
            for (const PackedRecordInfo& r : packedRecords(*edited)) EXPECT_FALSE(r.live);
            // What PocketNES restores when the game starts next.
            EXPECT_EQ(restoredBy(*edited, GAME) == liveSave, c.outcome == Packed);
        } else {
            EXPECT_EQ(ownerOf(*edited), GAME);
            EXPECT_EQ(liveArea(*edited), liveSave);
            const auto live = packedRecords(*edited);
            const auto it = std::find_if(live.begin(), live.end(), [](const PackedRecordInfo& r) { return r.live; });
            ASSERT_NE(it, live.end());
            EXPECT_EQ(it->romChecksum, GAME);
            ASSERT_EQ(extractPackedSave(dir.file("live.sav"), *edited, static_cast<int>(it - live.begin())), SaveCode::Done);
            EXPECT_EQ(readBytes(dir.file("live.sav")), liveSave);
        }
        EXPECT_LE(chainEnd(*edited) + 8, liveStart(32768));
    }
}

TEST(PocketNesImage, LiveAreaOfAGameWithoutARecord)
{
    TempDir dir;
    const Bytes liveSave = patternBytes(8192, 9);
    writeBytes(dir.file("small.sav"), saveData(100, 4));
    auto image = blankPacked(32768);
    std::size_t at = putConfig(*image, 4, GAME);
    at = putRecord(*image, at, static_cast<std::uint16_t>(liveStart(32768) - 8 - 1000 - at), RECORD_ST, "state");
    putEnd(*image, at);
    setLiveArea(*image, liveSave);
    SaveResult code;
    auto read = readBack(dir.file("full.sav"), imageBytes(*image), code);
    ASSERT_EQ(code, SaveCode::Done);
    EXPECT_EQ(ownerOf(*read), GAME);

    // The live area has a line of its own after the records.
    auto records = packedRecords(*read);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_TRUE(records[2].liveOnly);
    EXPECT_TRUE(records[2].live);
    EXPECT_EQ(records[2].type, RECORD_SV);
    EXPECT_EQ(records[2].romChecksum, GAME);
    EXPECT_EQ(records[2].title, "ROM 0BADCAFE");
    ASSERT_EQ(extractPackedSave(dir.file("live.sav"), *read, 2), SaveCode::Done);
    EXPECT_EQ(readBytes(dir.file("live.sav")), liveSave);
    std::size_t size = 0;
    EXPECT_EQ(packedSaveSize(*read, 2, size), SaveCode::Done);
    EXPECT_EQ(size, 8192u);
    EXPECT_EQ(setPackedTitle(*read, 2, "Title"), SaveCode::NoSuchLine);

    // Another game's save goes before it; the live line follows the records.
    auto stored = packedFrom(*read);
    ASSERT_EQ(storePackedSave(dir.file("small.sav"), *stored, 2, OTHER), SaveCode::Done);
    records = packedRecords(*stored);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[2].romChecksum, OTHER);
    EXPECT_TRUE(records[3].liveOnly);
    EXPECT_EQ(liveArea(*stored), liveSave);

    // Deleting the line deletes the live save: nothing is left to pack.
    auto deleted = packedFrom(*read);
    const Bytes chainBefore(read->begin(), read->begin() + static_cast<long>(liveStart(32768)));
    ASSERT_EQ(deletePackedRecord(*deleted, 2), SaveCode::Done);
    EXPECT_EQ(ownerOf(*deleted), 0u);
    EXPECT_EQ(liveArea(*deleted), Bytes(8192, 0));
    EXPECT_EQ(packedRecords(*deleted).size(), 2u);
    putLe32(deleted->data() + 4 + 8, GAME);
    EXPECT_EQ(Bytes(deleted->begin(), deleted->begin() + static_cast<long>(liveStart(32768))), chainBefore);
}

TEST(PocketNesImage, TheChainStaysBelowTheLiveArea)
{
    TempDir dir;
    // An 8 KiB save that packs small: the store takes only what it packs to.
    const Bytes save = saveData(8192, 5);
    writeBytes(dir.file("eight.sav"), save);
    const std::size_t saveRecord = recordSizeFor(save);
    const Bytes liveSave = patternBytes(8192, 9);
    const std::size_t liveRecord = recordSizeFor(liveSave);
    for (std::size_t memory : {65536u, 32768u}) {
        SCOPED_TRACE(memory);
        const std::size_t limit = liveStart(memory);
        for (std::size_t extra : {0u, 4u}) {
            auto image = blankPacked(memory);
            const std::size_t at = putConfig(*image, 4, 0);
            putEnd(*image, putRecord(*image, at, static_cast<std::uint16_t>(limit - 8 - saveRecord - at + extra), RECORD_ST));
            const Bytes before = imageBytes(*image);
            EXPECT_EQ(storePackedSave(dir.file("eight.sav"), *image, PACKED_APPEND, 1), extra == 0 ? SaveCode::Done : SaveCode::NoRoom);
            if (extra != 0) { EXPECT_EQ(imageBytes(*image), before); }
            EXPECT_LE(chainEnd(*image) + 8, limit);
        }
        // Packing the live area at the start: the record and the 8 end bytes
        // must fit, as PocketNES checks.
        for (std::size_t extra : {0u, 4u}) {
            auto image = blankPacked(memory);
            const std::size_t at = putConfig(*image, 4, GAME);
            putEnd(*image, putRecord(*image, at, static_cast<std::uint16_t>(limit - 8 - liveRecord - at + extra), RECORD_ST));
            setLiveArea(*image, liveSave);
            SaveResult code;
            auto read = readBack(dir.file("edge.sav"), imageBytes(*image), code);
            ASSERT_EQ(code, SaveCode::Done);
            EXPECT_EQ(ownerOf(*read), extra == 0 ? 0u : GAME);
            EXPECT_EQ(restoredBy(*read, GAME), extra == 0 ? liveSave : Bytes());
        }
    }
}

TEST(PocketNesImage, AChainReachingIntoTheLiveAreaIsReadButNotGrown)
{
    TempDir dir;
    writeBytes(dir.file("small.sav"), saveData(100, 4));
    for (std::size_t memory : {65536u, 32768u}) {
        SCOPED_TRACE(memory);
        const std::size_t limit = liveStart(memory);
        // Written by an older tool: the last record runs 100 bytes past the
        // live area's start, the second's header lies inside it.
        auto image = blankPacked(memory);
        std::size_t at = putConfig(*image, 4, 0);
        at = putRecord(*image, at, 48, RECORD_SV, "a");
        at = putRecord(*image, at, static_cast<std::uint16_t>(limit + 100 - at), RECORD_ST, "big");
        putEnd(*image, putRecord(*image, at, 48, RECORD_SV, "inside"));
        SaveResult code;
        auto read = readBack(dir.file("old.sav"), imageBytes(*image), code);
        ASSERT_EQ(code, SaveCode::Done);
        const Bytes original = imageBytes(*read);
        const Bytes live = liveArea(*read);

        EXPECT_EQ(storePackedSave(dir.file("small.sav"), *read, PACKED_APPEND, 1), SaveCode::NoRoom);
        EXPECT_EQ(storePackedSave(dir.file("small.sav"), *read, 1, 1), SaveCode::NoRoom);
        EXPECT_EQ(deletePackedRecord(*read, 1), SaveCode::ReachesLiveArea);  // the rest would still reach into it
        EXPECT_EQ(setPackedTitle(*read, 3, "x"), SaveCode::TitleInLiveArea);
        EXPECT_EQ(imageBytes(*read), original);
        EXPECT_EQ(setPackedTitle(*read, 1, "b"), SaveCode::Done);
        EXPECT_EQ(liveArea(*read), live);

        // Deleting the big record brings the chain out of the live area
        // without writing into it.
        EXPECT_EQ(deletePackedRecord(*read, 2), SaveCode::Done);
        EXPECT_EQ(liveArea(*read), live);
        EXPECT_EQ(typesOf(*read), (std::vector<std::uint16_t>{RECORD_PLAIN, RECORD_SV, RECORD_SV}));
        EXPECT_LE(chainEnd(*read) + 8, limit);
    }
}

TEST(PocketNesImage, CheatAndConfigurationRecordsAreKept)
{
    TempDir dir;
    writeBytes(dir.file("small.sav"), saveData(100, 4));
    auto image = blankPacked();
    std::size_t at = putConfig(*image, 4, 0, 0x0301);
    const std::size_t cheatAt = at;
    at = putRecord(*image, at, 80, RECORD_CHEAT, "cheats", 0, OTHER);
    std::fill(image->begin() + cheatAt + 48, image->begin() + cheatAt + 80, 0x5A);
    at = putCompressedRecord(*image, at, saveData(500, 2), "save", RECORD_SV, OTHER);
    putEnd(*image, at);
    const Bytes cheat(image->begin() + cheatAt, image->begin() + cheatAt + 80);
    const Bytes config(image->begin() + 4, image->begin() + 52);

    // Listed, never extracted or retitled.
    std::size_t size = 0;
    EXPECT_EQ(extractPackedSave(dir.file("out.sav"), *image, 1), SaveCode::NotBatterySave);
    EXPECT_EQ(packedSaveSize(*image, 1, size), SaveCode::NotBatterySave);
    EXPECT_EQ(setPackedTitle(*image, 1, "x"), SaveCode::NotBatterySave);
    EXPECT_EQ(setPackedTitle(*image, 0, "x"), SaveCode::NotBatterySave);
    EXPECT_FALSE(fileExists(dir.file("out.sav")));

    // Kept byte for byte when other records change.
    auto edited = packedFrom(*image);
    ASSERT_EQ(storePackedSave(dir.file("small.sav"), *edited, 2, 1), SaveCode::Done);
    ASSERT_EQ(storePackedSave(dir.file("small.sav"), *edited, PACKED_APPEND, 1), SaveCode::Done);
    ASSERT_EQ(setPackedTitle(*edited, 2, "renamed"), SaveCode::Done);
    ASSERT_EQ(deletePackedRecord(*edited, 3), SaveCode::Done);
    EXPECT_EQ(Bytes(edited->begin() + cheatAt, edited->begin() + cheatAt + 80), cheat);
    EXPECT_EQ(Bytes(edited->begin() + 4, edited->begin() + 52), config);

    // A cheat list may be deleted; the only configuration record may not.
    EXPECT_EQ(deletePackedRecord(*edited, 0), SaveCode::ConfigRecordNeeded);
    EXPECT_EQ(Bytes(edited->begin() + 4, edited->begin() + 52), config);
    ASSERT_EQ(deletePackedRecord(*edited, 1), SaveCode::Done);
    EXPECT_EQ(typesOf(*edited), (std::vector<std::uint16_t>{RECORD_PLAIN, RECORD_SV}));
    auto twoConfigs = blankPacked();
    putEnd(*twoConfigs, putConfig(*twoConfigs, putConfig(*twoConfigs, 4, 0), 0));
    EXPECT_EQ(deletePackedRecord(*twoConfigs, 0), SaveCode::Done);
    EXPECT_EQ(typesOf(*twoConfigs), std::vector<std::uint16_t>{RECORD_PLAIN});
}

TEST(PocketNesImage, StoresKeepAConfigurationRecordFirst)
{
    // Without one PocketNES never takes the game as the live area's owner,
    // and what is played after a store would be lost.
    TempDir dir;
    const Bytes small = saveData(100, 4);
    writeBytes(dir.file("small.sav"), small);
    auto fresh = blankPacked(32768);
    ASSERT_EQ(storePackedSave(dir.file("small.sav"), *fresh, PACKED_APPEND, 7), SaveCode::Done);
    auto expected = blankPacked(32768);
    ASSERT_EQ(newPackedImage(*expected, 32768), SaveCode::Done);
    const Bytes config(expected->begin() + 4, expected->begin() + 52);
    EXPECT_EQ(Bytes(fresh->begin() + 4, fresh->begin() + 52), config);
    ASSERT_EQ(typesOf(*fresh), (std::vector<std::uint16_t>{RECORD_PLAIN, RECORD_SV}));
    EXPECT_EQ(unpackRecord(*fresh, 52), small);
    EXPECT_EQ(packedRecords(*fresh)[1].lengthField, 100u);  // the uncompressed size, as PocketNES writes

    // Replacing the configuration record keeps it first, settings and all.
    auto owned = blankPacked();
    std::size_t at = putConfig(*owned, 4, GAME, 0x0102);
    at = putRecord(*owned, at, 64, RECORD_ST, "state");
    putEnd(*owned, at);
    setLiveArea(*owned, patternBytes(8192, 1));
    const Bytes before = imageBytes(*owned);
    ASSERT_EQ(storePackedSave(dir.file("small.sav"), *owned, 0, 7), SaveCode::Done);
    EXPECT_EQ(typesOf(*owned), (std::vector<std::uint16_t>{RECORD_PLAIN, RECORD_SV, RECORD_ST, RECORD_SV}));
    EXPECT_EQ(unpackRecord(*owned, 52), small);
    // The same record, but for the owner: there was room, so the live area
    // was packed into the game's new record on the way.
    putLe32(owned->data() + 4 + 8, GAME);
    EXPECT_EQ(Bytes(owned->begin() + 4, owned->begin() + 52), Bytes(before.begin() + 4, before.begin() + 52));
    EXPECT_EQ(restoredBy(*owned, GAME), patternBytes(8192, 1));
}

TEST(PocketNesImage, NewImagesAreReadyForPocketNes)
{
    TempDir dir;
    for (const auto& [memory, twice] : {std::pair{65536u, false}, {32768u, false}, {32768u, true}}) {
        auto image = blankPacked();
        ASSERT_EQ(newPackedImage(*image, memory, twice), SaveCode::Done);
        Bytes expected(memory, 0);
        // Magic; size 48, type 2, PocketNES's own display byte 0x03 and misc byte 0.
        const Bytes head = {0xD7, 0x31, 0xA7, 0x57, 0x30, 0x00, 0x02, 0x00, 0x03, 0x00};
        std::copy(head.begin(), head.end(), expected.begin());
        std::copy_n("CFG", 3, expected.begin() + 4 + 16);
        std::fill(expected.begin() + 56, expected.begin() + 60, 0xFF);  // the end of the chain at 52
        EXPECT_EQ(imageBytes(*image), expected) << memory;
        ASSERT_EQ(writePackedImage(dir.file("new.sav"), *image), SaveCode::Done);
        if (twice) expected.insert(expected.end(), expected.begin(), expected.end());
        EXPECT_EQ(readBytes(dir.file("new.sav")), expected);
    }
    auto image = blankPacked();
    EXPECT_EQ(newPackedImage(*image, 65536, true), SaveCode::OtherSize);
    EXPECT_EQ(newPackedImage(*image, 49152), SaveCode::OtherSize);
    EXPECT_EQ(image->size(), 65536u);
}
