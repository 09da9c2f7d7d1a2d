// Storing, extracting and deleting the records of a packed save image.
#include "packed_image.h"

#include "byte_order.h"
#include "file_io.h"
#include "packed_chain.h"
#include "rom_file.h"
#include "save_title.h"

#include <lzo/lzo1x.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t TITLE_OFFSET = 16;

// What LZO1X-1 may produce at most from n bytes of data that do not compress.
std::size_t worstCompressedSize(std::size_t n)
{
    return n + n / 16 + 64 + 3;
}

// The margin the room check keeps for the compressor's growth and the record
// header: a save of n bytes may take n + n / 64 + 115 bytes.
bool fitsByEstimate(std::size_t saveSize, std::size_t used, std::size_t replaced)
{
    return saveSize + saveSize / 64 + used - replaced + 115 <= PACKED_IMAGE_SIZE;
}

std::size_t recordSizeFor(std::size_t compressed)
{
    return (compressed + PACKED_RECORD_HEADER_SIZE + 3) & ~static_cast<std::size_t>(3);
}

// Compresses data into out with LZO1X-1. False when the library fails.
bool compress(const std::vector<unsigned char>& data, std::size_t size, std::vector<unsigned char>& out)
{
    std::vector<lzo_align_t> work((LZO1X_1_MEM_COMPRESS + sizeof(lzo_align_t) - 1) / sizeof(lzo_align_t));
    out.assign(worstCompressedSize(size), 0);
    lzo_uint outLen = out.size();
    if (lzo1x_1_compress(data.data(), size, out.data(), &outLen, work.data()) != LZO_E_OK) return false;
    out.resize(outLen);
    return true;
}

void putRecordHeader(unsigned char* record, std::size_t recordSize, std::size_t compressed,
                     std::uint32_t checksum, const std::string& title)
{
    putLe16(record, static_cast<std::uint16_t>(recordSize));
    putLe16(record + 2, RECORD_SV);
    putLe32(record + 4, static_cast<std::uint32_t>(compressed));
    putLe32(record + 8, 0);
    putLe32(record + 12, checksum);
    storeTitleField(record + TITLE_OFFSET, PACKED_TITLE_SIZE, title);
}

}  // namespace

int storePackedSave(const std::string& savPath, PackedSaveImage& image, int index, std::uint32_t checksum)
{
    const std::int32_t fileBytes = fileSize(savPath);
    if (fileBytes == 0) return 1;
    if (static_cast<std::size_t>(fileBytes) > PACKED_SAVE_MAX) return 2;
    const auto size = static_cast<std::size_t>(fileBytes);
    std::vector<unsigned char> data(PACKED_SAVE_MAX, 0);
    {
        InFile in(savPath);
        if (!in.isOpen()) return 3;
        if (in.read(data.data(), size) != size) return 3;
    }
    if (lzo_init() != LZO_E_OK) return 4;

    // A damaged chain has no place where a record could safely go.
    const PackedChain chain = walkPackedChain(image);
    if (!chain.valid) return 5;
    const ChainRecord* target = chainRecordAt(chain, index);
    const std::size_t at = target != nullptr ? target->offset : chain.end;
    const std::size_t replaced = target != nullptr ? target->size : 0;
    if (!fitsByEstimate(size, chainUsedBytes(chain), replaced)) return 5;

    std::vector<unsigned char> packed;
    if (!compress(data, size, packed)) return 4;
    const std::size_t recordSize = recordSizeFor(packed.size());
    const std::size_t tailStart = at + replaced;
    const std::size_t tailSize = chain.end - tailStart;
    // The estimate above is what the image format has always allowed; the
    // record really produced, the records after it and the end of the chain
    // must fit as well, so nothing is ever written past the image.
    if (at + recordSize + tailSize + PACKED_CHAIN_END_SIZE > PACKED_IMAGE_SIZE) return 5;

    // The records after the replaced one move by the difference in size;
    // those before keep their places.
    std::memmove(image.data() + at + recordSize, image.data() + tailStart, tailSize);
    unsigned char* record = image.data() + at;
    putRecordHeader(record, recordSize, packed.size(), checksum,
                    fitCp932Title(titleStemOfPath(savPath), SAVE_TITLE_MAX_BYTES));
    std::memcpy(record + PACKED_RECORD_HEADER_SIZE, packed.data(), packed.size());
    // Padding is cleared so the same save always gives the same bytes.
    std::memset(record + PACKED_RECORD_HEADER_SIZE + packed.size(), 0,
                recordSize - PACKED_RECORD_HEADER_SIZE - packed.size());
    putChainEnd(image, at + recordSize + tailSize);
    return 0;
}

int extractPackedSave(const std::string& path, const PackedSaveImage& image, int index, int* reason)
{
    const PackedChain chain = walkPackedChain(image);
    const ChainRecord* record = chainRecordAt(chain, index);
    if (record == nullptr) return 1;
    const unsigned char* header = image.data() + record->offset;
    // Other programs store the uncompressed size at offset 4, so the length
    // there is only an upper bound: the data never reach past the record.
    const std::size_t input =
        std::min<std::size_t>(getLe32(header + 4), record->size - PACKED_RECORD_HEADER_SIZE);
    if (lzo_init() != LZO_E_OK) return 4;
    std::vector<unsigned char> save(PACKED_SAVE_MAX);
    lzo_uint saveLen = save.size();
    const int rc = lzo1x_decompress_safe(header + PACKED_RECORD_HEADER_SIZE, input, save.data(), &saveLen, nullptr);
    // Data left over after the compressed stream has ended are the other
    // programs' longer length: the save itself is complete.
    if (rc != LZO_E_OK && rc != LZO_E_INPUT_NOT_CONSUMED) return 4;

    const int err = replaceFileWith(path, save.data(), saveLen);
    if (reason != nullptr) *reason = err;
    return err == 0 ? 0 : 3;
}

int deletePackedRecord(PackedSaveImage& image, int index)
{
    const PackedChain chain = walkPackedChain(image);
    const ChainRecord* record = chainRecordAt(chain, index);
    // A damaged chain is left alone rather than losing what follows.
    if (record == nullptr || !chain.valid) return 0;
    const std::size_t tailStart = record->offset + record->size;
    const std::size_t tailSize = chain.end - tailStart;
    std::memmove(image.data() + record->offset, image.data() + tailStart, tailSize);
    putChainEnd(image, record->offset + tailSize);
    return 0;
}
