// SPDX-License-Identifier: GPL-3.0-or-later
#include "title_rules.h"

#include "sjis.h"
#include "text_encoding.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

struct CodeRange {
    unsigned short first;
    unsigned short last;
};

// The allowed characters in ascending Shift-JIS code order. A trail byte of
// 0x7F never occurs, so ranges that span it hold one code less than it seems.
constexpr std::array<CodeRange, 11> ALLOWED_RANGES = {{
    {0x8141, 0x81AC},  // punctuation and symbols 、 to 〓
    {0x81B8, 0x81BF},  // set symbols ∈ to ∩
    {0x81C8, 0x81CE},  // logic symbols ∧ to ∃
    {0x81DA, 0x81E8},  // mathematical symbols ∠ to ∬
    {0x81F0, 0x81F7},  // Å to ¶
    {0x81FC, 0x81FC},  // ◯
    {0x824F, 0x8258},  // ０ to ９
    {0x8260, 0x8279},  // Ａ to Ｚ
    {0x8281, 0x829A},  // ａ to ｚ
    {0x829F, 0x82F1},  // hiragana ぁ to ん
    {0x8340, 0x8396},  // katakana ァ to ヶ
}};

}  // namespace

bool isAllowedTitleChar(unsigned char lead, unsigned char trail)
{
    if (trail == 0x7F) return false;
    const unsigned code = (static_cast<unsigned>(lead) << 8) | trail;
    for (const CodeRange& range : ALLOWED_RANGES) {
        if (code >= range.first && code <= range.last) return true;
    }
    return false;
}

int cutTitle(std::string* text, int maxChars)
{
    if (text == nullptr) return 0;
    const std::string& t = *text;
    std::size_t pos = 0;
    int chars = 0;
    while (pos < t.size() && t[pos] != '\0' && chars < maxChars) {
        std::size_t width = 1;
        if (isSjisLead(static_cast<unsigned char>(t[pos]))) {
            // A double-byte character may not begin at byte 31, and a lead
            // byte without its trail is not a character.
            if (pos == 31 || pos + 1 >= t.size() || t[pos + 1] == '\0') break;
            width = 2;
        }
        ++chars;
        pos += width;
        if (pos >= 32) break;
    }
    text->resize(pos);
    return 0;
}

int filterTitle(std::string& text)
{
    const std::string copy = text;
    std::string kept;
    kept.reserve(copy.size());
    int removed = 0;
    std::size_t i = 0;
    while (i < copy.size() && copy[i] != '\0') {
        const auto c = static_cast<unsigned char>(copy[i]);
        if (!isSjisLead(c)) {
            kept.push_back(copy[i]);
            ++i;
            continue;
        }
        const bool hasTrail = i + 1 < copy.size() && copy[i + 1] != '\0';
        if (hasTrail && isAllowedTitleChar(c, static_cast<unsigned char>(copy[i + 1]))) {
            kept.push_back(copy[i]);
            kept.push_back(copy[i + 1]);
        } else {
            removed = 1;
        }
        i += hasTrail ? 2 : 1;
    }
    text = kept;
    cutTitle(&text, 21);
    return removed;
}

namespace {

// The bytes of the UTF-8 character that begins at text[at] (1 for a byte
// that begins none).
std::size_t utf8Length(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return std::min(length, text.size() - at);
}

// Calls keep with the CP932 bytes of each character of typed (UTF-8) the
// cartridge can hold, and removed with each one it can't: those CP932 can't
// hold and, when the title goes through the title rules (filtered), the
// double-byte characters the rules refuse. Judged one character at a time:
// neither rule looks at neighbours.
template <typename Keep, typename Removed>
void sortCharacters(std::string_view typed, bool filtered, Keep keep, Removed removed)
{
    for (std::size_t at = 0; at < typed.size();) {
        const std::string_view character = typed.substr(at, utf8Length(typed, at));
        at += character.size();
        bool dropped = false;
        std::string bytes = utf8ToCp932(character, &dropped);
        if (!dropped && filtered) dropped = filterTitle(bytes) != 0;
        if (dropped || bytes.empty()) {
            removed(character);
        } else {
            keep(bytes);
        }
    }
}

}  // namespace

std::string charactersNotOnCartridge(std::string_view typed, bool filtered)
{
    std::vector<std::string_view> removed;
    sortCharacters(
        typed, filtered, [](const std::string&) {},
        [&removed](std::string_view character) {
            if (std::find(removed.begin(), removed.end(), character) == removed.end()) removed.push_back(character);
        });
    std::string text;
    for (const std::string_view character : removed) {
        if (!text.empty()) text += ' ';
        text += character;
    }
    return text;
}

std::string titleBeforeItsCut(std::string_view typed, bool filtered)
{
    std::string kept;
    sortCharacters(
        typed, filtered, [&kept](const std::string& bytes) { kept += bytes; }, [](std::string_view) {});
    return kept;
}

std::string invalidTitleDetailText(std::string_view typed, bool filtered)
{
    const std::string removed = charactersNotOnCartridge(typed, filtered);
    if (!removed.empty()) return "Removed: " + removed + " (the cartridge can't show these characters)";
    if (typed.empty()) return "A title can't be empty.";
    return {};
}
