#include "splash_screen.h"

#include "test_files.h"
#include "test_pictures.h"

#include <gtest/gtest.h>

#include <unistd.h>

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
            left = std::min(left, x);
            top = std::min(top, y);
            right = std::max(right, x + 1);
            bottom = std::max(bottom, y + 1);
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
    for (const Case& c : {Case{0, 0, 0, 0x0000}, Case{255, 255, 255, 0x7FFF}, Case{255, 0, 0, 0x001F},
                          Case{0, 255, 0, 0x03E0}, Case{0, 0, 255, 0x7C00}, Case{128, 128, 128, 0x4210},
                          Case{4, 5, 8, 0x0420}, Case{123, 132, 0, 0x020F}}) {
        SCOPED_TRACE(c.pixel);
        EXPECT_EQ(splashPixel(c.r, c.g, c.b), c.pixel);
        const std::vector<unsigned char> splash = splashFromPicture(solid(SPLASH_WIDTH, SPLASH_HEIGHT, c.r, c.g, c.b));
        ASSERT_EQ(splash.size(), SPLASH_BYTES);
        EXPECT_EQ(splash[0], c.pixel & 0xFF);
        EXPECT_EQ(splash[1], c.pixel >> 8);
        EXPECT_EQ(pixelAt(splash, 239, 159), c.pixel);
    }
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
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        EXPECT_EQ(litArea(splashFromPicture(solid(c.w, c.h, 255, 255, 255))), c.lit);
    }
}

TEST(SplashScreen, AveragesAndShowsBlackThroughTransparency)
{
    EXPECT_EQ(splashFromPicture(solid(24, 16, 255, 255, 255, 0)), std::vector<unsigned char>(SPLASH_BYTES, 0));
    EXPECT_EQ(pixelAt(splashFromPicture(solid(24, 16, 255, 255, 255, 128)), 100, 100), 0x4210);
    // Black and white columns, two to a screen pixel: grey everywhere.
    RgbaPicture stripes = solid(480, 320, 0, 0, 0);
    for (std::size_t p = 0; p < stripes.rgba.size(); p += 8) std::fill_n(stripes.rgba.begin() + long(p), 3, 255);
    const std::vector<unsigned char> grey = splashFromPicture(stripes);
    EXPECT_EQ(pixelAt(grey, 0, 0), 0x4210);
    EXPECT_EQ(pixelAt(grey, 239, 159), 0x4210);
}

TEST(SplashScreen, NeverSpellsTheRomSignatureWherePocketNesLooksForIt)
{
    // Pixels 24 and 25 of the top row would be 0x454E 0x1A53: "NES" 0x1A at byte 48.
    RgbaPicture picture = solid(SPLASH_WIDTH, SPLASH_HEIGHT, 0, 0, 0);
    const unsigned char spelled[8] = {115, 82, 140, 255, 156, 148, 49, 255};
    std::copy(spelled, spelled + 8, picture.rgba.begin() + 24 * 4);
    ASSERT_EQ(splashPixel(115, 82, 140), 0x454E);
    ASSERT_EQ(splashPixel(156, 148, 49), 0x1A53);
    const std::vector<unsigned char> splash = splashFromPicture(picture);
    EXPECT_EQ(pixelAt(splash, 24, 0), 0x454F);  // the least change
    EXPECT_EQ(pixelAt(splash, 25, 0), 0x1A53);
}

TEST(SplashScreen, EveryKindOfPictureFileConverts)
{
    TempDir dir;
    const std::uint16_t expected = splashPixel(200, 100, 48);
    for (const PictureKind kind : {PictureKind::Png, PictureKind::Bmp, PictureKind::Jpeg, PictureKind::Gif}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const std::string bytes = pictureBytes(kind, 24, 16, solidRgba(24, 16, 200, 100, 48));
        writeText(dir.file("picture"), bytes);
        const SplashLoad load = loadSplashScreen(dir.file("picture"));
        ASSERT_EQ(load.code, SPLASH_OK) << load.reason;
        ASSERT_EQ(load.bytes.size(), SPLASH_BYTES);
        // JPEG is lossy: each part within one step.
        for (int part = 0; part < 3; ++part) {
            const int got = (pixelAt(load.bytes, 120, 80) >> (5 * part)) & 0x1F;
            EXPECT_NEAR(got, (expected >> (5 * part)) & 0x1F, kind == PictureKind::Jpeg ? 1 : 0);
        }
        unsigned char rgb[3];
        splashPixelRgb(load.bytes, 0, 0, rgb);
        EXPECT_NEAR(rgb[0], 200, 10);
    }
}

TEST(SplashScreen, WhatCantBeUsedIsRefusedWithItsReason)
{
    TempDir dir;
    const std::string png = pictureBytes(PictureKind::Png, 8, 8, solidRgba(8, 8, 1, 2, 3));
    std::string huge = png;
    huge.replace(16, 8, std::string("\x00\x00\x13\x88\x00\x00\x13\x88", 8));  // 5000 x 5000
    struct Case {
        std::string name;
        std::string bytes;
        int code;
        std::string reason;
    };
    for (const Case& c : {Case{"notes.txt", "hello", SPLASH_NOT_A_PICTURE, "not a PNG, JPEG, BMP or GIF picture"},
                          Case{"cut.png", png.substr(0, 40), SPLASH_DAMAGED, "damaged"},
                          Case{"huge.png", huge, SPLASH_TOO_LARGE, "a picture of 5000 x 5000 pixels is larger"}}) {
        SCOPED_TRACE(c.name);
        writeText(dir.file(c.name), c.bytes);
        const SplashLoad load = loadSplashScreen(dir.file(c.name));
        EXPECT_EQ(load.code, c.code);
        EXPECT_EQ(load.reason.rfind(c.reason, 0), 0u) << load.reason;
        EXPECT_TRUE(load.bytes.empty());
    }
    const SplashLoad missing = loadSplashScreen(dir.file("gone.png"));
    EXPECT_EQ(missing.code, SPLASH_CANT_READ);
    EXPECT_EQ(splashProblemText(dir.file("gone.png"), missing),
              dir.file("gone.png") + ": can't be used as a splash screen: No such file or directory");
    EXPECT_EQ(loadSplashScreen(dir.path()).code, SPLASH_CANT_READ);
}
