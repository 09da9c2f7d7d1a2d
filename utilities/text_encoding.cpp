// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_encoding.h"

#include <cerrno>
#include <iconv.h>

namespace {

std::size_t openedConverters = 0;

// One iconv conversion descriptor, closed when it goes out of scope.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) { ++openedConverters; }
    ~Converter()
    {
        if (isOpen()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool isOpen() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of in as it can, appending to out. Returns 0 at the
    // end of the input, or the errno of the byte where it stopped.
    int convert(std::string_view& in, std::string& out)
    {
        char buffer[256];
        while (!in.empty()) {
            char* src = const_cast<char*>(in.data());
            std::size_t srcLeft = in.size();
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            const int err = r == static_cast<std::size_t>(-1) ? errno : 0;
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            in.remove_prefix(in.size() - srcLeft);
            if (err != 0 && err != E2BIG) return err;
        }
        return 0;
    }

private:
    iconv_t cd_;
};

// Length of the UTF-8 sequence that begins with lead, or 1 for a stray byte.
std::size_t utf8SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

// ASCII is the same bytes in UTF-8 and CP932 (0x5C the backslash, 0x7E the
// tilde), so most titles and names need no converter, and a command that
// meets only those never loads the system's CP932 tables.
bool isAscii(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// CP932 lead bytes, as the code page has them (wider than the title rules).
bool isCp932Lead(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Drops the characters whose lead byte is 0xF0 to 0xFC from well-formed
// CP932 text; true when one was dropped.
bool dropExtensionCharacters(std::string& cp932)
{
    std::string kept;
    kept.reserve(cp932.size());
    bool dropped = false;
    for (std::size_t i = 0; i < cp932.size(); ++i) {
        const auto c = static_cast<unsigned char>(cp932[i]);
        if (!isCp932Lead(c) || i + 1 >= cp932.size()) {
            kept.push_back(cp932[i]);
        } else if (c >= 0xF0) {
            dropped = true;
            ++i;
        } else {
            kept.append(cp932, i, 2);
            ++i;
        }
    }
    cp932 = std::move(kept);
    return dropped;
}

std::string cp932ToUtf8With(Converter& conv, std::string_view cp932)
{
    static const char replacement[] = "\xEF\xBF\xBD";
    std::string out;
    if (!conv.isOpen()) return out;
    while (!cp932.empty()) {
        const int err = conv.convert(cp932, out);
        if (err == 0) break;
        out += replacement;
        if (err == EINVAL) break;
        cp932.remove_prefix(1);
    }
    return out;
}

}  // namespace

class Cp932Converter : public Converter {
public:
    Cp932Converter() : Converter("UTF-8", "CP932") {}
};

bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = utf8SequenceLength(c);
        if (n == 1 || i + n > text.size()) return false;
        const auto c1 = static_cast<unsigned char>(text[i + 1]);
        // Second-byte limits rule out overlong forms, surrogates and values
        // above U+10FFFF.
        unsigned char lo = 0x80;
        unsigned char hi = 0xBF;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
        if (c1 < lo || c1 > hi) return false;
        for (std::size_t k = 2; k < n; ++k) {
            const auto ck = static_cast<unsigned char>(text[i + k]);
            if (ck < 0x80 || ck > 0xBF) return false;
        }
        i += n;
    }
    return true;
}

std::string utf8ToCp932(std::string_view utf8, bool* dropped)
{
    if (dropped != nullptr) *dropped = false;
    if (isAscii(utf8)) return std::string(utf8);
    std::string out;
    Converter conv("CP932", "UTF-8");
    if (!conv.isOpen()) return out;
    while (!utf8.empty()) {
        const int err = conv.convert(utf8, out);
        if (err == 0) break;
        if (dropped != nullptr) *dropped = true;
        if (err == EINVAL) break;  // an incomplete sequence at the end
        std::size_t skip = utf8SequenceLength(static_cast<unsigned char>(utf8.front()));
        // A damaged sequence loses only its lead byte, so the rest is still read.
        if (skip > utf8.size() || !isValidUtf8(utf8.substr(0, skip))) skip = 1;
        utf8.remove_prefix(skip);
    }
    if (dropExtensionCharacters(out) && dropped != nullptr) *dropped = true;
    return out;
}

std::string cp932ToUtf8(std::string_view cp932)
{
    if (isAscii(cp932)) return std::string(cp932);
    Converter conv("UTF-8", "CP932");
    return cp932ToUtf8With(conv, cp932);
}

std::string decodeLegacyText(std::string_view text)
{
    if (isValidUtf8(text)) return std::string(text);
    return cp932ToUtf8(text);
}

LegacyTextDecoder::LegacyTextDecoder() = default;
LegacyTextDecoder::~LegacyTextDecoder() = default;

std::string LegacyTextDecoder::decode(std::string_view text)
{
    if (isValidUtf8(text)) return std::string(text);
    if (!converter_) converter_ = std::make_unique<Cp932Converter>();
    return cp932ToUtf8With(*converter_, text);
}

std::size_t textConverterOpenCount()
{
    return openedConverters;
}
