// SPDX-License-Identifier: GPL-3.0-or-later
// The packed save image: read from any bytes, then a row of the editor's
// operations (list, extract, store at any index, delete, retitle), then
// written and read back. What each operation promises is checked, and the
// image must survive the round trip byte for byte.
#include "fuzz_formats.h"
#include "fuzz_support.h"

#include "byte_order.h"
#include "packed_chain.h"
#include "packed_image.h"
#include "packed_transfer.h"
#include "save_title.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

using namespace packed_fuzz;

struct Step {
    std::uint8_t kind = LIST;
    int index = 0;
    // A store's save and file name; a retitle's title.
    std::size_t length = 0;
    std::uint8_t mode = 0;
    std::uint8_t seed = 0;
    std::uint32_t checksum = 0;
    std::string text;
};

Step readStep(FuzzInput& in)
{
    Step step;
    step.kind = in.byte() % OP_COUNT;
    step.index = static_cast<std::int16_t>(in.word());
    if (step.kind == STORE) {
        step.length = in.word() % (PACKED_SAVE_MAX + 2);
        step.mode = in.byte();
        step.seed = in.byte();
        step.checksum = in.dword();
        step.text = in.text();
    } else if (step.kind == RETITLE) {
        step.text = in.text();
    }
    return step;
}

std::string imageFile(std::uint8_t layout, std::size_t liveLength, const std::string& body)
{
    if (layout == RAW) return body;
    const std::size_t memory = layout == FULL ? PACKED_IMAGE_SIZE : PACKED_SMALL_IMAGE_SIZE;
    std::string file(memory, '\0');
    const std::size_t live = std::min({liveLength, body.size(), memory});
    const std::size_t head = std::min(body.size() - live, memory - live);
    std::memcpy(file.data(), body.data(), head);
    std::memcpy(file.data() + memory - live, body.data() + body.size() - live, live);
    if (layout == MIRRORED) file += file;
    return file;
}

bool sameImage(const PackedSaveImage& a, const PackedSaveImage& b)
{
    return a.memorySize == b.memorySize && a.mirrored == b.mirrored && a.magic == b.magic &&
           a.bytes == b.bytes;
}

bool chainIsSound(const PackedSaveImage& image)
{
    return walkPackedChain(image).valid;
}

// The record a store replaces: the one at index, else the game's battery
// save PocketNES restores; past the records when neither is there.
int storeTarget(const PackedSaveImage& image, int index, std::uint32_t checksum)
{
    if (chainRecordAt(walkPackedChain(image), index) != nullptr) return index;
    const std::optional<std::size_t> live = packedLiveRecord(image, RECORD_SV, checksum);
    return live ? static_cast<int>(*live) : PACKED_APPEND;
}

// The index a store puts its record at: the one it replaces, else after the
// last record; one further when a configuration record had to go first.
std::size_t storedIndex(const PackedChain& before, int index)
{
    const ChainRecord* target = chainRecordAt(before, index);
    std::size_t at = target != nullptr ? static_cast<std::size_t>(index) : before.records.size();
    const auto configs = std::count_if(before.records.begin(), before.records.end(),
                                       [](const ChainRecord& r) { return r.type == RECORD_PLAIN; });
    const bool lostOnlyConfig = target != nullptr && target->type == RECORD_PLAIN && configs == 1;
    if (configs == 0 || lostOnlyConfig) ++at;
    return at;
}

// Every record's bytes in chain order; a configuration record without its
// owner field, which releasing the live area clears.
std::vector<std::string> recordBytes(const PackedSaveImage& image)
{
    std::vector<std::string> records;
    for (const ChainRecord& r : walkPackedChain(image).records) {
        std::string bytes(image.data() + r.offset, image.data() + r.offset + r.size);
        if (r.type == RECORD_PLAIN) bytes.replace(CONFIG_OWNER, 4, 4, '\0');
        records.push_back(std::move(bytes));
    }
    return records;
}

// The records an operation on the record at index must leave as they are:
// all others but the battery saves of a game that a configuration record
// names, since the live area may be packed into those.
std::vector<std::string> untouchable(const PackedSaveImage& image, int index)
{
    const PackedChain chain = walkPackedChain(image);
    std::vector<std::uint32_t> owners;
    for (const ChainRecord& r : chain.records) {
        if (r.type == RECORD_PLAIN) owners.push_back(getLe32(image.data() + r.offset + CONFIG_OWNER));
    }
    const std::vector<std::string> all = recordBytes(image);
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < chain.records.size(); ++i) {
        const ChainRecord& r = chain.records[i];
        const std::uint32_t game = getLe32(image.data() + r.offset + RECORD_CHECKSUM);
        const bool packable = r.type == RECORD_SV && std::find(owners.begin(), owners.end(), game) != owners.end();
        if (static_cast<int>(i) != index && !packable) kept.push_back(all[i]);
    }
    return kept;
}

// The kept records are all still there, in their order.
bool stillThere(const std::vector<std::string>& kept, const PackedSaveImage& image)
{
    const std::vector<std::string> now = recordBytes(image);
    auto at = now.begin();
    for (const std::string& record : kept) {
        at = std::find(at, now.end(), record);
        if (at == now.end()) return false;
        ++at;
    }
    return true;
}

void checkList(const PackedSaveImage& image)
{
    const std::vector<PackedRecordInfo> list = packedRecords(image);
    std::size_t liveLines = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const PackedRecordInfo& info = list[i];
        FUZZ_CHECK(info.offset + info.size <= image.size());
        FUZZ_CHECK(info.title.size() <= PACKED_TITLE_SIZE);
        if (info.live) ++liveLines;
        FUZZ_CHECK(!info.liveOnly || (info.live && i + 1 == list.size()));
    }
    FUZZ_CHECK(liveLines <= 1);
}

void extract(const PackedSaveImage& image, int index)
{
    const std::string out = scratchDir() + "extracted.sav";
    removeFile(out);
    const SaveResult code = extractPackedSave(out, image, index);
    std::size_t size = 0;
    const SaveResult sizeCode = packedSaveSize(image, index, size);
    FUZZ_CHECK(code.ok() || code == SaveCode::NoSuchLine || code == SaveCode::NotBatterySave ||
               code == SaveCode::Damaged);
    FUZZ_CHECK(sizeCode.code == code.code);
    if (code.ok()) {
        FUZZ_CHECK(size <= PACKED_SAVE_MAX);
        FUZZ_CHECK(fileBytes(out).size() == size);
    } else {
        FUZZ_CHECK(!fileExists(out));
    }
}

void store(PackedSaveImage& image, const Step& step)
{
    const int index = step.index;
    const std::string sav = inputDir() + fileNameFrom(step.text);
    const std::string data = saveContents(step.length, step.mode, step.seed);
    putFile(sav, data);

    const auto before = std::make_unique<PackedSaveImage>(image);
    const PackedChain chain = walkPackedChain(image);
    const int target = storeTarget(image, index, step.checksum);
    const std::vector<std::string> kept = untouchable(image, target);
    const SaveResult code = storePackedSave(sav, image, index, step.checksum);
    removeFile(sav);
    if (!code.ok()) {
        FUZZ_CHECK(code == SaveCode::Missing || code == SaveCode::SavTooLarge || code == SaveCode::Unreadable ||
                   code == SaveCode::CompressionFailed || code == SaveCode::NoRoom || code == SaveCode::SecondSave);
        FUZZ_CHECK(sameImage(image, *before));
        FUZZ_CHECK(code != SaveCode::NoRoom || code.bytes > code.available || !chainBelowLiveArea(image, chain));
        const std::optional<std::size_t> live = packedLiveRecord(image, RECORD_SV, step.checksum);
        FUZZ_CHECK(code != SaveCode::SecondSave || (live && *live == code.index && *live != static_cast<std::size_t>(target)));
        return;
    }
    FUZZ_CHECK(step.length > 0 && step.length <= PACKED_SAVE_MAX);
    const PackedChain after = walkPackedChain(image);
    FUZZ_CHECK(chainBelowLiveArea(image, after));
    FUZZ_CHECK(stillThere(kept, image));
    // The save is there, under its checksum, it is the one PocketNES
    // restores, and it gives back what was stored.
    const std::size_t at = storedIndex(chain, target);
    const ChainRecord* stored = chainRecordAt(after, static_cast<int>(at));
    FUZZ_CHECK(stored != nullptr && stored->type == RECORD_SV);
    const PackedRecordInfo info = packedRecords(image)[at];
    FUZZ_CHECK(info.romChecksum == step.checksum && !info.live && !info.hiddenBy);
    const std::string out = scratchDir() + "stored.sav";
    FUZZ_CHECK(extractPackedSave(out, image, static_cast<int>(at)) == SaveCode::Done);
    FUZZ_CHECK(fileBytes(out) == data);
    removeFile(out);
}

void remove(PackedSaveImage& image, int index)
{
    const auto before = std::make_unique<PackedSaveImage>(image);
    const std::vector<std::string> kept = untouchable(image, index);
    const SaveResult code = deletePackedRecord(image, index);
    FUZZ_CHECK(code.ok() || code == SaveCode::ReachesLiveArea || code == SaveCode::ConfigRecordNeeded);
    if (!code.ok()) FUZZ_CHECK(sameImage(image, *before));
    FUZZ_CHECK(chainIsSound(image));
    FUZZ_CHECK(stillThere(kept, image));
}

void retitle(PackedSaveImage& image, int index, const std::string& title)
{
    const auto before = std::make_unique<PackedSaveImage>(image);
    const SaveResult code = setPackedTitle(image, index, title);
    FUZZ_CHECK(code.ok() || code == SaveCode::NoSuchLine || code == SaveCode::NotBatterySave ||
               code == SaveCode::TitleInLiveArea);
    if (!code.ok()) {
        FUZZ_CHECK(sameImage(image, *before));
        return;
    }
    const std::vector<PackedRecordInfo> list = packedRecords(image);
    FUZZ_CHECK(static_cast<std::size_t>(index) < list.size());
    FUZZ_CHECK(list[static_cast<std::size_t>(index)].title == fitCp932Title(title, SAVE_TITLE_MAX_BYTES));
    // Nothing but the title field changed.
    auto expected = std::make_unique<PackedSaveImage>(*before);
    const std::size_t field = list[static_cast<std::size_t>(index)].offset + RECORD_TITLE;
    std::copy(image.data() + field, image.data() + field + PACKED_TITLE_SIZE, expected->data() + field);
    FUZZ_CHECK(sameImage(image, *expected));
}

void prune(PackedSaveImage& image)
{
    const auto before = std::make_unique<PackedSaveImage>(image);
    std::size_t older = 0;
    for (const PackedRecordInfo& info : packedRecords(image)) older += info.hiddenBy ? 1 : 0;
    std::size_t removed = 0;
    std::size_t freed = 0;
    const SaveResult code = prunePackedRecords(image, removed, freed);
    FUZZ_CHECK(code.ok() || code == SaveCode::ReachesLiveArea);
    if (!code.ok()) {
        FUZZ_CHECK(sameImage(image, *before));
        return;
    }
    FUZZ_CHECK(removed == older);
    FUZZ_CHECK(chainIsSound(image));
    for (const PackedRecordInfo& info : packedRecords(image)) FUZZ_CHECK(!info.hiddenBy);
}

void convert(PackedSaveImage& image, int index)
{
    const auto before = std::make_unique<PackedSaveImage>(image);
    const std::vector<std::string> records = recordBytes(image);
    const std::size_t memory = (index & 1) != 0 ? PACKED_IMAGE_SIZE : PACKED_SMALL_IMAGE_SIZE;
    const SaveResult code = convertPackedImage(image, memory);
    FUZZ_CHECK(code.ok() || code == SaveCode::DoesNotFit);
    if (!code.ok()) {
        FUZZ_CHECK(sameImage(image, *before) && code.bytes > 0);
        return;
    }
    FUZZ_CHECK(image.size() == memory && chainIsSound(image));
    FUZZ_CHECK(stillThere(untouchable(*before, -1), image));
}

void copy(const PackedSaveImage& from, PackedSaveImage& image, int index)
{
    const auto before = std::make_unique<PackedSaveImage>(image);
    const std::vector<PackedRecordInfo> lines = packedRecords(from);
    std::size_t at = 0;
    const SaveResult code = copyPackedRecord(from, index, image, &at);
    FUZZ_CHECK(code.ok() || code == SaveCode::NoSuchLine || code == SaveCode::ConfigRecordStays ||
               code == SaveCode::CompressionFailed || code == SaveCode::NoRoom);
    if (!code.ok()) {
        FUZZ_CHECK(sameImage(image, *before));
        return;
    }
    // Copied byte for byte (a live line as the record its live area makes).
    const PackedRecordInfo& line = lines[static_cast<std::size_t>(index)];
    const std::vector<PackedRecordInfo> now = packedRecords(image);
    FUZZ_CHECK(at < now.size() && now[at].type == line.type && now[at].romChecksum == line.romChecksum);
    if (!line.live) {
        FUZZ_CHECK(std::equal(from.data() + line.offset, from.data() + line.offset + line.size,
                              image.data() + now[at].offset));
    }
    FUZZ_CHECK(chainBelowLiveArea(image, walkPackedChain(image)));
}

// Written and read back as the file tells it, the image is the same: the
// tool never leaves a file whose other half or other reading could be
// taken for it.
void roundTrip(const std::string& path, const PackedSaveImage& image)
{
    auto written = std::make_unique<PackedSaveImage>(image);
    FUZZ_CHECK(writePackedImage(path, *written) == SaveCode::Done);
    auto back = std::make_unique<PackedSaveImage>();
    FUZZ_CHECK(readPackedImage(path, *back) == SaveCode::Done);
    FUZZ_CHECK(back->memorySize == written->memorySize && back->mirrored == written->mirrored);
    back->eitherSize = written->eitherSize;
    FUZZ_CHECK(sameImage(*back, *written));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t layoutByte = in.byte();
    const std::uint8_t layout = layoutByte % LAYOUT_COUNT;
    const std::size_t liveLength = in.word();
    std::vector<Step> steps(in.byte() % (MAX_OPS + 1));
    for (Step& step : steps) step = readStep(in);
    const std::string body = in.rest();

    const std::string path = scratchDir() + "packed.sav";
    putFile(path, imageFile(layout, liveLength, body));
    auto image = std::make_unique<PackedSaveImage>();
    SaveResult code = readPackedImage(path, *image);
    FUZZ_CHECK(code != SaveCode::WriteFailed && code != SaveCode::NoRoom);
    if (code == SaveCode::MemoryUnknown) {
        code = readPackedImage(path, *image,
                               (layoutByte & ANSWER_LARGE) != 0 ? PackedMemory::Large : PackedMemory::Small);
        FUZZ_CHECK(code.ok() || code == SaveCode::NotASave);
    }
    if (!code.ok()) return 0;
    FUZZ_CHECK(chainIsSound(*image));
    checkList(*image);
    const auto asRead = std::make_unique<PackedSaveImage>(*image);

    for (const Step& step : steps) {
        switch (step.kind) {
        case LIST: checkList(*image); break;
        case EXTRACT:
        case SIZE: extract(*image, step.index); break;
        case STORE: store(*image, step); break;
        case DELETE: remove(*image, step.index); break;
        case RETITLE: retitle(*image, step.index, step.text); break;
        case PRUNE: prune(*image); break;
        case CONVERT: convert(*image, step.index); break;
        case COPY: copy(*asRead, *image, step.index); break;
        default: break;
        }
    }
    roundTrip(path, *image);
    removeFile(path);
    return 0;
}
