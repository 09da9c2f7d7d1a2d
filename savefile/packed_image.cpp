#include "packed_image.h"

#include "byte_order.h"
#include "file_io.h"
#include "packed_chain.h"
#include "rom_file.h"
#include "save_title.h"

namespace {

constexpr std::size_t TITLE_OFFSET = 16;

int failBlank(PackedSaveImage& image, int code)
{
    blankPackedImage(image);
    return code;
}

}  // namespace

std::vector<PackedRecordInfo> packedRecords(const PackedSaveImage& image)
{
    std::vector<PackedRecordInfo> list;
    for (const ChainRecord& r : walkPackedChain(image).records) {
        const unsigned char* header = image.data() + r.offset;
        PackedRecordInfo info;
        info.offset = r.offset;
        info.size = static_cast<std::uint16_t>(r.size);
        info.type = r.type;
        info.compressedLength = getLe32(header + 4);
        info.romChecksum = getLe32(header + 12);
        info.title = titleFieldText(header + TITLE_OFFSET, PACKED_TITLE_SIZE);
        list.push_back(std::move(info));
    }
    return list;
}

void blankPackedImage(PackedSaveImage& image)
{
    image.fill(0);
    putLe32(image.data(), PACKED_IMAGE_MAGIC);
}

int readPackedImage(const std::string& path, PackedSaveImage& image)
{
    const std::int32_t size = fileSize(path);
    if (size == 0) return failBlank(image, isNonRegularFile(path) ? 3 : 1);
    if (static_cast<std::size_t>(size) != PACKED_IMAGE_SIZE) return failBlank(image, 2);
    InFile in(path);
    if (!in.isOpen()) return failBlank(image, 3);
    if (in.read(image.data(), PACKED_IMAGE_SIZE) != PACKED_IMAGE_SIZE) return failBlank(image, 3);
    if (getLe32(image.data()) != PACKED_IMAGE_MAGIC) return failBlank(image, 2);
    if (!walkPackedChain(image).valid) return failBlank(image, 2);
    return 0;
}

int writePackedImage(const std::string& path, PackedSaveImage& image, int* reason)
{
    putLe32(image.data(), PACKED_IMAGE_MAGIC);
    const int err = replaceFileWith(path, image.data(), image.size());
    if (reason != nullptr) *reason = err;
    return err == 0 ? 0 : 1;
}

int setPackedTitle(PackedSaveImage& image, int index, std::string_view title)
{
    const PackedChain chain = walkPackedChain(image);
    const ChainRecord* record = chainRecordAt(chain, index);
    if (record == nullptr) return 1;
    storeTitleField(image.data() + record->offset + TITLE_OFFSET, PACKED_TITLE_SIZE,
                    fitCp932Title(title, SAVE_TITLE_MAX_BYTES));
    return 0;
}
