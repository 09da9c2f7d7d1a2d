#include "image_writer.h"

#include "byte_order.h"
#include "file_io.h"
#include "gba_header.h"
#include "ini_profile.h"
#include "path_text.h"
#include "record_magic.h"
#include "rom_file.h"
#include "rom_list.h"
#include "sjis.h"
#include "text_encoding.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <sys/stat.h>
#include <vector>

namespace {

// Korvalinde file record: magic, 32-byte name, 4-byte ext, size; then the
// data, padded to a multiple of 4.
constexpr std::size_t KVL_HEADER_SIZE = 44;
constexpr std::size_t KVL_NAME_OFFSET = 4;
constexpr std::size_t KVL_EXT_OFFSET = 36;
constexpr std::size_t KVL_SIZE_OFFSET = 40;
constexpr std::size_t KVL_EXT_MAX = 3;

// PocketNES ROM header: 32-byte title, size, flags, follow, slot; no padding.
constexpr std::size_t POCKET_HEADER_SIZE = 48;
constexpr std::size_t POCKET_SIZE_OFFSET = 32;
constexpr std::size_t POCKET_FLAGS_OFFSET = 36;
constexpr std::size_t POCKET_FOLLOW_OFFSET = 40;
constexpr std::size_t POCKET_SLOT_OFFSET = 44;

// Names and titles keep at most 31 bytes, so their 32-byte field always ends in a zero.
constexpr std::size_t NAME_MAX = 31;

constexpr std::size_t END_RECORD_SIZE = 44;

// Copies at most max bytes of text (up to an embedded zero) into a zeroed field.
void putText(unsigned char* field, std::string_view text, std::size_t max)
{
    for (std::size_t i = 0; i < text.size() && i < max && text[i] != '\0'; ++i) {
        field[i] = static_cast<unsigned char>(text[i]);
    }
}

// What a record takes besides its data, in either layout: the header before
// the data and the zeros after it. The writer and exactImageSize both ask here.
std::size_t recordHeaderSize(bool pocketNes)
{
    return pocketNes ? POCKET_HEADER_SIZE : KVL_HEADER_SIZE;
}

std::size_t recordPadding(std::uint32_t size, bool pocketNes)
{
    return pocketNes ? 0 : (4 - size % 4) % 4;
}

std::int64_t recordSize(std::uint32_t size, bool pocketNes)
{
    return static_cast<std::int64_t>(recordHeaderSize(pocketNes)) + size + recordPadding(size, pocketNes);
}

// The size a record header announces for an existing regular file, without
// the error line fileSize gives for a missing one: that file's record is empty.
std::uint32_t quietFileSize(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    if (st.st_size > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::uint32_t>(st.st_size);
}

// What follows the last dot of the whole path, folder names included, or
// "???" without a dot.
std::string extensionOf(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return "???";
    return std::string(path.substr(dot + 1));
}

void printProgress(std::string_view a, std::string_view b, std::string_view c)
{
    std::printf("%s %s %s\n", std::string(a).c_str(), std::string(b).c_str(), std::string(c).c_str());
}

// The size a record header announces for path. A missing file gives 0 (after
// its error line): its record carries no data and the image goes on. A file
// that exists but can't be read (a folder, FIFO or device among them), or is
// too large for the size field, is refused: its header would promise data
// that never follows and break the chain of records.
bool sourceSize(const std::string& path, std::int32_t& size)
{
    const int problem = regularFileProblem(path);
    if (problem != 0 && problem != ENOENT && problem != ENOTDIR) {
        reportFileError(path, problem);
        return false;
    }
    size = fileSize(path);
    if (size == 0) return true;
    if (size == std::numeric_limits<std::int32_t>::max()) {
        reportFileError(path, EFBIG);
        return false;
    }
    const InFile probe(path);
    if (!probe.isOpen()) {
        reportFileError(path, probe.errorNumber());
        return false;
    }
    return true;
}

// The data of a record. Nothing is copied for a size of 0: the header
// promised no data, whatever the path may yield.
bool copyData(OutFile& image, const std::string& path, std::int32_t size, std::string_view extension)
{
    if (size == 0) return true;
    int openError = 0;
    if (appendFile(image, path, extension, &openError) == 0) {
        reportFileError(path, openError);
        return false;
    }
    return true;
}

// Replacing the output destroys the file it names; when that file is the
// configuration, the shell, an extra file or a ROM, that input would be lost.
bool outputIsAnInput(const std::string& outputPath, const std::string& configPath,
                     const std::string& shellPath, const std::vector<std::string>& extraPaths,
                     const RomList* list)
{
    if (isSameFile(outputPath, configPath) || isSameFile(outputPath, shellPath)) return true;
    for (const std::string& path : extraPaths) {
        if (isSameFile(outputPath, path)) return true;
    }
    for (const RomEntry* e = list != nullptr ? list->head : nullptr; e != nullptr; e = e->next) {
        if (isSameFile(outputPath, e->path)) return true;
    }
    return false;
}

// Writes the whole image into out; false when it can't be completed (the
// reason is on the error output, or in out when the output itself failed).
bool writeImageBody(OutFile& image, const std::string& programDir, const IniSnapshot& config,
                    const std::string& configPath, const std::string& section, const std::string& shellPath,
                    const std::vector<std::string>& extraValues, const RomList* list)
{
    int openError = 0;
    if (appendFile(image, shellPath, "bin", &openError) == 0) {
        reportFileError(shellPath, openError);
        return false;
    }
    if (image.failed()) return false;

    const bool pocketNes = isPocketNesSection(config, section);
    for (std::size_t n = 0; n < extraValues.size(); ++n) {
        ExtraFile extra;
        if (!splitExtraFile(extraValues[n], extra)) {
            std::fprintf(stderr, "%s: [%s] file%zu=%s lacks its path,name,ext commas\n",
                         configPath.c_str(), section.c_str(), n, extraValues[n].c_str());
            return false;
        }
        if (writeExtraFileRecord(image, programDir + extra.path, extra.name, extra.ext, pocketNes) != 0) {
            return false;
        }
        if (image.failed()) return false;
    }

    for (const RomEntry* e = list != nullptr ? list->head : nullptr; e != nullptr; e = e->next) {
        if (writeRomRecord(image, *e, pocketNes) != 0) return false;
        if (image.failed()) return false;
    }
    writeEndRecord(image);
    return !image.failed();
}

}  // namespace

int writeExtraFileRecord(OutFile& image, const std::string& path, std::string_view name,
                         std::string_view extension, bool pocketNes)
{
    printProgress(path, name, extension);
    std::int32_t size = 0;
    if (!sourceSize(path, size)) return 1;
    const auto usize = static_cast<std::uint32_t>(size);
    if (pocketNes) {
        std::array<unsigned char, POCKET_HEADER_SIZE> header{};
        putText(header.data(), name, NAME_MAX);
        putLe32(header.data() + POCKET_SIZE_OFFSET, usize);
        image.write(header.data(), recordHeaderSize(true));
        return copyData(image, path, size, extension) ? 0 : 1;
    }
    std::array<unsigned char, KVL_HEADER_SIZE> header{};
    putLe32(header.data(), FILE_RECORD_MAGIC);
    putText(header.data() + KVL_NAME_OFFSET, name, NAME_MAX);
    putText(header.data() + KVL_EXT_OFFSET, extension, KVL_EXT_MAX);
    putLe32(header.data() + KVL_SIZE_OFFSET, usize);
    image.write(header.data(), recordHeaderSize(false));
    if (!copyData(image, path, size, extension)) return 1;
    image.writeZeros(recordPadding(usize, false));
    return 0;
}

int writeRomRecord(OutFile& image, const RomEntry& entry, bool pocketNes)
{
    const std::string extension = extensionOf(entry.path);
    const std::string title = entry.title.value_or(std::string());
    // Korvalinde records carry EUC-JP; when the conversion can't be made the
    // name stays empty.
    const std::string eucTitle = sjisToEuc(title).value_or(std::string());
    // The progress line is platform text.
    printProgress(entry.path, cp932ToUtf8(title), extension);

    std::int32_t size = 0;
    if (!sourceSize(entry.path, size)) return 1;
    const auto usize = static_cast<std::uint32_t>(size);
    if (pocketNes) {
        std::array<unsigned char, POCKET_HEADER_SIZE> header{};
        putText(header.data(), entry.pocketTitle.value_or(std::string()), NAME_MAX);
        putLe32(header.data() + POCKET_SIZE_OFFSET, usize);
        putLe32(header.data() + POCKET_FLAGS_OFFSET, static_cast<std::uint32_t>(entry.pocketFlags));
        putLe32(header.data() + POCKET_FOLLOW_OFFSET, static_cast<std::uint32_t>(entry.pocketFollow));
        putLe32(header.data() + POCKET_SLOT_OFFSET, static_cast<std::uint32_t>(entry.pocketSlot));
        image.write(header.data(), recordHeaderSize(true));
        return copyData(image, entry.path, size, extension) ? 0 : 1;
    }
    std::array<unsigned char, KVL_HEADER_SIZE> header{};
    putLe32(header.data(), FILE_RECORD_MAGIC);
    putText(header.data() + KVL_NAME_OFFSET, eucTitle, NAME_MAX);
    putText(header.data() + KVL_EXT_OFFSET, extension, KVL_EXT_MAX);
    putLe32(header.data() + KVL_SIZE_OFFSET, usize);
    image.write(header.data(), recordHeaderSize(false));
    if (!copyData(image, entry.path, size, extension)) return 1;
    image.writeZeros(recordPadding(usize, false));
    return 0;
}

void writeEndRecord(OutFile& image)
{
    std::array<unsigned char, END_RECORD_SIZE> record{};
    putLe32(record.data(), END_RECORD_MAGIC);
    image.write(record.data(), record.size());
}

std::int64_t exactImageSize(const std::string& programDir, const RomList* list, std::string_view variant)
{
    const std::string section(variant.empty() ? DEFAULT_VARIANT : variant);
    const IniSnapshot config = IniSnapshot::load(configPathOf(programDir));
    const bool pocketNes = isPocketNesSection(config, section);
    std::int64_t total = quietFileSize(programDir + shellFileOf(config, section));
    for (const std::string& value : extraFileValuesOf(config, section)) {
        ExtraFile extra;
        if (!splitExtraFile(value, extra)) return total;
        total += recordSize(quietFileSize(programDir + extra.path), pocketNes);
    }
    for (const RomEntry* e = list != nullptr ? list->head : nullptr; e != nullptr; e = e->next) {
        total += recordSize(quietFileSize(e->path), pocketNes);
    }
    return total + static_cast<std::int64_t>(END_RECORD_SIZE);
}

int writeImage(const std::string& programDir, const std::string& outputPath, const RomList* list,
               std::string_view variant, const GbaHeaderFields* headerFix)
{
    const std::string section(variant.empty() ? DEFAULT_VARIANT : variant);
    const std::string configPath = configPathOf(programDir);
    const IniSnapshot config = IniSnapshot::load(configPath);
    const std::string shellPath = programDir + shellFileOf(config, section);
    const std::vector<std::string> extraValues = extraFileValuesOf(config, section);

    std::vector<std::string> extraPaths;
    for (const std::string& value : extraValues) {
        ExtraFile extra;
        if (splitExtraFile(value, extra)) extraPaths.push_back(programDir + extra.path);
    }
    if (outputIsAnInput(outputPath, configPath, shellPath, extraPaths, list)) {
        std::fprintf(stderr, "%s: is one of the image's own input files\n", outputPath.c_str());
        return 1;
    }

    // The image grows in a temporary file beside the output and takes the
    // output's place only when complete, so a failed build leaves the
    // previous image as it was and no partial file.
    AtomicFile image;
    if (!image.open(outputPath)) {
        reportFileError(outputPath, image.errorNumber());
        return 1;
    }
    const bool written = writeImageBody(image.stream(), programDir, config, configPath, section, shellPath,
                                        extraValues, list);
    if (written && headerFix != nullptr) {
        writeGbaHeader(image.stream(), headerFix->title, headerFix->gameCode, headerFix->makerCode);
    }
    if (!written || image.failed()) {
        if (image.failed()) reportFileError(outputPath, image.errorNumber());
        return 1;
    }
    if (!image.commit()) {
        reportFileError(outputPath, image.errorNumber());
        return 1;
    }
    return 0;
}
