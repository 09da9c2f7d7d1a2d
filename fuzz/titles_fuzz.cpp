// SPDX-License-Identifier: GPL-3.0-or-later
// The title helpers on any bytes: cutting and filtering Shift-JIS titles,
// Shift-JIS to EUC-JP and back, kana widening, the JIS pair arithmetic,
// fitting titles into fields, and UTF-8 <-> CP932.
#include "fuzz_support.h"

#include "save_slots.h"
#include "save_title.h"
#include "sjis.h"
#include "text_encoding.h"
#include "title_rules.h"

namespace {

bool isPrefix(const std::string& prefix, const std::string& text)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Walks text as Shift-JIS: no character may be cut in half at its end.
bool endsOnCharacter(const std::string& text)
{
    std::size_t pos = 0;
    while (pos < text.size()) pos += isSjisLead(static_cast<unsigned char>(text[pos])) ? 2 : 1;
    return pos == text.size();
}

void checkCutAndFilter(const std::string& text, int maxChars)
{
    std::string cut = text;
    FUZZ_CHECK(cutTitle(&cut, maxChars) == 0);
    FUZZ_CHECK(isPrefix(cut, text) && cut.size() <= 32 && endsOnCharacter(cut));
    FUZZ_CHECK(cutTitle(nullptr, maxChars) == 0);

    std::string filtered = text;
    filterTitle(filtered);
    FUZZ_CHECK(filtered.size() <= 32 && endsOnCharacter(filtered));
    for (std::size_t i = 0; i < filtered.size(); ++i) {
        const auto c = static_cast<unsigned char>(filtered[i]);
        FUZZ_CHECK(c != 0);
        if (isSjisLead(c)) {
            FUZZ_CHECK(isAllowedTitleChar(c, static_cast<unsigned char>(filtered[i + 1])));
            ++i;
        }
    }
    // A filtered title passes the filter unchanged.
    std::string again = filtered;
    FUZZ_CHECK(filterTitle(again) == 0 && again == filtered);

    // Titles made of ASCII and allowed double-byte characters come back from
    // EUC-JP as they were; half-width kana come back widened, and stay so.
    // (Other single bytes above 0x7F are no title text: no promise there.)
    bool plain = true;
    bool kana = true;
    for (std::size_t i = 0; i < filtered.size(); ++i) {
        const auto c = static_cast<unsigned char>(filtered[i]);
        if (isSjisLead(c)) {
            ++i;
        } else if (c >= 0xA1 && c <= 0xDF) {
            plain = false;
        } else if (c >= 0x80) {
            plain = kana = false;
        }
    }
    const std::string euc = sjisToEuc(filtered).value_or("?");
    const std::string back = eucToSjis(euc).value_or("?");
    if (kana) FUZZ_CHECK(sjisToEuc(back).value_or("!") == euc);
    if (plain) FUZZ_CHECK(back == filtered);
}

void checkFields(const std::string& text)
{
    const std::string sjis = fitCp932Title(text, 31);
    FUZZ_CHECK(sjis.size() <= 31 && isPrefix(sjis, text));
    const std::string euc = fitEucTitle(text, 31);
    FUZZ_CHECK(euc.size() <= 31);
    unsigned char field[32];
    storeTitleField(field, sizeof field, euc);
    FUZZ_CHECK(field[31] == 0 && titleFieldText(field, sizeof field) == euc.substr(0, euc.find('\0')));
    (void)titleStemOfPath(text);
}

void checkKanaAndPairs(const std::string& text, std::size_t pos)
{
    const WideKana wide = widenKana(text, pos);
    const bool kana = pos < text.size() && static_cast<unsigned char>(text[pos]) >= 0xA1 &&
                      static_cast<unsigned char>(text[pos]) <= 0xDF;
    FUZZ_CHECK(wide.used == (kana ? 1 : 0) || (kana && wide.used == 2 && pos + 1 < text.size()));
    if (kana) FUZZ_CHECK(isSjisLead(wide.lead) && wide.trail >= 0x40);

    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        if (!isSjisLead(lead) || trail < 0x40 || trail > 0xFC || trail == 0x7F) continue;
        const JisPair jis = sjisPairToJis(lead, trail);
        FUZZ_CHECK(jis.cell >= 0x21 && jis.cell <= 0x7E);
        unsigned char j1 = jis.row;
        unsigned char j2 = jis.cell;
        jisPairToSjis(j1, j2);
        FUZZ_CHECK(j1 == lead && j2 == trail);
    }
}

void checkCp932(const std::string& text)
{
    // CP932 read as UTF-8 is always valid UTF-8, and so is a legacy decode.
    const std::string utf8 = cp932ToUtf8(text);
    FUZZ_CHECK(isValidUtf8(utf8));
    FUZZ_CHECK(isValidUtf8(decodeLegacyText(text)));
    LegacyTextDecoder decoder;
    FUZZ_CHECK(decoder.decode(text) == decodeLegacyText(text));

    // What UTF-8 becomes in CP932 comes back to the same CP932 bytes.
    bool dropped = false;
    const std::string cp932 = utf8ToCp932(text, &dropped);
    if (!isValidUtf8(text)) FUZZ_CHECK(dropped);
    bool droppedAgain = true;
    FUZZ_CHECK(utf8ToCp932(cp932ToUtf8(cp932), &droppedAgain) == cp932 && !droppedAgain);
    for (std::size_t i = 0; i < cp932.size(); ++i) {
        const auto c = static_cast<unsigned char>(cp932[i]);
        FUZZ_CHECK(c < 0xF0 || c > 0xFC);
        if (isSjisLead(c)) ++i;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const int maxChars = in.byte() % 40 - 2;
    const std::size_t pos = in.byte();
    const std::string text = in.rest();

    checkCutAndFilter(text, maxChars);
    checkFields(text);
    checkKanaAndPairs(text, pos);
    checkCp932(text);
    (void)eucToSjis(text);
    (void)sjisToEuc(text);
    return 0;
}
