// SPDX-License-Identifier: GPL-3.0-or-later
// Picture files made for the tests and the fuzz seeds.
#pragma once

#include <string>
#include <vector>

enum class PictureKind { Png, Bmp, Jpeg };

// A width x height picture of rgba (4 bytes a pixel) as a file of kind,
// through libstb's writer; a BMP and a JPEG drop the alpha.
std::string pictureBytes(PictureKind kind, int width, int height, const std::vector<unsigned char>& rgba);

// A width x height picture of one colour.
std::vector<unsigned char> solidRgba(int width, int height, unsigned char r, unsigned char g, unsigned char b,
                                     unsigned char a = 255);

// A GIF of one pixel of the colour 200, 100, 48 (libstb writes no GIF).
const std::string ONE_PIXEL_GIF("GIF89a\x01\x00\x01\x00\x80\x00\x00\xC8\x64\x30\x00\x00\x00"
                                ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                                35);
