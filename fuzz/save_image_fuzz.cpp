// SPDX-License-Identifier: GPL-3.0-or-later
// The slot save image: read from any bytes, then a row of slot operations
// (load a save into a slot, extract, delete, rename, any slot number), then
// written and read back: the image must come back byte for byte.
#include "fuzz_formats.h"
#include "fuzz_support.h"

#include "byte_order.h"
#include "save_image.h"
#include "save_slots.h"
#include "save_title.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using namespace save_fuzz;

struct Step {
    std::uint8_t kind = LOAD;
    int slot = 0;
    // A load's save and file name; a rename's typed text.
    std::size_t length = 0;
    std::uint8_t mode = 0;
    std::uint8_t seed = 0;
    bool selected = false;
    std::string text;
};

Step readStep(FuzzInput& in)
{
    Step step;
    step.kind = in.byte() % OP_COUNT;
    step.slot = in.byte() % (SLOT_COUNT + 2) - 1;
    if (step.kind == LOAD) {
        step.length = in.word() % (SLOT_DATA_SIZE + 2);
        step.mode = in.byte();
        step.seed = in.byte();
        step.text = in.text();
    } else if (step.kind == RENAME) {
        step.selected = (in.byte() & 1) != 0;
        step.text = in.text();
    }
    return step;
}

std::string imageFile(std::uint8_t flags, std::string body)
{
    if ((flags & RAW) != 0) return body;
    body.resize(SAVE_IMAGE_SIZE, '\0');
    if ((flags & FIX_CHECKSUM) != 0) {
        SaveImage image{};
        std::copy(body.begin(), body.end(), image.begin());
        putLe32(reinterpret_cast<unsigned char*>(body.data()) + CHECKSUM_OFFSET, saveImageChecksum(image));
    }
    return body;
}

bool checksumHolds(const SaveImage& image)
{
    return getLe32(image.data() + CHECKSUM_OFFSET) == saveImageChecksum(image);
}

std::string slotData(const SaveImage& image, int s)
{
    const auto* begin = image.data() + slotDataOffset(s);
    return std::string(begin, begin + SLOT_DATA_SIZE);
}

std::string titleField(const SaveImage& image, int s)
{
    const auto* begin = image.data() + slotTitleOffset(s);
    return std::string(begin, begin + SLOT_TITLE_SIZE);
}

bool isSlot(int s)
{
    return s >= 0 && s < SLOT_COUNT;
}

void load(SaveImage& image, const Step& step)
{
    const std::string sav = inputDir() + fileNameFrom(step.text);
    const std::string data = saveContents(step.length, step.mode, step.seed);
    putFile(sav, data);
    const auto before = std::make_unique<SaveImage>(image);
    const SaveResult code = loadSlotFromFile(sav, image, step.slot);
    if (!code.ok()) {
        FUZZ_CHECK(code == SaveCode::Missing || code == SaveCode::SavTooLarge || code == SaveCode::Unreadable ||
                   (code == SaveCode::EmptySlot && !isSlot(step.slot)));
        FUZZ_CHECK(image == *before);
    } else {
        FUZZ_CHECK(isSlot(step.slot) && slotIsUsed(image, step.slot));
        std::string padded = data;
        padded.resize(SLOT_DATA_SIZE, '\0');
        FUZZ_CHECK(slotData(image, step.slot) == padded);
        std::string title = fitEucTitle(titleStemOfPath(sav), SAVE_TITLE_MAX_BYTES);
        FUZZ_CHECK(title.size() <= SAVE_TITLE_MAX_BYTES);
        title.resize(SLOT_TITLE_SIZE, '\0');
        FUZZ_CHECK(titleField(image, step.slot) == title);
        FUZZ_CHECK(checksumHolds(image));
    }
    removeFile(sav);
}

void extract(const SaveImage& image, int s)
{
    const std::string out = scratchDir() + "slot.sav";
    removeFile(out);
    const SaveResult code = extractSlot(out, image, s);
    FUZZ_CHECK(code.ok() == isSlot(s));
    if (code.ok()) FUZZ_CHECK(fileBytes(out) == slotData(image, s));
    if (!code.ok()) FUZZ_CHECK(!fileExists(out));
}

void remove(SaveImage& image, int s)
{
    const auto before = std::make_unique<SaveImage>(image);
    FUZZ_CHECK(deleteSlot(image, s) == 0);
    if (!isSlot(s)) {
        FUZZ_CHECK(image == *before);
        return;
    }
    FUZZ_CHECK(!slotIsUsed(image, s));
    FUZZ_CHECK(slotData(image, s) == std::string(SLOT_DATA_SIZE, '\0'));
    FUZZ_CHECK(checksumHolds(image));
}

void rename(SaveImage& image, const Step& step)
{
    const auto before = std::make_unique<SaveImage>(image);
    const std::optional<int> s = step.selected ? std::optional<int>(step.slot) : std::nullopt;
    const RenameResult result = renameSlot(image, s, step.text);
    const bool used = s && slotIsUsed(*before, *s);
    if (!used) FUZZ_CHECK(result.outcome == RenameOutcome::Unchanged);
    if (result.outcome == RenameOutcome::Unchanged || result.outcome == RenameOutcome::Refused) {
        FUZZ_CHECK(image == *before);
        return;
    }
    // Only the title field changed, and it still ends in a NUL.
    const std::string field = titleField(image, *s);
    FUZZ_CHECK(field.back() == '\0');
    SaveImage expected = *before;
    std::copy(field.begin(), field.end(), expected.begin() + static_cast<std::ptrdiff_t>(slotTitleOffset(*s)));
    FUZZ_CHECK(image == expected);
    FUZZ_CHECK(result.shown.size() <= 2 * SLOT_TITLE_SIZE);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    std::vector<Step> steps(in.byte() % (MAX_OPS + 1));
    for (Step& step : steps) step = readStep(in);

    const std::string path = scratchDir() + "slots.sav";
    putFile(path, imageFile(flags, in.rest()));
    auto image = std::make_unique<SaveImage>();
    const SaveResult code = readSaveImage(path, *image);
    FUZZ_CHECK(code.ok() || code == SaveCode::Missing || code == SaveCode::NotASave || code == SaveCode::Unreadable);
    if (!code.ok()) {
        auto blank = std::make_unique<SaveImage>();
        blankSaveImage(*blank);
        FUZZ_CHECK(*image == *blank);
        return 0;
    }
    FUZZ_CHECK(checksumHolds(*image));

    for (const Step& step : steps) {
        switch (step.kind) {
        case LOAD: load(*image, step); break;
        case EXTRACT: extract(*image, step.slot); break;
        case DELETE: remove(*image, step.slot); break;
        case RENAME: rename(*image, step); break;
        default: break;
        }
    }

    FUZZ_CHECK(writeSaveImage(path, *image) == SaveCode::Done);
    auto back = std::make_unique<SaveImage>();
    FUZZ_CHECK(readSaveImage(path, *back) == SaveCode::Done);
    FUZZ_CHECK(*back == *image);
    for (int s = 0; s < SLOT_COUNT; ++s) FUZZ_CHECK(slotDisplayTitle(*back, s).size() <= 2 * SLOT_TITLE_SIZE);
    removeFile(path);
    return 0;
}
