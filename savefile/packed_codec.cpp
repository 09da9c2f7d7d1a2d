// SPDX-License-Identifier: GPL-3.0-or-later
#include "packed_codec.h"

#include "byte_order.h"
#include "packed_chain.h"
#include "save_title.h"

#include <lzo/lzo1x.h>

namespace {

// What LZO1X-1 may produce at most from n bytes of data that do not compress.
std::size_t worstCompressedSize(std::size_t n)
{
    return n + n / 16 + 64 + 3;
}

bool lzoReady()
{
    static const bool ready = lzo_init() == LZO_E_OK;
    return ready;
}

}  // namespace

TitleField titleField(std::string_view text)
{
    TitleField field{};
    storeTitleField(field.data(), field.size(), text);
    return field;
}

std::vector<unsigned char> makeRecord(const RecordHeader& header, const std::vector<unsigned char>& data)
{
    const std::size_t size = (PACKED_RECORD_HEADER_SIZE + data.size() + 3) & ~static_cast<std::size_t>(3);
    // Padding is zero so the same save always gives the same bytes.
    std::vector<unsigned char> record(size, 0);
    putLe16(record.data(), static_cast<std::uint16_t>(size));
    putLe16(record.data() + 2, header.type);
    putLe32(record.data() + RECORD_LENGTH_FIELD, header.lengthField);
    putLe32(record.data() + RECORD_WORD_8, header.word8);
    putLe32(record.data() + RECORD_CHECKSUM, header.checksum);
    std::copy(header.title.begin(), header.title.end(), record.begin() + RECORD_TITLE);
    std::copy(data.begin(), data.end(), record.begin() + PACKED_RECORD_HEADER_SIZE);
    return record;
}

bool compressSave(const unsigned char* data, std::size_t size, std::vector<unsigned char>& out)
{
    if (!lzoReady()) return false;
    std::vector<lzo_align_t> work((LZO1X_1_MEM_COMPRESS + sizeof(lzo_align_t) - 1) / sizeof(lzo_align_t));
    out.assign(worstCompressedSize(size), 0);
    lzo_uint outLen = out.size();
    if (lzo1x_1_compress(data, size, out.data(), &outLen, work.data()) != LZO_E_OK) return false;
    out.resize(outLen);
    return true;
}

bool decompressRecord(const PackedSaveImage& image, std::size_t offset, std::size_t recordSize,
                      std::vector<unsigned char>& out)
{
    if (!lzoReady()) return false;
    out.assign(PACKED_SAVE_MAX, 0);
    lzo_uint outLen = out.size();
    const int rc = lzo1x_decompress_safe(image.data() + offset + PACKED_RECORD_HEADER_SIZE,
                                         recordSize - PACKED_RECORD_HEADER_SIZE, out.data(), &outLen, nullptr);
    // The record's padding follows the compressed stream: data left over
    // after the stream has ended are no damage.
    if (rc != LZO_E_OK && rc != LZO_E_INPUT_NOT_CONSUMED) return false;
    out.resize(outLen);
    return true;
}

std::vector<unsigned char> newConfigRecord()
{
    RecordHeader header;
    header.type = RECORD_PLAIN;
    header.title = titleField("CFG");
    std::vector<unsigned char> record = makeRecord(header, {});
    // What PocketNES itself puts there: with a display byte of 0 it would
    // start unscaled.
    record[CONFIG_DISPLAY] = CONFIG_DISPLAY_DEFAULT;
    record[CONFIG_MISC] = 0;
    return record;
}
