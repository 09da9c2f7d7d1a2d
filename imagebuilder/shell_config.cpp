// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell_config.h"

#include "ini_profile.h"
#include "path_text.h"
#include "file_io.h"

#include <algorithm>
#include <limits>

std::string shellFileOf(const IniSnapshot& config, std::string_view section)
{
    return config.readString(section, "shell", "kvl.gba", CONFIG_VALUE_MAX);
}

bool isPocketNesSection(const IniSnapshot& config, std::string_view section)
{
    return compareNoCase(config.readString(section, "type", "kvl", CONFIG_VALUE_MAX), "PNES") == 0;
}

std::vector<std::string> extraFileValuesOf(const IniSnapshot& config, std::string_view section)
{
    std::vector<std::string> values;
    for (int n = 0;; ++n) {
        std::string value = config.readString(section, "file" + std::to_string(n), "", CONFIG_VALUE_MAX);
        if (value.empty()) break;
        values.push_back(std::move(value));
    }
    return values;
}

bool splitExtraFile(std::string_view value, ExtraFile& extra)
{
    const std::size_t first = value.find(',');
    if (first == std::string_view::npos) return false;
    const std::size_t second = value.find(',', first + 1);
    if (second == std::string_view::npos) return false;
    extra.path = std::string(value.substr(0, first));
    extra.name = std::string(value.substr(first + 1, second - first - 1));
    extra.ext = std::string(value.substr(second + 1));
    return true;
}

const std::vector<int>& pocketNesMappers()
{
    static const std::vector<int> mappers = [] {
        std::vector<int> list = {0,  1,  2,  3,  4,  5,  7,  9,  10, 11, 15, 16, 17, 18, 19, 21, 22, 23, 24, 25, 26,
                                 32, 33, 34, 40, 42, 85, 86, 87, 88, 92, 93, 94, 97, 99, 105, 118, 119, 140, 151,
                                 152, 158, 163, 178, 180, 184, 187, 206, 228, 232, 245, 249, 252, 254};
        for (int m = 64; m <= 80; ++m) list.push_back(m);
        std::sort(list.begin(), list.end());
        return list;
    }();
    return mappers;
}

namespace {

// "0,1,2,64-80" as the numbers it names, ascending and each once. Parts that
// are no number or range name nothing.
std::vector<int> parseMapperList(std::string_view text)
{
    std::vector<int> mappers;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) comma = text.size();
        const std::string_view part = text.substr(start, comma - start);
        const std::size_t dash = part.find('-');
        const bool hasDigit = part.find_first_of("0123456789") != std::string_view::npos;
        if (hasDigit) {
            const int first = leadingInt(part.substr(0, dash));
            const int last = dash == std::string_view::npos ? first : leadingInt(part.substr(dash + 1));
            // Mapper numbers have at most 12 bits.
            for (int m = std::max(first, 0); m <= std::min(last, 4095); ++m) mappers.push_back(m);
        }
        start = comma + 1;
    }
    std::sort(mappers.begin(), mappers.end());
    mappers.erase(std::unique(mappers.begin(), mappers.end()), mappers.end());
    return mappers;
}

}  // namespace

std::optional<std::vector<int>> supportedMappersOf(const IniSnapshot& config, std::string_view section)
{
    const std::string listed = config.readString(section, "mappers", "", std::string::npos);
    if (listed.find_first_of("0123456789") != std::string::npos) return parseMapperList(listed);
    if (isPocketNesSection(config, section)) return pocketNesMappers();
    return std::nullopt;
}

bool variantLacksMapper(const ShellVariant& variant, int mapper)
{
    return variant.mappers && !std::binary_search(variant.mappers->begin(), variant.mappers->end(), mapper);
}

namespace {

// The size of a shell or extra file; 0 for a file the writer could not use
// (the caller explains those when it needs to).
std::int64_t usableSize(const std::string& path)
{
    const FileFacts facts = fileFactsOf(path);
    return facts.problem == 0 ? facts.size : 0;
}

}  // namespace

std::int32_t estimateShellSize(const IniSnapshot& config, const std::string& programDir,
                               std::string_view section)
{
    std::int64_t total = usableSize(programDir + shellFileOf(config, section));
    if (total == 0) return 0;
    if (total > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    for (const std::string& value : extraFileValuesOf(config, section)) {
        ExtraFile extra;
        if (!splitExtraFile(value, extra)) return 0;
        const std::int64_t size = usableSize(programDir + extra.path);
        if (size == 0) return 0;
        total += 44 + ((size + 3) & ~std::int64_t{3});
        if (total > std::numeric_limits<std::int32_t>::max()) {
            return std::numeric_limits<std::int32_t>::max();
        }
    }
    return static_cast<std::int32_t>(total);
}

std::int32_t estimateShellSize(const std::string& programDir, std::string_view section)
{
    return estimateShellSize(IniSnapshot::load(configPathOf(programDir)), programDir, section);
}

std::vector<ShellVariant> loadShellVariants(const std::string& programDir)
{
    return loadShellVariants(programDir, IniSnapshot::load(configPathOf(programDir)));
}

std::vector<std::string> listedVariantNames(const IniSnapshot& config)
{
    std::vector<std::string> names;
    const int num = config.readInt("list", "num", 0);
    if (num <= 0 || num > MAX_VARIANT_SLOTS) return names;
    for (int i = 0; i < num; ++i) {
        std::string name = config.readString("list", "list" + std::to_string(i), "", CONFIG_VALUE_MAX);
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

std::vector<VariantFile> variantFilesOf(const std::string& programDir, const IniSnapshot& config)
{
    std::vector<VariantFile> files{{configPathOf(programDir), {}, false}};
    for (const std::string& name : listedVariantNames(config)) {
        files.push_back({programDir + shellFileOf(config, name), name, true});
        for (const std::string& value : extraFileValuesOf(config, name)) {
            ExtraFile extra;
            if (splitExtraFile(value, extra)) files.push_back({programDir + extra.path, name, false});
        }
    }
    return files;
}

std::vector<ShellVariant> loadShellVariants(const std::string& programDir, const IniSnapshot& config)
{
    std::vector<ShellVariant> table;
    for (const std::string& name : listedVariantNames(config)) {
        ShellVariant variant;
        variant.name = name;
        variant.imageSize = estimateShellSize(config, programDir, name);
        variant.isPocketNes = isPocketNesSection(config, name) ? 1 : 0;
        variant.mappers = supportedMappersOf(config, name);
        if (variant.imageSize != 0) table.push_back(std::move(variant));
    }
    return table;
}

int chooseVariantIndex(const std::vector<ShellVariant>& table, std::string_view wanted)
{
    if (table.empty()) return -1;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::string_view name = table[i].name;
        if (name.size() >= wanted.size() && compareNoCase(name.substr(0, wanted.size()), wanted) == 0) {
            return static_cast<int>(i);
        }
    }
    return 0;
}
