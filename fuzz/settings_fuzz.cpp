// SPDX-License-Identifier: GPL-3.0-or-later
// Settings files: any bytes read as a settings file, then one key written
// and the file read again. The written key reads back as written (its value
// on one line), every other key keeps its value, no key appears from
// nowhere, and a file that could not be read is left alone.
#include "fuzz_formats.h"
#include "fuzz_support.h"

#include "ini_profile.h"
#include "path_text.h"
#include "text_encoding.h"

#include <algorithm>

namespace {

using namespace settings_fuzz;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// What a value reads back as: without line breaks, without blanks at its
// ends, and read as CP932 when it is not UTF-8.
std::string readBack(std::string_view value)
{
    std::string v;
    for (const char c : value) {
        if (c != '\r' && c != '\n') v.push_back(c);
    }
    while (!v.empty() && isBlank(v.back())) v.pop_back();
    const auto first = std::find_if(v.begin(), v.end(), [](char c) { return !isBlank(c); });
    v.erase(v.begin(), first);
    return decodeLegacyText(v);
}

bool startsWithBom(std::string_view bytes)
{
    return bytes.substr(0, 3) == "\xEF\xBB\xBF";
}

void checkReads(const IniSnapshot& ini, std::size_t maxBytes)
{
    for (const auto& [section, key] : ini.keys()) {
        const std::optional<std::string> value = ini.value(section, key);
        FUZZ_CHECK(value.has_value());
        FUZZ_CHECK(isValidUtf8(*value));
        const std::string cut = ini.readString(section, key, "", maxBytes);
        FUZZ_CHECK(cut.size() <= maxBytes && value->compare(0, cut.size(), cut) == 0 && isValidUtf8(cut));
        FUZZ_CHECK(ini.readInt(section, key, -7) == (value->empty() ? -7 : leadingInt(*value)));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::string section = SECTIONS[in.byte() % SECTION_COUNT];
    const std::string key = in.text();
    const std::string value = in.text();
    const std::size_t maxBytes = in.byte();
    const std::string file = in.rest();

    const std::string path = scratchDir() + "settings.ini";
    putFile(path, file);
    const IniSnapshot before = IniSnapshot::load(path);
    const IniSnapshot parsed = IniSnapshot::parse(file);
    FUZZ_CHECK(before.errorNumber() == parsed.errorNumber());
    auto keys = before.keys();
    auto parsedKeys = parsed.keys();
    std::sort(keys.begin(), keys.end());
    std::sort(parsedKeys.begin(), parsedKeys.end());
    FUZZ_CHECK(keys == parsedKeys);
    checkReads(before, maxBytes);

    const int written = iniWriteString(path, section, key, value);
    if (before.errorNumber() != 0) {
        FUZZ_CHECK(written == before.errorNumber());
        FUZZ_CHECK(fileBytes(path) == file);
        return 0;
    }
    FUZZ_CHECK(written == 0);
    const std::string rewritten = fileBytes(path);
    const IniSnapshot after = IniSnapshot::load(path);
    FUZZ_CHECK(after.errorNumber() == 0);
    FUZZ_CHECK(startsWithBom(rewritten) == startsWithBom(file));

    FUZZ_CHECK(after.value(section, key) == readBack(value));
    const auto isWritten = [&](const std::pair<std::string, std::string>& k) {
        return k.first == foldNoCase(section) && k.second == foldNoCase(key);
    };
    for (const auto& k : keys) {
        if (!isWritten(k)) FUZZ_CHECK(after.value(k.first, k.second) == before.value(k.first, k.second));
    }
    for (const auto& k : after.keys()) FUZZ_CHECK(isWritten(k) || before.value(k.first, k.second).has_value());
    checkReads(after, maxBytes);

    // Writing what is already there changes nothing.
    FUZZ_CHECK(iniWriteString(path, section, key, value) == 0);
    FUZZ_CHECK(fileBytes(path) == rewritten);
    removeFile(path);
    return 0;
}
