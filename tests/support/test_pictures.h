// Picture files made for the tests and the fuzz seeds: the same pixels as a
// PNG, BMP or JPEG (through libstb's writer), or as a GIF written here (the
// writer makes none).
#pragma once

#include <string>
#include <vector>

enum class PictureKind { Png, Bmp, Jpeg, Gif };

// The file bytes of a width x height picture of rgba (4 bytes a pixel, row
// by row). A BMP and a JPEG drop the alpha; a GIF takes at most 4 colours,
// the first 4 it meets (others become the first), and no alpha.
std::string pictureBytes(PictureKind kind, int width, int height, const std::vector<unsigned char>& rgba);

// A width x height picture of one colour.
std::vector<unsigned char> solidRgba(int width, int height, unsigned char r, unsigned char g, unsigned char b,
                                     unsigned char a = 255);
