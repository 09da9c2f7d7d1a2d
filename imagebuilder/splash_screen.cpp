// SPDX-License-Identifier: GPL-3.0-or-later
#include "splash_screen.h"

#include "file_io.h"
#include "image_messages.h"
#include "jpeg_picture.h"
#include "rom_file.h"

#include <stb_image.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string_view>

namespace {

// The signatures of the four kinds of picture taken. The decoder knows more
// kinds, some without a signature of their own (TGA); only these reach it.
bool startsWith(const unsigned char* data, std::size_t size, std::string_view signature)
{
    return size >= signature.size() && std::memcmp(data, signature.data(), signature.size()) == 0;
}

bool isJpeg(const unsigned char* data, std::size_t size)
{
    using namespace std::string_view_literals;
    return startsWith(data, size, "\xFF\xD8\xFF"sv);
}

bool isKnownPicture(const unsigned char* data, std::size_t size)
{
    using namespace std::string_view_literals;
    return startsWith(data, size, "\x89PNG\r\n\x1A\n"sv) || isJpeg(data, size) ||
           startsWith(data, size, "BM"sv) || startsWith(data, size, "GIF87a"sv) || startsWith(data, size, "GIF89a"sv);
}

// True when every chunk of a PNG ends inside the file. stb_image makes room
// for a chunk as its length says before reading it, so a few bytes claiming
// a chunk of 2 GiB would cost 2 GiB of memory.
bool pngChunksFitTheFile(const unsigned char* data, std::size_t size)
{
    constexpr std::size_t SIGNATURE = 8;
    constexpr std::size_t LENGTH_AND_TYPE = 8;
    constexpr std::size_t CRC = 4;
    std::size_t at = SIGNATURE;
    while (at + LENGTH_AND_TYPE <= size) {
        const std::size_t length = (std::size_t{data[at]} << 24) | (std::size_t{data[at + 1]} << 16) |
                                   (std::size_t{data[at + 2]} << 8) | data[at + 3];
        if (length > size - at - LENGTH_AND_TYPE || CRC > size - at - LENGTH_AND_TYPE - length) return false;
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) break;
        at += LENGTH_AND_TYPE + length + CRC;
    }
    return true;
}

bool pictureTooLarge(int w, int h, std::int64_t maxPixels)
{
    return w <= 0 || h <= 0 || w > PICTURE_SIDE_MAX || h > PICTURE_SIDE_MAX || std::int64_t{w} * h > maxPixels;
}

struct StbFree {
    void operator()(unsigned char* pixels) const { stbi_image_free(pixels); }
};

// One part of a screen pixel: the picture's pixel index and how much of the
// screen pixel it covers.
struct Tap {
    int index;
    std::uint32_t weight;
};

// For each of cells screen pixels along one side, the picture pixels (of
// pixels along that side) it covers. Measured in units of which a picture
// pixel is cells long and a screen pixel pixels long, every overlap is a
// whole number and the weights of each screen pixel add up to pixels.
std::vector<std::vector<Tap>> boxTaps(int pixels, int cells)
{
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(cells));
    for (int j = 0; j < cells; ++j) {
        const std::int64_t lo = std::int64_t{j} * pixels;
        const std::int64_t hi = lo + pixels;
        for (auto i = static_cast<int>(lo / cells); i < pixels && std::int64_t{i} * cells < hi; ++i) {
            const std::int64_t from = std::max(lo, std::int64_t{i} * cells);
            const std::int64_t to = std::min(hi, std::int64_t{i + 1} * cells);
            if (to > from) taps[static_cast<std::size_t>(j)].push_back({i, static_cast<std::uint32_t>(to - from)});
        }
    }
    return taps;
}

// PocketNES takes the bytes after its program for a splash screen only when
// it finds no "NES" 0x1A in the 256 bytes from 48 bytes on; a picture whose
// pixels happened to spell it there would be read as a ROM record. One bit
// of the 'N' changes such a pixel's colour by the least step there is.
void keepFromLookingLikeARom(std::vector<unsigned char>& splash)
{
    constexpr std::size_t SCAN_FROM = 48;
    constexpr std::size_t SCAN_BYTES = 256;
    for (std::size_t at = SCAN_FROM; at < SCAN_FROM + SCAN_BYTES && at + 4 <= splash.size(); ++at) {
        if (hasInesMagic(splash.data() + at)) splash[at] ^= 1;
    }
}

void putPixel(std::vector<unsigned char>& splash, int x, int y, std::uint16_t pixel)
{
    const std::size_t at = (static_cast<std::size_t>(y) * SPLASH_WIDTH + static_cast<std::size_t>(x)) * 2;
    splash[at] = static_cast<unsigned char>(pixel & 0xFF);
    splash[at + 1] = static_cast<unsigned char>(pixel >> 8);
}

}  // namespace

SplashCode decodePicture(const unsigned char* data, std::size_t size, RgbaPicture& picture, std::string& reason,
                         std::int64_t maxPixels)
{
    picture = RgbaPicture{};
    if (!isKnownPicture(data, size)) {
        reason = notAPictureText();
        return SplashCode::NotAPicture;
    }
    if (size > static_cast<std::size_t>(INT_MAX)) {
        reason = pictureTooLargeText();
        return SplashCode::TooLarge;
    }
    // JPEG goes to libjpeg-turbo: the JPEG decoder of the stb_image Debian
    // ships reads outside its buffers for some damaged files.
    if (isJpeg(data, size)) {
        JpegPicture jpeg;
        const JpegResult decoded = decodeJpeg(data, size, pictureTooLarge, maxPixels, jpeg, reason);
        if (decoded == JpegResult::TooLarge) {
            reason = pictureSizeText(jpeg.width, jpeg.height, maxPixels);
            return SplashCode::TooLarge;
        }
        if (decoded != JpegResult::Ok) {
            reason = pictureDamagedText(reason.c_str());
            return SplashCode::Damaged;
        }
        picture.width = jpeg.width;
        picture.height = jpeg.height;
        picture.rgba = std::move(jpeg.rgba);
        return SplashCode::Ok;
    }
    if (startsWith(data, size, std::string_view("\x89PNG\r\n\x1A\n", 8)) && !pngChunksFitTheFile(data, size)) {
        reason = pictureDamagedText("a chunk runs past the end of the file");
        return SplashCode::Damaged;
    }
    const int length = static_cast<int>(size);
    int width = 0;
    int height = 0;
    int channels = 0;
    if (stbi_info_from_memory(data, length, &width, &height, &channels) == 0) {
        reason = pictureDamagedText(stbi_failure_reason());
        return SplashCode::Damaged;
    }
    const auto tooLarge = [maxPixels](int w, int h) { return pictureTooLarge(w, h, maxPixels); };
    if (tooLarge(width, height)) {
        reason = pictureSizeText(width, height, maxPixels);
        return SplashCode::TooLarge;
    }
    const std::unique_ptr<unsigned char, StbFree> pixels(
        stbi_load_from_memory(data, length, &width, &height, &channels, 4));
    // The decoder reads the size again: a picture must not grow past the check.
    if (!pixels || tooLarge(width, height)) {
        reason = pixels ? pictureChangedText() : pictureDamagedText(stbi_failure_reason());
        return SplashCode::Damaged;
    }
    picture.width = width;
    picture.height = height;
    picture.rgba.assign(pixels.get(), pixels.get() + std::size_t{4} * static_cast<std::size_t>(width) *
                                                         static_cast<std::size_t>(height));
    return SplashCode::Ok;
}

std::vector<unsigned char> splashFromPicture(const RgbaPicture& picture)
{
    std::vector<unsigned char> splash(SPLASH_BYTES, 0);
    const int w = picture.width;
    const int h = picture.height;
    if (w <= 0 || h <= 0 || picture.rgba.size() < std::size_t{4} * static_cast<std::size_t>(w) * h) return splash;

    // Fit: the side that fills the screen first sets the scale; the other
    // is rounded to the nearest pixel, at least one.
    int outW = SPLASH_WIDTH;
    int outH = SPLASH_HEIGHT;
    if (std::int64_t{w} * SPLASH_HEIGHT >= std::int64_t{h} * SPLASH_WIDTH) {
        outH = static_cast<int>((std::int64_t{h} * SPLASH_WIDTH + w / 2) / w);
    } else {
        outW = static_cast<int>((std::int64_t{w} * SPLASH_HEIGHT + h / 2) / h);
    }
    outW = std::clamp(outW, 1, SPLASH_WIDTH);
    outH = std::clamp(outH, 1, SPLASH_HEIGHT);
    const int left = (SPLASH_WIDTH - outW) / 2;
    const int top = (SPLASH_HEIGHT - outH) / 2;

    // Box filter, one side after the other, in whole numbers: each colour
    // part is weighted by its alpha (so transparency shows the black behind
    // it) and by the overlap. A row's sums stay below 255 * 255 * w, within
    // 32 bits; a column's below 255 * 255 * w * h, within 64.
    const std::vector<std::vector<Tap>> across = boxTaps(w, outW);
    const std::vector<std::vector<Tap>> down = boxTaps(h, outH);
    std::vector<std::uint32_t> rows(static_cast<std::size_t>(h) * static_cast<std::size_t>(outW) * 3);
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = picture.rgba.data() + std::size_t{4} * static_cast<std::size_t>(y) * w;
        std::uint32_t* out = rows.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(outW) * 3;
        for (int x = 0; x < outW; ++x) {
            std::uint32_t sum[3] = {0, 0, 0};
            for (const Tap& t : across[static_cast<std::size_t>(x)]) {
                const unsigned char* p = row + std::size_t{4} * static_cast<std::size_t>(t.index);
                const std::uint32_t weight = t.weight * p[3];
                for (int c = 0; c < 3; ++c) sum[c] += p[c] * weight;
            }
            std::copy(sum, sum + 3, out + std::size_t{3} * static_cast<std::size_t>(x));
        }
    }
    // Each part rounded to 5 bits straight from the sum: (sum * 31) / (255 *
    // 255 * w * h), to the nearest.
    const std::uint64_t whole = std::uint64_t{255} * 255 * static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h);
    for (int y = 0; y < outH; ++y) {
        for (int x = 0; x < outW; ++x) {
            std::uint64_t sum[3] = {0, 0, 0};
            for (const Tap& t : down[static_cast<std::size_t>(y)]) {
                const std::uint32_t* p =
                    rows.data() + (static_cast<std::size_t>(t.index) * static_cast<std::size_t>(outW) +
                                   static_cast<std::size_t>(x)) * 3;
                for (int c = 0; c < 3; ++c) sum[c] += std::uint64_t{p[c]} * t.weight;
            }
            unsigned five[3];
            for (int c = 0; c < 3; ++c) five[c] = static_cast<unsigned>((sum[c] * 31 + whole / 2) / whole);
            putPixel(splash, left + x, top + y, static_cast<std::uint16_t>(five[0] | five[1] << 5 | five[2] << 10));
        }
    }
    keepFromLookingLikeARom(splash);
    return splash;
}

SplashLoad loadSplashScreen(const std::string& path)
{
    SplashLoad load;
    InFile file(path);
    if (!file.isOpen()) {
        load.code = SplashCode::CantRead;
        load.reason = fileErrorText(file.errorNumber());
        return load;
    }
    if (file.size() > PICTURE_FILE_MAX) {
        load.code = SplashCode::TooLarge;
        load.reason = pictureFileSizeText(file.size());
        return load;
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(file.size()));
    const std::size_t got = file.read(bytes.data(), bytes.size());
    unsigned char more = 0;
    if (file.errorNumber() != 0 || got != bytes.size() || file.read(&more, 1) != 0) {
        load.code = SplashCode::CantRead;
        load.reason = fileErrorText(file.errorNumber() != 0 ? file.errorNumber() : FILE_CHANGED);
        return load;
    }
    RgbaPicture picture;
    load.code = decodePicture(bytes.data(), bytes.size(), picture, load.reason);
    if (load.code == SplashCode::Ok) load.bytes = splashFromPicture(picture);
    return load;
}

void splashPixelRgb(const std::vector<unsigned char>& splash, int x, int y, unsigned char rgb[3])
{
    const std::size_t at = (static_cast<std::size_t>(y) * SPLASH_WIDTH + static_cast<std::size_t>(x)) * 2;
    const unsigned pixel = at + 1 < splash.size() ? splash[at] | splash[at + 1] << 8 : 0;
    for (int c = 0; c < 3; ++c) {
        const unsigned five = (pixel >> (5 * c)) & 0x1F;
        rgb[c] = static_cast<unsigned char>(five << 3 | five >> 2);
    }
}
