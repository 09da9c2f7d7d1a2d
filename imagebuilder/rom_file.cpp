#include "rom_file.h"

#include "file_io.h"
#include "path_text.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>

namespace {

constexpr std::array<unsigned char, 4> INES_MAGIC = {0x4E, 0x45, 0x53, 0x1A};

bool hasInesMagic(const unsigned char* header)
{
    return std::memcmp(header, INES_MAGIC.data(), INES_MAGIC.size()) == 0;
}

constexpr std::size_t COPY_BUFFER_SIZE = 256 * 1024;

}  // namespace

bool isNes20Header(unsigned char byte7)
{
    return (byte7 & 0x0C) == 0x08;
}

int probeNesRom(const std::string& path, int& mapper, int& battery, bool* nes20)
{
    InFile file(path);
    if (!file.isOpen()) return 1;
    std::array<unsigned char, 10> header{};
    const std::size_t got = file.read(header.data(), header.size());
    if (got < INES_MAGIC.size() || !hasInesMagic(header.data())) return 2;
    const bool isNes20 = isNes20Header(header[7]);
    mapper = (header[7] & 0xF0) | (header[6] >> 4);
    if (isNes20) mapper |= (header[8] & 0x0F) << 8;
    battery = (header[6] >> 1) & 1;
    if (nes20 != nullptr) *nes20 = isNes20;
    return 0;
}

int appendFile(OutFile& image, const std::string& path, std::string_view extension, int* openError)
{
    InFile file(path);
    if (openError != nullptr) *openError = file.errorNumber();
    if (!file.isOpen()) return 0;
    std::array<unsigned char, 8> head{};
    if (compareNoCase(extension, "nes") == 0) {
        const std::size_t got = file.read(head.data(), head.size());
        if (got == head.size() && hasInesMagic(head.data()) && (head[7] & 0x0F) != 0) {
            // An NES 2.0 header's low bits mark its format; zeroing the whole
            // byte would lose the mapper's high four bits.
            head[7] = isNes20Header(head[7]) ? head[7] & 0xF0 : 0;
        }
        image.write(head.data(), got);
    }
    std::string buffer(COPY_BUFFER_SIZE, '\0');
    for (;;) {
        const std::size_t got = file.read(buffer.data(), buffer.size());
        if (got == 0) break;
        image.write(buffer.data(), got);
        if (got < buffer.size()) break;
    }
    if (file.readFailed()) {
        // The copy is shorter than the file: the output must not pass as complete.
        const int err = file.errorNumber() != 0 ? file.errorNumber() : EIO;
        reportFileError(path, err);
        image.fail(err);
    }
    return 1;
}

std::int32_t fileSize(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        reportFileError(path, errno);
        return 0;
    }
    if (!S_ISREG(st.st_mode)) {
        reportFileError(path, S_ISDIR(st.st_mode) ? EISDIR : NOT_REGULAR_FILE);
        return 0;
    }
    if (st.st_size > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(st.st_size);
}
