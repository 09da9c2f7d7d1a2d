// list: the layout, then one line per slot or record as the editor lists it.
#include "commands.h"

#include "save_session.h"
#include "save_slots.h"
#include "save_title.h"
#include "text_encoding.h"

#include <cinttypes>
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
    default: return "PLAIN";
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
    std::size_t used = 0;
    for (const PackedRecordInfo& r : records) used += r.size;
    std::printf("PackedSaveImage: %zu records, %zu bytes used\n", records.size(), used);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const PackedRecordInfo& r = records[i];
        std::printf("%zu\t%s\ttype %s, compressed %" PRIu32 " bytes, ROM checksum %08" PRIX32 "\n", i,
                    recordLine(r).c_str(), typeName(r.type), r.compressedLength, r.romChecksum);
    }
}

}  // namespace

int runList(const CliArgs& args)
{
    OpenedSave save;
    if (!openSave(args.savePath, save)) return EXIT_FAILED;
    if (save.packed) {
        listRecords(*save.records);
    } else {
        listSlots(*save.slots);
    }
    return std::fflush(stdout) == 0 ? EXIT_DONE : EXIT_FAILED;
}
