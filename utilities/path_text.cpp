// SPDX-License-Identifier: GPL-3.0-or-later
#include "path_text.h"

#include "hex_text.h"

std::size_t fileNamePart(std::string_view path)
{
    const std::size_t sep = path.find_last_of("/\\");
    return sep == std::string_view::npos ? 0 : sep + 1;
}

std::string fileNameOf(std::string_view path)
{
    return std::string(path.substr(fileNamePart(path)));
}

std::string folderOf(std::string_view path)
{
    return std::string(path.substr(0, fileNamePart(path)));
}

namespace {

unsigned char foldAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

}  // namespace

int compareNoCase(std::string_view a, std::string_view b)
{
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i >= b.size()) return 1;
        const auto ca = static_cast<signed char>(foldAscii(static_cast<unsigned char>(a[i])));
        const auto cb = static_cast<signed char>(foldAscii(static_cast<unsigned char>(b[i])));
        if (ca != cb) return cb - ca;
    }
    return static_cast<int>(b.size()) - static_cast<int>(a.size());
}

std::string foldNoCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded) c = static_cast<char>(foldAscii(static_cast<unsigned char>(c)));
    return folded;
}

namespace {

bool isControl(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F;
}

}  // namespace

bool hasControlCharacter(std::string_view text)
{
    for (const char c : text) {
        if (isControl(c)) return true;
    }
    return false;
}

std::string printableText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (!isControl(c)) {
            out.push_back(c);
            continue;
        }
        out += "\\x" + hexText(static_cast<unsigned char>(c), 2);
    }
    return out;
}
