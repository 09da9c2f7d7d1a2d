// SPDX-License-Identifier: GPL-3.0-or-later
// NES ROM files: any bytes probed as a ROM, copied into an image with the
// header repair (whole, and trimmed to what the header promises), and summed
// for the packed save's ROM checksum. The copy changes nothing but the iNES
// header of a ".nes" file, a trimmed copy is the whole copy cut at the
// promise, and the checksum of the file agrees with the checksum of its bytes.
#include "fuzz_formats.h"
#include "fuzz_support.h"

#include "file_io.h"
#include "packed_image.h"
#include "path_text.h"
#include "report.h"
#include "rom_dump_check.h"
#include "rom_file.h"
#include "rom_source.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using namespace nes_fuzz;

constexpr std::size_t INES_HEADER_SIZE = 16;

bool hasMagic(const std::string& rom)
{
    return rom.size() >= 4 && std::memcmp(rom.data(), "NES\x1A", 4) == 0;
}

// The copy the image writer makes with overdumps trimmed: the header is
// read ahead to size the record, then the copy stops at the promise.
std::string trimmedCopy(const std::string& path, const std::string& extension, std::int64_t& promised)
{
    const std::string out = scratchDir() + "trimmed.gba";
    OutFile image;
    FUZZ_CHECK(image.create(out));
    RomSource source(path);
    FUZZ_CHECK(source.isOpen());
    unsigned char head[INES_PROBE_SIZE];
    const std::size_t got = source.peek(head, sizeof head);
    promised = inesPromisedBytes(head, got);
    std::vector<char> buffer;
    const std::int64_t keep = romBytesInImage(source.size(), promised, true);
    FUZZ_CHECK(copyRomSource(image, source, source.size(), extension, buffer, {}, keep) == 0);
    FUZZ_CHECK(image.close());
    return fileBytes(out);
}

void checkCopy(const std::string& path, const std::string& rom, const std::string& extension)
{
    const std::string out = scratchDir() + "image.gba";
    OutFile image;
    FUZZ_CHECK(image.create(out));
    image.write("shell", 5);
    CollectedReport report;
    FUZZ_CHECK(appendFile(image, path, extension, report) == FileAppend::Copied && report.problems.empty());
    FUZZ_CHECK(image.close());
    const std::string copied = fileBytes(out).substr(5);
    FUZZ_CHECK(copied.size() == rom.size());
    if (compareNoCase(extension, "nes") != 0 || !hasMagic(rom)) {
        FUZZ_CHECK(copied == rom);
    } else {
        // Only the header may be repaired; the magic and the data stay.
        FUZZ_CHECK(copied.compare(0, 4, rom, 0, 4) == 0);
        FUZZ_CHECK(copied.size() <= INES_HEADER_SIZE ||
                   copied.compare(INES_HEADER_SIZE, std::string::npos, rom, INES_HEADER_SIZE) == 0);
    }
    std::int64_t promised = 0;
    const std::string trimmed = trimmedCopy(path, extension, promised);
    FUZZ_CHECK(promised == 0 || hasMagic(rom));
    const std::size_t kept = promised > 0 ? std::min(rom.size(), static_cast<std::size_t>(promised)) : rom.size();
    FUZZ_CHECK(trimmed == copied.substr(0, kept));
}

void checkChecksum(const std::string& path, const std::string& rom)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(rom.data());
    const std::uint32_t ofBytes = romChecksum(bytes, rom.size());
    const bool trainer = rom.size() > 6 && (bytes[6] & 0x04) != 0;
    // A ROM with a trainer must hold the header, the trainer and 16384 bytes.
    const std::size_t needed = trainer ? INES_HEADER_SIZE + ROM_TRAINER_SIZE + ROM_CHECKSUM_MIN_SIZE
                                       : ROM_CHECKSUM_MIN_SIZE;
    std::uint32_t ofFile = 0;
    const SaveResult code = romFileChecksum(path, ofFile);
    FUZZ_CHECK(code == (rom.size() < needed ? SaveCode::RomTooSmall : SaveCode::Done));
    if (code.ok()) FUZZ_CHECK(ofFile == ofBytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t choice = in.byte();
    const std::string extension = EXTENSIONS[choice & 7];
    std::string rom = in.rest();
    const std::size_t padded = PADDED_SIZES[(choice >> 3) & 7];
    if (rom.size() < padded) rom.resize(padded, '\0');

    const std::string path = scratchDir() + "game." + extension;
    putFile(path, rom);
    int mapper = -1;
    int battery = -1;
    const NesProbe probed = probeNesRom(path, mapper, battery);
    FUZZ_CHECK(probed == (hasMagic(rom) ? NesProbe::Nes : NesProbe::NotNes));
    if (probed == NesProbe::Nes) FUZZ_CHECK(mapper >= 0 && mapper <= 4095 && (battery == 0 || battery == 1));

    checkCopy(path, rom, extension);
    checkChecksum(path, rom);
    removeFile(path);
    return 0;
}
