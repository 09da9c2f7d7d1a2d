// SPDX-License-Identifier: GPL-3.0-or-later
#include "splash_screen.h"

#include "image_messages.h"
#include "test_files.h"
#include "test_pictures.h"

#include <gtest/gtest.h>

namespace {

std::uint16_t pixelAt(const std::vector<unsigned char>& splash, int x, int y)
{
    const std::size_t at = (static_cast<std::size_t>(y) * SPLASH_WIDTH + static_cast<std::size_t>(x)) * 2;
    return static_cast<std::uint16_t>(splash[at] | splash[at + 1] << 8);
}

RgbaPicture solid(int w, int h, unsigned char r, unsigned char g, unsigned char b, unsigned char a = 255)
{
    return {w, h, solidRgba(w, h, r, g, b, a)};
}

// The lit rectangle of a splash screen: left, top, width, height.
std::vector<int> litArea(const std::vector<unsigned char>& splash)
{
    int left = SPLASH_WIDTH, top = SPLASH_HEIGHT, right = 0, bottom = 0;
    for (int y = 0; y < SPLASH_HEIGHT; ++y) {
        for (int x = 0; x < SPLASH_WIDTH; ++x) {
            if (pixelAt(splash, x, y) == 0) continue;
            left = std::min(left, x), top = std::min(top, y), right = std::max(right, x + 1), bottom = y + 1;
        }
    }
    return {left, top, right - left, bottom - top};
}

}  // namespace

TEST(SplashScreen, KnownColoursBecomeKnownLittleEndianPixels)
{
    struct Case {
        unsigned char r, g, b;
        std::uint16_t pixel;
    };
    for (const Case& c : {Case{255, 255, 255, 0x7FFF}, Case{255, 0, 0, 0x001F}, Case{0, 255, 0, 0x03E0},
                          Case{0, 0, 255, 0x7C00}, Case{128, 128, 128, 0x4210}, Case{4, 5, 8, 0x0420}}) {
        const std::vector<unsigned char> splash = splashFromPicture(solid(SPLASH_WIDTH, SPLASH_HEIGHT, c.r, c.g, c.b));
        ASSERT_EQ(splash.size(), SPLASH_BYTES);
        EXPECT_EQ(splash[0] | splash[1] << 8, c.pixel);
        EXPECT_EQ(pixelAt(splash, 239, 159), c.pixel);
    }
    // Transparent parts show the black behind them.
    EXPECT_EQ(pixelAt(splashFromPicture(solid(24, 16, 255, 255, 255, 128)), 100, 100), 0x4210);
}

TEST(SplashScreen, FitsKeepingProportionsAndCentres)
{
    struct Case {
        int w, h;
        std::vector<int> lit;  // left, top, width, height
    };
    for (const Case& c : {Case{480, 160, {0, 40, 240, 80}}, Case{100, 200, {80, 0, 80, 160}},
                          Case{3, 2, {0, 0, 240, 160}}, Case{1, 1, {40, 0, 160, 160}},
                          Case{241, 160, {0, 0, 240, 159}}}) {
        EXPECT_EQ(litArea(splashFromPicture(solid(c.w, c.h, 255, 255, 255))), c.lit) << c.w << "x" << c.h;
    }
}

TEST(SplashScreen, NeverSpellsTheRomSignatureWherePocketNesLooksForIt)
{
    // Pixels 24 and 25 of the top row would be 0x454E 0x1A53: "NES" 0x1A at byte 48.
    RgbaPicture picture = solid(SPLASH_WIDTH, SPLASH_HEIGHT, 0, 0, 0);
    const unsigned char spelled[8] = {115, 82, 140, 255, 156, 148, 49, 255};
    std::copy(spelled, spelled + 8, picture.rgba.begin() + 24 * 4);
    const std::vector<unsigned char> splash = splashFromPicture(picture);
    EXPECT_EQ(pixelAt(splash, 24, 0), 0x454F);  // the least change
    EXPECT_EQ(pixelAt(splash, 25, 0), 0x1A53);
}

TEST(SplashScreen, PictureFilesConvertOrAreRefusedWithTheirReason)
{
    TempDir dir;
    const std::string png = pictureBytes(PictureKind::Png, 24, 16, solidRgba(24, 16, 200, 100, 48));
    std::string huge = png;
    huge.replace(16, 8, std::string("\x00\x00\x13\x88\x00\x00\x13\x88", 8));  // 5000 x 5000
    struct Case {
        std::string bytes;
        SplashCode code;
        std::string reason;
    };
    for (const Case& c : {Case{png, SplashCode::Ok, ""}, Case{ONE_PIXEL_GIF, SplashCode::Ok, ""},
                          Case{pictureBytes(PictureKind::Bmp, 24, 16, solidRgba(24, 16, 200, 100, 48)), SplashCode::Ok, ""},
                          Case{pictureBytes(PictureKind::Jpeg, 24, 16, solidRgba(24, 16, 200, 100, 48)), SplashCode::Ok, ""},
                          Case{"hello", SplashCode::NotAPicture, "not a PNG, JPEG, BMP or GIF picture"},
                          Case{png.substr(0, 40), SplashCode::Damaged, "damaged"},
                          Case{huge, SplashCode::TooLarge, "a picture of 5000 x 5000 pixels is larger"}}) {
        writeText(dir.file("picture"), c.bytes);
        const SplashLoad load = loadSplashScreen(dir.file("picture"));
        ASSERT_EQ(load.code, c.code) << load.reason;
        EXPECT_EQ(load.reason.rfind(c.reason, 0), 0u) << load.reason;
        if (c.code != SplashCode::Ok) continue;
        // The one colour everywhere; JPEG is lossy, to one step a part.
        unsigned char rgb[3];
        splashPixelRgb(load.bytes, 120, 80, rgb);
        EXPECT_NEAR(rgb[0], 198, 8);
        EXPECT_NEAR(rgb[1], 99, 8);
        EXPECT_NEAR(rgb[2], 49, 8);
    }
    const SplashLoad missing = loadSplashScreen(dir.file("gone.png"));
    EXPECT_EQ(splashProblemText(dir.file("gone.png"), missing),
              dir.file("gone.png") + ": can't be used as a splash screen: No such file or directory");
}
