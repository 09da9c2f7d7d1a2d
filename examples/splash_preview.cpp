// SPDX-License-Identifier: GPL-3.0-or-later
// splash-preview: shows what a picture becomes as a PocketNES splash screen.
// It converts the picture as romweld and romweld-cli do and writes the 240 x
// 160 screen, from its 15-bit pixels, as a PNG twice the size.
//   splash-preview PICTURE OUT.png
#include "image_messages.h"
#include "splash_screen.h"

#include <stb_image_write.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: splash-preview PICTURE OUT.png\n");
        return 2;
    }
    const SplashLoad load = loadSplashScreen(argv[1]);
    if (load.code != SplashCode::Ok) {
        std::fprintf(stderr, "splash-preview: %s\n", splashProblemText(argv[1], load).c_str());
        return 1;
    }
    constexpr int SCALE = 2;
    std::vector<unsigned char> rgb(std::size_t{SPLASH_WIDTH} * SPLASH_HEIGHT * SCALE * SCALE * 3);
    for (int y = 0; y < SPLASH_HEIGHT * SCALE; ++y) {
        for (int x = 0; x < SPLASH_WIDTH * SCALE; ++x) {
            splashPixelRgb(load.bytes, x / SCALE, y / SCALE,
                           &rgb[(static_cast<std::size_t>(y) * SPLASH_WIDTH * SCALE + static_cast<std::size_t>(x)) * 3]);
        }
    }
    if (stbi_write_png(argv[2], SPLASH_WIDTH * SCALE, SPLASH_HEIGHT * SCALE, 3, rgb.data(), SPLASH_WIDTH * SCALE * 3) ==
        0) {
        std::fprintf(stderr, "splash-preview: %s: can't be written\n", argv[2]);
        return 1;
    }
    return 0;
}
