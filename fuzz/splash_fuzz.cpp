// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures made into PocketNES splash screens: any bytes are decoded (or
// refused with a reason) within the pixel limit, and a decoded picture gives
// exactly 76800 bytes whose unused top bits are clear. A picture of its size
// fills the screen on one side and sits centred on the other.
#include "fuzz_formats.h"
#include "fuzz_support.h"

#include "splash_screen.h"

#include <algorithm>
#include <cstdlib>

namespace {

using namespace splash_fuzz;

// The lit columns and rows of a splash screen: first and one past the last.
struct Lit {
    int left = SPLASH_WIDTH, right = 0, top = SPLASH_HEIGHT, bottom = 0;
};

Lit litArea(const std::vector<unsigned char>& splash)
{
    Lit lit;
    for (int y = 0; y < SPLASH_HEIGHT; ++y) {
        for (int x = 0; x < SPLASH_WIDTH; ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * SPLASH_WIDTH + static_cast<std::size_t>(x)) * 2;
            if (splash[at] == 0 && splash[at + 1] == 0) continue;
            lit.left = std::min(lit.left, x);
            lit.right = std::max(lit.right, x + 1);
            lit.top = std::min(lit.top, y);
            lit.bottom = std::max(lit.bottom, y + 1);
        }
    }
    return lit;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RgbaPicture picture;
    std::string reason;
    const SplashCode code = decodePicture(data, size, picture, reason, MAX_PIXELS);
    FUZZ_CHECK(code >= SplashCode::Ok && code <= SplashCode::Damaged);
    if (code != SplashCode::Ok) {
        FUZZ_CHECK(!reason.empty() && picture.rgba.empty());
        return 0;
    }
    const std::int64_t pixels = std::int64_t{picture.width} * picture.height;
    FUZZ_CHECK(picture.width > 0 && picture.height > 0 && pixels <= MAX_PIXELS);
    FUZZ_CHECK(picture.rgba.size() == static_cast<std::size_t>(pixels) * 4);

    const std::vector<unsigned char> splash = splashFromPicture(picture);
    FUZZ_CHECK(splash.size() == SPLASH_BYTES);
    for (std::size_t at = 1; at < splash.size(); at += 2) FUZZ_CHECK((splash[at] & 0x80) == 0);

    // The same size in white: where the picture goes, and nowhere else.
    picture.rgba.assign(picture.rgba.size(), 0xFF);
    const Lit lit = litArea(splashFromPicture(picture));
    FUZZ_CHECK(lit.right > lit.left && lit.bottom > lit.top);
    FUZZ_CHECK((lit.left == 0 && lit.right == SPLASH_WIDTH) || (lit.top == 0 && lit.bottom == SPLASH_HEIGHT));
    const int marginX = SPLASH_WIDTH - lit.right - lit.left;
    const int marginY = SPLASH_HEIGHT - lit.bottom - lit.top;
    FUZZ_CHECK(marginX == 0 || marginX == 1);
    FUZZ_CHECK(marginY == 0 || marginY == 1);
    // The proportions hold to within a pixel on the shorter side.
    const std::int64_t w = lit.right - lit.left;
    const std::int64_t h = lit.bottom - lit.top;
    FUZZ_CHECK(std::abs(w * picture.height - h * picture.width) <= std::max<std::int64_t>(picture.width, picture.height));
    return 0;
}
