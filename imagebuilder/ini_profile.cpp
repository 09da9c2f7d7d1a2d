#include "ini_profile.h"

#include "file_io.h"
#include "path_text.h"
#include "text_encoding.h"

#include <cerrno>
#include <climits>

namespace {

std::string_view trim(std::string_view s)
{
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// Section name of a "[name]" line. A line with '=' is a key even when it
// begins with '[', so file names such as "[BIOS] Game.nes" work as keys.
std::optional<std::string> sectionName(const std::string& rawLine)
{
    const std::string line = decodeLegacyText(rawLine);
    const std::string_view t = trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']' || t.find('=') != std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(trim(t.substr(1, t.size() - 2)));
}

struct KeyLine {
    std::string key;
    std::string value;
};

std::optional<KeyLine> keyLine(const std::string& rawLine)
{
    const std::string line = decodeLegacyText(rawLine);
    const std::string_view t = trim(line);
    if (t.empty() || t.front() == ';') return std::nullopt;
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyLine{std::string(trim(t.substr(0, eq))), std::string(trim(t.substr(eq + 1)))};
}

// The header line of the first section called name and the line after its body.
struct SectionRange {
    std::size_t header;
    std::size_t end;
};

std::optional<SectionRange> findSection(const std::vector<std::string>& lines, std::string_view name)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto s = sectionName(lines[i]);
        if (!s || compareNoCase(*s, name) != 0) continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !sectionName(lines[end])) ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<std::string>& lines, const SectionRange& range,
                                   std::string_view key)
{
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const auto k = keyLine(lines[i]);
        if (k && compareNoCase(k->key, key) == 0) return i;
    }
    return std::nullopt;
}

// Cuts text to at most maxBytes bytes, never inside a UTF-8 character.
void cutUtf8(std::string& text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes) return;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
}

// A value must stay on its line.
std::string oneLine(std::string_view value)
{
    std::string out;
    for (const char c : value) {
        if (c != '\r' && c != '\n') out.push_back(c);
    }
    return out;
}

}  // namespace

IniSnapshot IniSnapshot::load(const std::string& file)
{
    IniSnapshot ini;
    errno = 0;
    InFile in(file);
    if (!in.isOpen()) {
        ini.unreadable_ = errno != ENOENT && errno != ENOTDIR;
        return ini;
    }
    std::string line;
    while (in.readLine(line)) {
        if (ini.lines_.empty()) {
            if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);  // a UTF-8 byte order mark
        }
        ini.lines_.push_back(line);
    }
    if (in.readFailed()) ini.unreadable_ = true;
    InFile again(file);
    char head[4096];
    const std::string text(head, again.read(head, sizeof head));
    const std::size_t lf = text.find('\n');
    ini.crlf_ = lf != std::string::npos && lf > 0 && text[lf - 1] == '\r';
    return ini;
}

std::optional<std::string> IniSnapshot::value(std::string_view section, std::string_view key) const
{
    const auto range = findSection(lines_, section);
    if (!range) return std::nullopt;
    const auto at = findKey(lines_, *range, key);
    if (!at) return std::nullopt;
    return keyLine(lines_[*at])->value;
}

std::string IniSnapshot::readString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t maxBytes) const
{
    std::string result = value(section, key).value_or(std::string(defaultValue));
    cutUtf8(result, maxBytes);
    return result;
}

int IniSnapshot::readInt(std::string_view section, std::string_view key, int defaultValue) const
{
    const auto v = value(section, key);
    if (!v || v->empty()) return defaultValue;
    return leadingInt(*v);
}

std::string iniReadString(const std::string& file, std::string_view section, std::string_view key,
                          std::string_view defaultValue, std::size_t maxBytes)
{
    return IniSnapshot::load(file).readString(section, key, defaultValue, maxBytes);
}

int iniReadInt(const std::string& file, std::string_view section, std::string_view key,
               int defaultValue)
{
    return IniSnapshot::load(file).readInt(section, key, defaultValue);
}

int iniWriteString(const std::string& file, std::string_view section, std::string_view key,
                   std::string_view value)
{
    IniSnapshot ini = IniSnapshot::load(file);
    if (ini.unreadable_) return 1;
    std::vector<std::string>& lines = ini.lines_;
    const std::string line = std::string(key) + "=" + oneLine(value);
    const auto range = findSection(lines, section);
    if (!range) {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(line);
    } else if (const auto at = findKey(lines, *range, key)) {
        lines[*at] = line;
    } else {
        // New keys go after the section's last line, before any blank lines.
        std::size_t insertAt = range->end;
        while (insertAt > range->header + 1 && trim(lines[insertAt - 1]).empty()) --insertAt;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), line);
    }
    AtomicFile out;
    if (!out.open(file)) return 1;
    const std::string end = ini.crlf_ ? "\r\n" : "\n";
    for (const std::string& l : lines) {
        out.write(l);
        out.write(end);
    }
    return out.commit() ? 0 : 1;
}

int leadingInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (text[i] - '0');
        ++i;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}
