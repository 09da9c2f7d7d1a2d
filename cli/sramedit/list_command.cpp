// list: the layout, then one line per slot or record as the editor lists it.
#include "sramedit_commands.h"

#include "hex_text.h"
#include "packed_lines.h"
#include "save_session.h"
#include "save_slots.h"
#include "save_title.h"
#include "text_encoding.h"

#include <cstdio>

namespace {

// The editor cuts a record's line after 32 bytes; here the cut keeps whole
// characters so the UTF-8 form shows no broken one.
constexpr std::size_t LIST_LINE_BYTES = 32;

const char* typeName(std::uint16_t type)
{
    switch (type) {
    case RECORD_ST: return "ST";
    case RECORD_SV: return "SV";
    case RECORD_PLAIN: return "CFG";
    default: return "CHEAT";
    }
}

std::string recordLine(const PackedRecordInfo& r)
{
    std::string line;
    if (r.type == RECORD_ST) line = "ST:";
    if (r.type == RECORD_SV) line = "SV:";
    line += r.title;
    return cp932ToUtf8(fitCp932Title(line, LIST_LINE_BYTES));
}

// What the record holds: its size, the size its save unpacks to, the ROM it
// belongs to, and whether the live area holds that game's newest save.
std::string recordDetails(const PackedSaveImage& image, const PackedRecordInfo& r, int index)
{
    std::string details = std::string("type ") + typeName(r.type) + ", ";
    details += r.liveOnly ? "no record yet" : "record " + std::to_string(r.size) + " bytes";
    if (r.type == RECORD_SV) {
        std::size_t saveSize = 0;
        details += packedSaveSize(image, index, saveSize) == 0 ? ", save " + std::to_string(saveSize) + " bytes"
                                                               : ", save damaged";
    }
    if (r.type != RECORD_PLAIN) details += ", ROM checksum " + hexText(r.romChecksum, 8);
    if (r.live) details += ", live (the newest save is in the live area)";
    if (r.hiddenBy) details += ", " + olderMark(*r.hiddenBy);
    return details;
}

void listSlots(const SaveImage& image)
{
    int used = 0;
    for (int s = 0; s < SLOT_COUNT; ++s) used += slotIsUsed(image, s) ? 1 : 0;
    std::printf("SaveImage: %d slots, %d used\n", SLOT_COUNT, used);
    for (int s = 0; s < SLOT_COUNT; ++s) {
        const std::string line = slotIsUsed(image, s) ? cp932ToUtf8(slotDisplayTitle(image, s)) : "EMPTY";
        std::printf("%d\t%s\n", s, line.c_str());
    }
}

void listRecords(const PackedSaveImage& image)
{
    const auto records = packedRecords(image);
    std::size_t count = 0;
    std::size_t used = 0;
    for (const PackedRecordInfo& r : records) {
        if (r.liveOnly) continue;
        ++count;
        used += r.size;
    }
    std::printf("PackedSaveImage: %s, %zu records, %zu bytes used, %zu bytes free\n",
                memoryDescription(image).c_str(), count, used, packedFreeBytes(image));
    for (std::size_t i = 0; i < records.size(); ++i) {
        const int index = static_cast<int>(i);
        std::printf("%zu\t%s\t%s\n", i, recordLine(records[i]).c_str(),
                    recordDetails(image, records[i], index).c_str());
    }
}

}  // namespace

int runList(const CliArgs& args)
{
    OpenedSave save;
    if (!openFor(args, save)) return EXIT_FAILED;
    if (save.packed) {
        listRecords(*save.records);
        if (const auto risk = packedSaveAtRisk(*save.records)) reportFailure(saveAtRiskLine(args.savePath, *risk));
    } else {
        listSlots(*save.slots);
    }
    return std::fflush(stdout) == 0 ? EXIT_DONE : EXIT_FAILED;
}
