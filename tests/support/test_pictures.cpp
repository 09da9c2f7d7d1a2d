#include "test_pictures.h"

#include <stb_image_write.h>

#include <algorithm>
#include <array>

namespace {

void append(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

void put16(std::string& out, int value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

// A GIF of at most 4 colours, 2 bits a pixel. Each pixel is sent as a clear
// code and the pixel's own code, so the decoder's table never grows and every
// code keeps 3 bits.
std::string gifBytes(int width, int height, const std::vector<unsigned char>& rgba)
{
    std::vector<std::array<unsigned char, 3>> palette;
    std::vector<int> indexes;
    for (std::size_t p = 0; p + 4 <= rgba.size(); p += 4) {
        const std::array<unsigned char, 3> colour = {rgba[p], rgba[p + 1], rgba[p + 2]};
        auto at = std::find(palette.begin(), palette.end(), colour);
        if (at == palette.end() && palette.size() < 4) at = palette.insert(palette.end(), colour);
        indexes.push_back(at == palette.end() ? 0 : static_cast<int>(at - palette.begin()));
    }
    palette.resize(4);
    std::string out = "GIF89a";
    put16(out, width);
    put16(out, height);
    out += std::string("\x81\x00\x00", 3);  // a global table of 4 colours
    for (const auto& c : palette) out.append(reinterpret_cast<const char*>(c.data()), 3);
    out += ',';
    put16(out, 0);
    put16(out, 0);
    put16(out, width);
    put16(out, height);
    out += '\0';
    out += '\2';  // codes start at 2 bits: clear is 4, end is 5
    std::string data;
    unsigned bits = 0;
    int used = 0;
    const auto code = [&](unsigned c) {
        bits |= c << used;
        used += 3;
        while (used >= 8) {
            data.push_back(static_cast<char>(bits & 0xFF));
            bits >>= 8;
            used -= 8;
        }
    };
    for (int index : indexes) {
        code(4);
        code(static_cast<unsigned>(index));
    }
    code(5);
    if (used > 0) data.push_back(static_cast<char>(bits & 0xFF));
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - at);
        out.push_back(static_cast<char>(n));
        out += data.substr(at, n);
    }
    out += '\0';
    out += ';';
    return out;
}

}  // namespace

std::string pictureBytes(PictureKind kind, int width, int height, const std::vector<unsigned char>& rgba)
{
    std::string out;
    std::vector<unsigned char> rgb;
    for (std::size_t p = 0; p + 4 <= rgba.size(); p += 4) rgb.insert(rgb.end(), {rgba[p], rgba[p + 1], rgba[p + 2]});
    switch (kind) {
    case PictureKind::Png: stbi_write_png_to_func(append, &out, width, height, 4, rgba.data(), width * 4); break;
    case PictureKind::Bmp: stbi_write_bmp_to_func(append, &out, width, height, 3, rgb.data()); break;
    case PictureKind::Jpeg: stbi_write_jpg_to_func(append, &out, width, height, 3, rgb.data(), 100); break;
    case PictureKind::Gif: out = gifBytes(width, height, rgba); break;
    }
    return out;
}

std::vector<unsigned char> solidRgba(int width, int height, unsigned char r, unsigned char g, unsigned char b,
                                     unsigned char a)
{
    std::vector<unsigned char> rgba;
    rgba.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (int i = 0; i < width * height; ++i) rgba.insert(rgba.end(), {r, g, b, a});
    return rgba;
}
