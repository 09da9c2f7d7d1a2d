// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom_file.h"

#include "archive_path.h"
#include "archive_reader.h"
#include "file_io.h"
#include "path_text.h"
#include "report.h"
#include "rom_dump_check.h"
#include "rom_source.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>

namespace {

constexpr std::array<unsigned char, 4> INES_MAGIC = {0x4E, 0x45, 0x53, 0x1A};

constexpr std::size_t COPY_BUFFER_SIZE = 256 * 1024;
// The bytes of an iNES header the repair may change lie within these.
constexpr std::size_t REPAIR_SPAN = 8;

// Repairs byte 7 of an iNES header at the start of head (size bytes).
void repairHeader(unsigned char* head, std::size_t size)
{
    if (size >= REPAIR_SPAN && hasInesMagic(head) && (head[7] & 0x0F) != 0) {
        // An NES 2.0 header's low bits mark its format; zeroing the whole
        // byte would lose the mapper's high four bits.
        head[7] = isNes20Header(head[7]) ? head[7] & 0xF0 : 0;
    }
}

}  // namespace

bool hasInesMagic(const unsigned char* bytes)
{
    return std::memcmp(bytes, INES_MAGIC.data(), INES_MAGIC.size()) == 0;
}

bool isNes20Header(unsigned char byte7)
{
    return (byte7 & 0x0C) == 0x08;
}

NesProbe probeNesHeader(const unsigned char* bytes, std::size_t size, NesRomProbe& probe)
{
    std::array<unsigned char, INES_PROBE_SIZE> header{};
    std::memcpy(header.data(), bytes, std::min(size, header.size()));
    if (size < INES_MAGIC.size() || !hasInesMagic(header.data())) return NesProbe::NotNes;
    probe.nes20 = isNes20Header(header[7]);
    probe.mapper = (header[7] & 0xF0) | (header[6] >> 4);
    if (probe.nes20) probe.mapper |= (header[8] & 0x0F) << 8;
    probe.battery = (header[6] >> 1) & 1;
    probe.repairedMapper = probe.mapper;
    if (size >= REPAIR_SPAN && (header[7] & 0x0F) != 0 && !probe.nes20) probe.repairedMapper = header[6] >> 4;
    probe.promisedBytes = inesPromisedBytes(header.data(), std::min(size, header.size()));
    return NesProbe::Nes;
}

std::string romExtensionOf(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return "???";
    return std::string(path.substr(dot + 1));
}

int mapperInImage(const std::string& path, const NesRomProbe& probe)
{
    return compareNoCase(romExtensionOf(path), "nes") == 0 ? probe.repairedMapper : probe.mapper;
}

namespace {

// An archive member is probed from what a listing of its archive saw: one
// read of the archive serves every member of it, in whatever order they
// are probed, and a member the archive says is too large is refused before
// its header is looked at.
NesProbe probeArchiveMember(const std::string& archive, const std::string& member, NesRomProbe& probe,
                            ArchiveMemberReader* archives)
{
    ArchiveMemberReader own;
    ArchiveMemberReader& reader = archives != nullptr ? *archives : own;
    const ArchiveMember* found = nullptr;
    const ArchiveProblem problem = reader.peek(archive, member, &found);
    if (problem != ArchiveProblem::None) {
        probe.errorNumber = archiveMemberErrorNumber(problem, reader.errorNumber());
        probe.reason = reader.reason();
        return NesProbe::Unreadable;
    }
    probe.size = found->size;
    return probeNesHeader(found->head.data(), found->headSize, probe);
}

}  // namespace

NesProbe probeNesRom(const std::string& path, NesRomProbe& probe, ArchiveMemberReader* archives)
{
    probe = NesRomProbe{};
    std::string archive;
    std::string member;
    if (splitArchiveEntry(path, archive, member)) return probeArchiveMember(archive, member, probe, archives);
    RomSource file(path, archives);
    if (!file.isOpen()) {
        probe.errorNumber = file.errorNumber();
        probe.reason = file.reason();
        return NesProbe::Unreadable;
    }
    probe.size = file.size();
    std::array<unsigned char, INES_PROBE_SIZE> header{};
    const std::size_t got = file.read(header.data(), header.size());
    if (file.errorNumber() != 0) {
        probe.errorNumber = file.errorNumber();
        probe.reason = file.reason();
        return NesProbe::Unreadable;
    }
    return probeNesHeader(header.data(), got, probe);
}

NesProbe probeNesRom(const std::string& path, int& mapper, int& battery, bool* nes20)
{
    NesRomProbe probe;
    const NesProbe result = probeNesRom(path, probe);
    if (result != NesProbe::Nes) return result;
    mapper = probe.mapper;
    battery = probe.battery;
    if (nes20 != nullptr) *nes20 = probe.nes20;
    return NesProbe::Nes;
}

int copyRomSource(OutFile& image, RomSource& source, std::int64_t bytes, std::string_view extension,
                  std::vector<char>& buffer, const std::function<bool(std::int64_t)>& copied, std::int64_t keep)
{
    if (buffer.size() < COPY_BUFFER_SIZE) buffer.resize(COPY_BUFFER_SIZE);
    const bool repair = compareNoCase(extension, "nes") == 0;
    const std::int64_t upTo = keep >= 0 && keep < bytes ? keep : bytes;
    const bool whole = upTo == bytes;
    std::int64_t done = 0;
    // A plain file's first bytes, the span a repair may change, are read
    // here; the kernel copies the rest while it can (and only once no byte
    // read ahead is waiting, so nothing is skipped).
    bool direct = source.isPlainFile();
    // Copying a whole file, one byte more than promised is asked for at the
    // end: getting it means the file grew, and what was copied is not the file.
    while (done <= upTo) {
        if (direct && done > 0 && done < upTo && source.fileDescriptor() >= 0) {
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::int64_t>(upTo - done, static_cast<std::int64_t>(buffer.size())));
            const std::size_t moved = image.appendFromFile(source.fileDescriptor(), want);
            if (moved > 0) {
                done += static_cast<std::int64_t>(moved);
                if (copied && !copied(done)) return ECANCELED;
                continue;
            }
            direct = false;
        }
        const auto left = static_cast<std::uint64_t>(upTo - done) + (whole ? 1 : 0);
        if (left == 0) break;
        const std::size_t part = direct && done == 0 ? REPAIR_SPAN : buffer.size();
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, part));
        const std::size_t got = source.read(buffer.data(), want);
        if (source.errorNumber() != 0) return source.errorNumber();
        if (static_cast<std::int64_t>(got) > upTo - done) return FILE_CHANGED;
        if (got == 0) break;
        auto* data = reinterpret_cast<unsigned char*>(buffer.data());
        if (repair && done == 0) repairHeader(data, got);
        image.write(data, got);
        done += static_cast<std::int64_t>(got);
        if (copied && !copied(done)) return ECANCELED;
        if (got < want) break;
    }
    return done == upTo ? 0 : FILE_CHANGED;
}

FileAppend appendFile(OutFile& image, const std::string& path, std::string_view extension, Report& report)
{
    RomSource file(path);
    if (!file.isOpen()) {
        report.problem(path, file.reason());
        return FileAppend::NotOpened;
    }
    std::vector<char> buffer;
    const int err = copyRomSource(image, file, file.size(), extension, buffer);
    if (err != 0) {
        // The copy is not the file: the output must not pass as complete.
        report.problem(path, file.reasonOf(err));
        image.fail(err);
    }
    return FileAppend::Copied;
}

std::int32_t fileSize(const std::string& path, Report& report)
{
    const FileFacts facts = fileFactsOf(path);
    if (facts.problem != 0) {
        report.fileProblem(path, facts.problem);
        return 0;
    }
    if (facts.size > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(facts.size);
}
