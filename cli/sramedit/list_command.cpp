// SPDX-License-Identifier: GPL-3.0-or-later
// list: the layout, then one line per slot or record as the editor lists it.
#include "sramedit_commands.h"

#include "hex_text.h"
#include "save_messages.h"
#include "save_slots.h"
#include "text_encoding.h"

#include <cstdio>

namespace {

// What the record holds: its size, the size its save unpacks to, the ROM it
// belongs to, and whether PocketNES restores it.
std::string recordDetails(const PackedSaveImage& image, const PackedRecordInfo& r, int index)
{
    std::string details = "type " + recordTypeName(r.type) + ", ";
    details += r.liveOnly ? "no record yet" : "record " + std::to_string(r.size) + " bytes";
    if (r.type == RECORD_SV) {
        std::size_t saveSize = 0;
        details += packedSaveSize(image, index, saveSize).ok() ? ", save " + std::to_string(saveSize) + " bytes"
                                                               : ", save damaged";
    }
    if (r.type != RECORD_PLAIN) details += ", ROM checksum " + hexText(r.romChecksum, 8);
    if (r.live) details += ", " + liveMarkText();
    if (r.hiddenBy) details += ", " + olderMarkText(*r.hiddenBy);
    return details;
}

void listSlots(const SaveImage& image)
{
    int used = 0;
    for (int s = 0; s < SLOT_COUNT; ++s) used += slotIsUsed(image, s) ? 1 : 0;
    std::printf("SaveImage: %d slots, %d used\n", SLOT_COUNT, used);
    for (int s = 0; s < SLOT_COUNT; ++s) {
        const std::string line = slotIsUsed(image, s) ? cp932ToUtf8(slotDisplayTitle(image, s)) : EMPTY_SLOT_TEXT;
        std::printf("%d\t%s\n", s, line.c_str());
    }
}

void listRecords(const PackedSaveImage& image)
{
    const auto records = packedRecords(image);
    std::printf("PackedSaveImage: %s\n", roomText(image).c_str());
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::printf("%zu\t%s\t%s\n", i, cp932ToUtf8(recordLineText(records[i])).c_str(),
                    recordDetails(image, records[i], static_cast<int>(i)).c_str());
    }
}

}  // namespace

int runList(const CliArgs& args)
{
    OpenedSave save;
    if (!openFor(args, save)) return EXIT_FAILED;
    if (save.packed) {
        listRecords(*save.records);
        if (const auto risk = packedSaveAtRisk(*save.records)) reportWarning(args.savePath, saveAtRiskText(*risk));
    } else {
        listSlots(*save.slots);
    }
    return EXIT_DONE;
}
