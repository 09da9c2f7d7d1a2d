// SPDX-License-Identifier: GPL-3.0-or-later
#include "save_title.h"

#include "path_text.h"
#include "sjis.h"
#include "text_encoding.h"

#include <algorithm>
#include <cstring>

namespace {

// Width in bytes of the CP932 character at pos: 2 for a lead byte with its
// trail, 1 otherwise, 0 for a lead byte without a trail.
std::size_t charWidth(std::string_view text, std::size_t pos)
{
    if (!isSjisLead(static_cast<unsigned char>(text[pos]))) return 1;
    return pos + 1 < text.size() ? 2 : 0;
}

// Position where the last whole character of text begins (0 when none).
std::size_t lastCharStart(std::string_view text)
{
    std::size_t pos = 0;
    std::size_t last = 0;
    while (pos < text.size()) {
        const std::size_t width = charWidth(text, pos);
        if (width == 0) break;
        last = pos;
        pos += width;
    }
    return last;
}

}  // namespace

std::string titleStemOfPath(std::string_view path)
{
    std::string name = utf8ToCp932(fileNameOf(path));
    // CP932 trail bytes are 0x40 and above, so a '.' byte is always a dot.
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

std::string fitCp932Title(std::string_view text, std::size_t maxBytes)
{
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t width = charWidth(text, pos);
        if (width == 0 || pos + width > maxBytes) break;
        pos += width;
    }
    return std::string(text.substr(0, pos));
}

std::string fitEucTitle(std::string_view text, std::size_t maxBytes)
{
    // The EUC-JP form is never shorter than the CP932 text, so a first cut
    // in CP932 bytes loses nothing that could fit.
    std::string sjis = fitCp932Title(text, maxBytes);
    for (;;) {
        std::string euc = sjisToEuc(sjis).value_or(std::string());
        if (euc.size() <= maxBytes) return euc;
        // Half-width katakana with a voiced mark convert as one character,
        // so the length is measured again after every shortening.
        sjis.resize(lastCharStart(sjis));
    }
}

std::string titleFieldText(const unsigned char* field, std::size_t size)
{
    const auto* end = std::find(field, field + size, 0);
    return std::string(field, end);
}

void storeTitleField(unsigned char* field, std::size_t size, std::string_view text)
{
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}
