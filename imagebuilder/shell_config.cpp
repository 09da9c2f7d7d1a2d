#include "shell_config.h"

#include "ini_profile.h"
#include "path_text.h"
#include "rom_file.h"

#include <limits>

std::string configPathOf(const std::string& programDir)
{
    return programDir + std::string(CONFIG_FILE_NAME);
}

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

std::int32_t estimateShellSize(const IniSnapshot& config, const std::string& programDir,
                               std::string_view section)
{
    std::int64_t total = fileSize(programDir + shellFileOf(config, section));
    if (total == 0) return 0;
    for (const std::string& value : extraFileValuesOf(config, section)) {
        ExtraFile extra;
        if (!splitExtraFile(value, extra)) return 0;
        const std::int64_t size = fileSize(programDir + extra.path);
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

std::vector<ShellVariant> loadShellVariants(const std::string& programDir, const IniSnapshot& config)
{
    std::vector<ShellVariant> table;
    const int num = config.readInt("list", "num", 0);
    if (num <= 0 || num > MAX_VARIANT_SLOTS) return table;
    for (int i = 0; i < num; ++i) {
        const std::string name =
            config.readString("list", "list" + std::to_string(i), "", CONFIG_VALUE_MAX);
        if (name.empty()) continue;
        ShellVariant variant;
        variant.name = name;
        variant.imageSize = estimateShellSize(config, programDir, name);
        variant.isPocketNes = isPocketNesSection(config, name) ? 1 : 0;
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
