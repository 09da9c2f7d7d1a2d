// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_pictures.h"

#include <stb_image_write.h>

namespace {

void append(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

}  // namespace

std::string pictureBytes(PictureKind kind, int width, int height, const std::vector<unsigned char>& rgba)
{
    std::vector<unsigned char> rgb;
    for (std::size_t p = 0; p + 4 <= rgba.size(); p += 4) rgb.insert(rgb.end(), {rgba[p], rgba[p + 1], rgba[p + 2]});
    std::string out;
    switch (kind) {
    case PictureKind::Png: stbi_write_png_to_func(append, &out, width, height, 4, rgba.data(), width * 4); break;
    case PictureKind::Bmp: stbi_write_bmp_to_func(append, &out, width, height, 3, rgb.data()); break;
    case PictureKind::Jpeg: stbi_write_jpg_to_func(append, &out, width, height, 3, rgb.data(), 100); break;
    }
    return out;
}

std::vector<unsigned char> solidRgba(int width, int height, unsigned char r, unsigned char g, unsigned char b,
                                     unsigned char a)
{
    std::vector<unsigned char> rgba;
    for (int i = 0; i < width * height; ++i) rgba.insert(rgba.end(), {r, g, b, a});
    return rgba;
}
