// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_writer.h"

#include "archive_path.h"
#include "archive_reader.h"
#include "byte_order.h"
#include "file_io.h"
#include "gba_header.h"
#include "image_messages.h"
#include "image_padding.h"
#include "ini_profile.h"
#include "path_text.h"
#include "record_magic.h"
#include "rom_dump_check.h"
#include "rom_file.h"
#include "report.h"
#include "rom_list.h"
#include "rom_source.h"
#include "sjis.h"
#include "splash_screen.h"
#include "text_encoding.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
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

// The fields fill their headers exactly: a name field of 32 bytes (NAME_MAX
// and its zero), the ext field of 4, and each number a 32-bit word.
static_assert(KVL_EXT_OFFSET - KVL_NAME_OFFSET == NAME_MAX + 1);
static_assert(KVL_SIZE_OFFSET - KVL_EXT_OFFSET == KVL_EXT_MAX + 1);
static_assert(KVL_SIZE_OFFSET + 4 == KVL_HEADER_SIZE);
static_assert(POCKET_SIZE_OFFSET == NAME_MAX + 1);
static_assert(POCKET_FLAGS_OFFSET == POCKET_SIZE_OFFSET + 4 && POCKET_FOLLOW_OFFSET == POCKET_FLAGS_OFFSET + 4);
static_assert(POCKET_SLOT_OFFSET + 4 == POCKET_HEADER_SIZE);
// The end record has the Korvalinde record's size in both layouts.
static_assert(END_RECORD_SIZE == KVL_HEADER_SIZE);

// Copies at most max bytes of text (up to an embedded zero) into a zeroed field.
void putText(unsigned char* field, std::string_view text, std::size_t max)
{
    for (std::size_t i = 0; i < text.size() && i < max && text[i] != '\0'; ++i) {
        field[i] = static_cast<unsigned char>(text[i]);
    }
}

// The header fields both kinds of record share, in each layout: a
// Korvalinde header's magic, name, extension and size; a PocketNES header's
// title and size.
void putKvlHeader(unsigned char* header, std::string_view name, std::string_view extension, std::uint32_t size)
{
    putLe32(header, FILE_RECORD_MAGIC);
    putText(header + KVL_NAME_OFFSET, name, NAME_MAX);
    putText(header + KVL_EXT_OFFSET, extension, KVL_EXT_MAX);
    putLe32(header + KVL_SIZE_OFFSET, size);
}

void putPocketHeader(unsigned char* header, std::string_view title, std::uint32_t size)
{
    putText(header, title, NAME_MAX);
    putLe32(header + POCKET_SIZE_OFFSET, size);
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

// The image is sent on its way to the disk at steps of this many bytes as it
// grows (AtomicFile::writeBack), so the progress shown is the disk's.
constexpr std::int64_t WRITE_BACK_STEP = 4 * 1024 * 1024;

// Where the writer stands: the image, the report, how many of the image's
// bytes are written of how many, and the copy's working memory.
class ImageOutput {
public:
    // total 0: the size is not known and no progress is reported.
    ImageOutput(OutFile& image, Report& report, std::int64_t total) : image_(image), report_(report), total_(total) {}
    // The same for a whole image written through file, sent on its way to
    // the disk as it grows; archives (when given) reads its archive members.
    ImageOutput(AtomicFile& file, Report& report, std::int64_t total, ArchiveMemberReader* archives)
        : image_(file.stream()), report_(report), total_(total), file_(&file), shared_(archives)
    {
    }

    OutFile& image() { return image_; }
    Report& report() { return report_; }
    std::vector<char>& buffer() { return buffer_; }
    // One reader serves every archive member of the image: members of one
    // archive listed in its order are read in one pass over it.
    ArchiveMemberReader& archives() { return shared_ != nullptr ? *shared_ : archives_; }

    // Tells the report that written bytes are done; false when it asked to
    // stop (then for good).
    bool reachedByte(std::int64_t written)
    {
        if (file_ != nullptr && written - sentTo_ >= WRITE_BACK_STEP) {
            file_->writeBack();
            sentTo_ = written;
        }
        if (total_ <= 0 || cancelled_) return !cancelled_;
        if (!report_.progress(written, std::max(written, total_))) cancelled_ = true;
        return !cancelled_;
    }
    std::int64_t written() const { return written_; }
    bool advance(std::int64_t bytes)
    {
        written_ += bytes;
        return reachedByte(written_);
    }

private:
    OutFile& image_;
    Report& report_;
    std::int64_t total_;
    AtomicFile* file_ = nullptr;
    std::int64_t sentTo_ = 0;
    std::int64_t written_ = 0;
    std::vector<char> buffer_;
    ArchiveMemberReader archives_;
    ArchiveMemberReader* shared_ = nullptr;
    bool cancelled_ = false;
};

// One record: its source opened once, the header that layout and size give,
// the data and the padding. A missing file gives 0 bytes (after the report
// heard so): its record carries no data and the image goes on. A file that
// exists but can't be read (a folder, FIFO or device among them), is too
// large for the size field, or changes while it is copied is refused: its
// header would promise data that never follow and break the chain of
// records.
// With trimOverdump, a file longer than its iNES header promises is
// written only as far as the promise, read from the header it copies. A
// record ends written, failed or cancelled, as an image does.
template <typename FillHeader>
ImageWrite writeRecord(ImageOutput& out, const std::string& path, std::string_view extension, bool pocketNes,
                       bool trimOverdump, FillHeader fillHeader)
{
    RomSource source(path, &out.archives());
    std::int64_t size = 0;
    std::int64_t dataBytes = 0;
    if (source.isOpen()) {
        size = source.size();
        if (size >= std::numeric_limits<std::int32_t>::max()) {
            out.report().fileProblem(path, EFBIG);
            return ImageWrite::Failed;
        }
        dataBytes = size;
        if (trimOverdump && size > 0) {
            std::array<unsigned char, INES_PROBE_SIZE> head{};
            const std::size_t got = source.peek(head.data(), head.size());
            if (source.errorNumber() != 0) {
                out.report().problem(path, source.reason());
                return ImageWrite::Failed;
            }
            dataBytes = romBytesInImage(size, inesPromisedBytes(head.data(), got), true);
        }
    } else {
        const int err = source.errorNumber();
        out.report().problem(path, source.reason());
        if (err != ENOENT && err != ENOTDIR) return ImageWrite::Failed;
    }
    const auto usize = static_cast<std::uint32_t>(dataBytes);
    std::array<unsigned char, std::max(KVL_HEADER_SIZE, POCKET_HEADER_SIZE)> header{};
    fillHeader(header.data(), usize);
    const std::size_t headerSize = recordHeaderSize(pocketNes);
    out.image().write(header.data(), headerSize);
    const std::int64_t dataStart = out.written() + static_cast<std::int64_t>(headerSize);
    if (size > 0) {
        const int err = copyRomSource(
            out.image(), source, size, extension, out.buffer(),
            [&](std::int64_t copied) { return out.reachedByte(dataStart + copied); }, dataBytes);
        if (err == ECANCELED) return ImageWrite::Cancelled;
        if (err != 0) {
            // The image fails for this reason alone; the output itself is fine.
            out.report().problem(path, source.reasonOf(err));
            return ImageWrite::Failed;
        }
    }
    const std::size_t padding = recordPadding(usize, pocketNes);
    out.image().writeZeros(padding);
    return out.advance(static_cast<std::int64_t>(headerSize + padding) + dataBytes) ? ImageWrite::Written
                                                                                    : ImageWrite::Cancelled;
}

ImageWrite extraFileRecord(ImageOutput& out, const std::string& path, std::string_view name,
                           std::string_view extension, bool pocketNes)
{
    out.report().recordStarted(path, std::string(name), std::string(extension));
    return writeRecord(out, path, extension, pocketNes, false, [&](unsigned char* header, std::uint32_t size) {
        if (pocketNes) {
            putPocketHeader(header, name, size);
        } else {
            putKvlHeader(header, name, extension, size);
        }
    });
}

ImageWrite romRecord(ImageOutput& out, const RomEntry& entry, bool pocketNes, bool trimOverdump)
{
    const std::string extension = romExtensionOf(entry.path);
    const std::string title = entry.title.value_or(std::string());
    // The record line is platform text.
    out.report().recordStarted(entry.path, cp932ToUtf8(title), extension);
    const auto fillHeader = [&](unsigned char* header, std::uint32_t size) {
        if (pocketNes) {
            putPocketHeader(header, entry.pocketTitle.value_or(std::string()), size);
            putLe32(header + POCKET_FLAGS_OFFSET, static_cast<std::uint32_t>(entry.pocketFlags));
            putLe32(header + POCKET_FOLLOW_OFFSET, static_cast<std::uint32_t>(entry.pocketFollow));
            putLe32(header + POCKET_SLOT_OFFSET, static_cast<std::uint32_t>(entry.pocketSlot));
            return;
        }
        // Korvalinde records carry EUC-JP; when the conversion can't be made
        // the name stays empty.
        putKvlHeader(header, sjisToEuc(title).value_or(std::string()), extension, size);
    };
    return writeRecord(out, entry.path, extension, pocketNes, trimOverdump, fillHeader);
}

// What the variant's section asks for, and what the files it names are now.
struct ImagePlan {
    std::string section;
    std::string configPath;
    std::string shellPath;
    bool pocketNes = false;
    // The splash screen to write after the shell (PocketNES layout only).
    const std::vector<unsigned char>* splash = nullptr;
    bool trimOverdumps = false;
    std::vector<std::string> extraValues;
    // The extra files of the values that split, up to the first that does not.
    std::vector<ExtraFile> extras;
    bool badExtraValue = false;
    // What each input file is now: the configuration, the shell, the extra
    // files, then the ROMs in list order.
    std::vector<FileFacts> inputs;
    // The bytes the writer writes (see exactImageSize).
    std::int64_t size = 0;
};

// The size a record header announces for a file as it stands: a missing or
// unusable file counts as empty (the writer refuses the unusable ones).
std::uint32_t announcedSize(const FileFacts& facts)
{
    if (facts.problem != 0) return 0;
    if (facts.size > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::uint32_t>(facts.size);
}

// What a ROM entry's input is now. An archive member stands for its archive,
// which a new image must not replace, with the member's size as listed:
// finding it again would read the archive on every look.
FileFacts romInputFacts(const RomEntry& entry)
{
    std::string archive;
    std::string member;
    if (!splitArchiveEntry(entry.path, archive, member)) return fileFactsOf(entry.path);
    FileFacts facts = fileFactsOf(archive);
    if (facts.problem == 0) facts.size = entry.sourceBytes;
    return facts;
}

// Looks at every input once: one look serves the exact size and the check
// that the output is none of them.
ImagePlan planImage(const std::string& programDir, const IniSnapshot& config, const RomList* list,
                    std::string_view variant, const ImageExtras& extras)
{
    ImagePlan plan;
    plan.section = std::string(variant.empty() ? DEFAULT_VARIANT : variant);
    plan.configPath = configPathOf(programDir);
    plan.shellPath = programDir + shellFileOf(config, plan.section);
    plan.pocketNes = isPocketNesSection(config, plan.section);
    plan.splash = extras.splash;
    plan.trimOverdumps = extras.trimOverdumps;
    plan.extraValues = extraFileValuesOf(config, plan.section);
    for (const std::string& value : plan.extraValues) {
        ExtraFile extra;
        if (!splitExtraFile(value, extra)) {
            plan.badExtraValue = true;
            break;
        }
        plan.extras.push_back(std::move(extra));
    }

    plan.inputs.push_back(fileFactsOf(plan.configPath));
    plan.inputs.push_back(fileFactsOf(plan.shellPath));
    plan.size = announcedSize(plan.inputs.back());
    if (plan.splash != nullptr && plan.pocketNes) plan.size += static_cast<std::int64_t>(SPLASH_BYTES);
    for (const ExtraFile& extra : plan.extras) {
        plan.inputs.push_back(fileFactsOf(programDir + extra.path));
        plan.size += recordSize(announcedSize(plan.inputs.back()), plan.pocketNes);
    }
    if (plan.badExtraValue) return plan;
    for (const RomEntry* e = list != nullptr ? list->head : nullptr; e != nullptr; e = e->next) {
        if (!e->unreadable.empty()) continue;  // kept in the list, left out of the image
        plan.inputs.push_back(romInputFacts(*e));
        const std::int64_t bytes = romBytesInImage(announcedSize(plan.inputs.back()), e->promisedBytes,
                                                   plan.trimOverdumps);
        plan.size += recordSize(static_cast<std::uint32_t>(bytes), plan.pocketNes);
    }
    plan.size += static_cast<std::int64_t>(END_RECORD_SIZE);
    return plan;
}

// Replacing the output destroys the file it names; when that file is the
// configuration, the shell, an extra file or a ROM, that input would be lost.
bool outputIsAnInput(const std::string& outputPath, const ImagePlan& plan)
{
    const FileFacts output = fileFactsOf(outputPath);
    if (!output.exists) return false;
    for (const FileFacts& input : plan.inputs) {
        if (sameFile(output, input)) return true;
    }
    return false;
}

// Writes the whole image; ImageWrite::Failed when it can't be completed (the
// reason went to the report, or is in the image when the output failed).
ImageWrite writeImageBody(ImageOutput& out, const std::string& programDir, const ImagePlan& plan,
                          const RomList* list)
{
    if (!out.reachedByte(0)) return ImageWrite::Cancelled;
    RomSource shell(plan.shellPath);
    if (!shell.isOpen()) {
        out.report().problem(plan.shellPath, shell.reason());
        return ImageWrite::Failed;
    }
    const int err = copyRomSource(out.image(), shell, shell.size(), "bin", out.buffer(),
                                  [&](std::int64_t copied) { return out.reachedByte(copied); });
    if (err == ECANCELED) return ImageWrite::Cancelled;
    if (err != 0) {
        out.report().problem(plan.shellPath, shell.reasonOf(err));
        return ImageWrite::Failed;
    }
    if (out.image().failed()) return ImageWrite::Failed;
    if (!out.advance(shell.size())) return ImageWrite::Cancelled;
    // PocketNES finds its splash screen right after its own program.
    if (plan.splash != nullptr) {
        out.image().write(plan.splash->data(), plan.splash->size());
        if (out.image().failed()) return ImageWrite::Failed;
        if (!out.advance(static_cast<std::int64_t>(plan.splash->size()))) return ImageWrite::Cancelled;
    }

    for (std::size_t n = 0; n < plan.extras.size(); ++n) {
        const ExtraFile& extra = plan.extras[n];
        const ImageWrite r = extraFileRecord(out, programDir + extra.path, extra.name, extra.ext, plan.pocketNes);
        if (r != ImageWrite::Written) return r;
        if (out.image().failed()) return ImageWrite::Failed;
    }
    if (plan.badExtraValue) {
        const std::size_t n = plan.extras.size();
        out.report().problem(plan.configPath, "[" + plan.section + "] " + extraValueText(n, plan.extraValues[n]));
        return ImageWrite::Failed;
    }

    // Every archive member of the list is announced, so that each archive
    // is read once, in its own order, whatever the order of the list.
    for (const RomEntry* e = list != nullptr ? list->head : nullptr; e != nullptr; e = e->next) {
        std::string archive;
        std::string member;
        if (splitArchiveEntry(e->path, archive, member)) out.archives().expect(archive, member);
    }
    for (const RomEntry* e = list != nullptr ? list->head : nullptr; e != nullptr; e = e->next) {
        if (!e->unreadable.empty()) continue;
        const ImageWrite r = romRecord(out, *e, plan.pocketNes, plan.trimOverdumps);
        if (r != ImageWrite::Written) return r;
        if (out.image().failed()) return ImageWrite::Failed;
    }
    writeEndRecord(out.image());
    if (out.image().failed()) return ImageWrite::Failed;
    return out.advance(static_cast<std::int64_t>(END_RECORD_SIZE)) ? ImageWrite::Written : ImageWrite::Cancelled;
}

// Fills the image with 0xFF, the value of erased flash, from where the
// records end up to the padded size; after the end record, so that no
// emulator takes the padding for a record.
ImageWrite writePadding(ImageOutput& out)
{
    static const std::vector<unsigned char> fill(64 * 1024, IMAGE_PAD_BYTE);
    std::int64_t left = paddedImageSize(out.written()) - out.written();
    while (left > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(fill.size())));
        out.image().write(fill.data(), n);
        if (out.image().failed()) return ImageWrite::Failed;
        if (!out.advance(static_cast<std::int64_t>(n))) return ImageWrite::Cancelled;
        left -= static_cast<std::int64_t>(n);
    }
    return ImageWrite::Written;
}

}  // namespace

ImageWrite writeExtraFileRecord(OutFile& image, const std::string& path, std::string_view name,
                                std::string_view extension, bool pocketNes, Report& report)
{
    ImageOutput out(image, report, 0);
    const ImageWrite written = extraFileRecord(out, path, name, extension, pocketNes);
    return written == ImageWrite::Written ? written : ImageWrite::Failed;
}

void writeEndRecord(OutFile& image)
{
    std::array<unsigned char, END_RECORD_SIZE> record{};
    putLe32(record.data(), END_RECORD_MAGIC);
    image.write(record.data(), record.size());
}

std::int64_t exactImageSize(const std::string& programDir, const IniSnapshot& config, const RomList* list,
                            std::string_view variant, const ImageExtras& extras)
{
    return planImage(programDir, config, list, variant, extras).size;
}

std::int64_t exactImageSize(const std::string& programDir, const RomList* list, std::string_view variant)
{
    return exactImageSize(programDir, IniSnapshot::load(configPathOf(programDir)), list, variant);
}

ImageWrite writeImage(const std::string& programDir, const IniSnapshot& config, const std::string& outputPath,
                      const RomList* list, std::string_view variant, const GbaHeaderFields* headerFix,
                      Report& report, bool pad, const ImageExtras& extras, ArchiveMemberReader* archives)
{
    const ImagePlan plan = planImage(programDir, config, list, variant, extras);
    // Korvalinde would take a splash screen for the first record.
    if (plan.splash != nullptr && (!plan.pocketNes || plan.splash->size() != SPLASH_BYTES)) {
        report.problem(outputPath, plan.pocketNes ? splashSizeText() : splashNeedsPocketNesText(plan.section));
        return ImageWrite::Failed;
    }
    if (outputIsAnInput(outputPath, plan)) {
        report.problem(outputPath, "is " + ownInputText());
        return ImageWrite::Failed;
    }

    // The image grows in a temporary file beside the output and takes the
    // output's place only when complete, so a failed or stopped build leaves
    // the previous image as it was and no partial file.
    AtomicFile image;
    if (!image.open(outputPath)) {
        report.fileProblem(outputPath, image.errorNumber());
        return ImageWrite::Failed;
    }
    // An image can be built again from its inputs, so a new one is not
    // waited for on its way to the disk: that wait would cost more than the
    // copy. One that replaces an earlier image is, so that a crash right
    // after can't leave the user without either of them.
    image.setDurable(image.replacesAFile());
    ImageOutput out(image, report, pad ? paddedImageSize(plan.size) : plan.size, archives);
    ImageWrite body = writeImageBody(out, programDir, plan, list);
    if (body == ImageWrite::Written && pad) body = writePadding(out);
    if (body == ImageWrite::Cancelled) return ImageWrite::Cancelled;
    if (body == ImageWrite::Written && headerFix != nullptr) {
        writeGbaHeader(image.stream(), headerFix->title, headerFix->gameCode, headerFix->makerCode);
    }
    if (body != ImageWrite::Written || image.failed()) {
        if (image.failed()) report.fileProblem(outputPath, image.errorNumber());
        return ImageWrite::Failed;
    }
    if (!image.commit()) {
        report.fileProblem(outputPath, image.errorNumber());
        return ImageWrite::Failed;
    }
    return ImageWrite::Written;
}

ImageWrite writeImage(const std::string& programDir, const std::string& outputPath, const RomList* list,
                      std::string_view variant, const GbaHeaderFields* headerFix, Report& report)
{
    return writeImage(programDir, IniSnapshot::load(configPathOf(programDir)), outputPath, list, variant, headerFix,
                      report);
}
