// SPDX-License-Identifier: GPL-3.0-or-later
// The C library's iconv as an independent reference for the hand-written
// Shift-JIS tables and arithmetic.
#pragma once

#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>

class IconvReference {
public:
    IconvReference(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvReference()
    {
        if (isOpen()) iconv_close(cd_);
    }
    IconvReference(const IconvReference&) = delete;
    IconvReference& operator=(const IconvReference&) = delete;
    bool isOpen() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // The whole input converted (with the closing shift sequence of a
    // stateful encoding), or nullopt when iconv rejects any byte of it.
    std::optional<std::string> convert(std::string_view in)
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(8 * in.size() + 16, '\0');
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
        if (iconv(cd_, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
        out.resize(out.size() - dstLeft);
        return out;
    }

private:
    iconv_t cd_;
};

// The two bytes of a Shift-JIS double-byte character.
inline std::string sjisPair(unsigned lead, unsigned trail)
{
    return std::string{static_cast<char>(lead), static_cast<char>(trail)};
}

// True for the first byte of a double-byte character, as the tables say.
inline bool referenceLead(unsigned byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xEF);
}
