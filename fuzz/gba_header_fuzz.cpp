// SPDX-License-Identifier: GPL-3.0-or-later
// The GBA header fixer on an image of any size and any header texts: the
// first 192 bytes become a header the GBA accepts (entry branch, boot logo,
// fixed value, complement check), a shorter image grows to 192 bytes, and
// nothing after the header changes.
#include "fuzz_support.h"

#include "gba_header.h"
#include "report.h"

#include <algorithm>

namespace {

constexpr std::size_t HEADER_SIZE = 192;

// The GBA's own check of bytes 0xA0-0xBC against the complement at 0xBD.
bool complementHolds(const std::string& h)
{
    unsigned sum = 0;
    for (std::size_t i = 0xA0; i <= 0xBC; ++i) sum += static_cast<unsigned char>(h[i]);
    return static_cast<unsigned char>(h[0xBD]) == ((0u - sum - 0x19u) & 0xFFu);
}

// A header text field: the text up to its first NUL, cut to the field,
// zero-padded.
std::string field(std::string_view text, std::size_t size)
{
    std::string f(text.substr(0, std::min(text.find('\0'), size)));
    f.resize(size, '\0');
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::string title = in.text();
    const std::string gameCode = in.text();
    const std::string makerCode = in.text();
    const std::string image = in.rest();

    const std::string path = scratchDir() + "image.gba";
    putFile(path, image);
    CollectedReport report;
    FUZZ_CHECK(fixGbaHeader(path, title, gameCode, makerCode, report) == HeaderFix::Rewritten && report.problems.empty());
    const std::string fixed = fileBytes(path);
    FUZZ_CHECK(fixed.size() == std::max(image.size(), HEADER_SIZE));
    FUZZ_CHECK(fixed.compare(0, 4, "\x2E\x00\x00\xEA", 4) == 0);
    FUZZ_CHECK(std::equal(GBA_BOOT_LOGO.begin(), GBA_BOOT_LOGO.end(), fixed.begin() + 4,
                          [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); }));
    FUZZ_CHECK(fixed.substr(0xA0, 12) == field(title, 12));
    FUZZ_CHECK(fixed.substr(0xAC, 4) == field(gameCode, 4));
    FUZZ_CHECK(fixed.substr(0xB0, 2) == field(makerCode, 2));
    FUZZ_CHECK(static_cast<unsigned char>(fixed[0xB2]) == 0x96);
    FUZZ_CHECK(complementHolds(fixed));
    if (image.size() > HEADER_SIZE) FUZZ_CHECK(fixed.compare(HEADER_SIZE, std::string::npos, image, HEADER_SIZE) == 0);
    removeFile(path);
    return 0;
}
