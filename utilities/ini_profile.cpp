// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini_profile.h"

#include "file_io.h"
#include "file_lock.h"
#include "hex_text.h"
#include "path_text.h"
#include "text_encoding.h"

#include <cerrno>
#include <climits>

namespace {

constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";

// A CR is a blank at the ends of a line, so a line ended by CR CR LF, or a
// last line ending in a lone CR, means the same with or without its LF.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Section name of a "[name]" line. A line with '=' is a key even when it
// begins with '[', so file names such as "[BIOS] Game.nes" work as keys.
std::optional<std::string_view> sectionName(std::string_view line)
{
    const std::string_view t = trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']' || t.find('=') != std::string_view::npos) {
        return std::nullopt;
    }
    return trim(t.substr(1, t.size() - 2));
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The key a quoted key stands for; nothing when the text is not exactly a
// quoted key (then it is an ordinary key that happens to hold quotes).
std::optional<std::string> unquoteKey(std::string_view t)
{
    if (t.size() < 2 || t.front() != '"' || t.back() != '"') return std::nullopt;
    std::string key;
    for (std::size_t i = 1; i + 1 < t.size(); ++i) {
        const char c = t[i];
        if (c == '"') return std::nullopt;
        if (c != '\\') {
            key.push_back(c);
            continue;
        }
        if (i + 4 > t.size() - 1 || t[i + 1] != 'x') return std::nullopt;
        const int hi = hexDigit(t[i + 2]);
        const int lo = hexDigit(t[i + 3]);
        if (hi < 0 || lo < 0) return std::nullopt;
        key.push_back(static_cast<char>(hi * 16 + lo));
        i += 3;
    }
    return key;
}

// Whether a key written as it is would read back as another key (or none).
bool needsQuotes(std::string_view key)
{
    if (key.empty()) return false;
    if (key.front() == ';' || isBlank(key.front()) || isBlank(key.back())) return true;
    if (key.find_first_of("=\r\n") != std::string_view::npos) return true;
    if (unquoteKey(key)) return true;
    // Read back as CP932 otherwise.
    return !isValidUtf8(key);
}

std::string quoteKey(std::string_view key)
{
    const bool utf8 = isValidUtf8(key);
    std::string quoted = "\"";
    for (const char c : key) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '=' || c == '"' || c == '\\' || b < 0x20 || b == 0x7F || (b >= 0x80 && !utf8)) {
            quoted += "\\x" + hexText(b, 2);
        } else {
            quoted.push_back(c);
        }
    }
    quoted.push_back('"');
    return quoted;
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

// Cuts text to at most maxBytes bytes, never inside a UTF-8 character.
void cutUtf8(std::string& text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes) return;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
}

}  // namespace

IniSnapshot IniSnapshot::parse(std::string_view bytes)
{
    IniSnapshot ini;
    if (bytes.size() > INI_FILE_MAX) {
        ini.errorNumber_ = EFBIG;
        return ini;
    }
    if (bytes.substr(0, BYTE_ORDER_MARK.size()) == BYTE_ORDER_MARK) {
        ini.byteOrderMark_ = std::string(BYTE_ORDER_MARK);
        bytes.remove_prefix(BYTE_ORDER_MARK.size());
    }
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        const std::string_view text = bytes.substr(0, lf);
        if (text.size() > INI_LINE_MAX) {
            ini.lines_.clear();
            ini.errorNumber_ = LINE_TOO_LONG;
            return ini;
        }
        ini.lines_.push_back(Line{std::string(text), lf != std::string_view::npos});
        bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
    }
    ini.index();
    return ini;
}

IniSnapshot IniSnapshot::load(const std::string& file)
{
    InFile in(file);
    if (!in.isOpen()) {
        IniSnapshot missing;
        const int err = in.errorNumber();
        missing.errorNumber_ = err == ENOENT || err == ENOTDIR ? 0 : err;
        return missing;
    }
    // One byte more than the limit tells a file that is too large.
    std::string bytes;
    char buffer[65536];
    std::size_t got = 0;
    while (bytes.size() <= INI_FILE_MAX && (got = in.read(buffer, sizeof buffer)) > 0) bytes.append(buffer, got);
    if (in.errorNumber() != 0) {
        IniSnapshot failed;
        failed.errorNumber_ = in.errorNumber();
        return failed;
    }
    return parse(bytes);
}

void IniSnapshot::index()
{
    // Every line is decoded once here; one conversion serves the whole file.
    LegacyTextDecoder decoder;
    Section* current = nullptr;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string_view raw = lines_[i].text;
        if (const auto name = sectionName(raw)) {
            if (current != nullptr) current->end = i;
            const auto [it, added] = sections_.try_emplace(foldNoCase(decoder.decode(*name)), Section{i, i + 1, {}});
            current = added ? &it->second : nullptr;
            continue;
        }
        if (current == nullptr) continue;
        const std::string_view t = trim(raw);
        if (t.empty() || t.front() == ';') continue;
        const std::size_t eq = t.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view keyText = trim(t.substr(0, eq));
        std::optional<std::string> key = unquoteKey(keyText);
        if (!key) key = decoder.decode(keyText);
        current->keys.try_emplace(foldNoCase(*key), KeyEntry{i, decoder.decode(trim(t.substr(eq + 1)))});
    }
    if (current != nullptr) current->end = lines_.size();
}

const IniSnapshot::Section* IniSnapshot::findSection(std::string_view name) const
{
    const auto it = sections_.find(foldNoCase(name));
    return it == sections_.end() ? nullptr : &it->second;
}

// The line end of the file's first ended line, kept for the lines a write
// adds; a new file gets LF. In a file of one unended line, that line counts:
// a write ends it, and a second write must find the same line end.
std::string IniSnapshot::lineEnd() const
{
    for (const Line& line : lines_) {
        if (line.ended || &line == &lines_.back()) {
            return !line.text.empty() && line.text.back() == '\r' ? "\r\n" : "\n";
        }
    }
    return "\n";
}

std::optional<std::string> IniSnapshot::value(std::string_view section, std::string_view key) const
{
    const Section* s = findSection(section);
    if (s == nullptr) return std::nullopt;
    const auto it = s->keys.find(foldNoCase(key));
    if (it == s->keys.end()) return std::nullopt;
    return it->second.value;
}

std::vector<std::pair<std::string, std::string>> IniSnapshot::keys() const
{
    std::vector<std::pair<std::string, std::string>> all;
    for (const auto& [section, s] : sections_) {
        for (const auto& entry : s.keys) all.emplace_back(section, entry.first);
    }
    return all;
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
    // Another program writing the file between this read and this write
    // would lose its change.
    FileLock lock;
    if (const int busy = lock.acquire(file); busy != 0) return busy;
    IniSnapshot ini = IniSnapshot::load(file);
    if (ini.errorNumber_ != 0) return ini.errorNumber_;
    using Line = IniSnapshot::Line;
    std::vector<Line>& lines = ini.lines_;
    const std::string end = ini.lineEnd();
    const std::string line = (needsQuotes(key) ? quoteKey(key) : std::string(key)) + "=" + oneLine(value);

    // Lines added after the last line give it the line end it lacked; with
    // blanks and CRs counting as nothing at a line's end, it means the same.
    const auto insertLines = [&](std::size_t at, std::vector<std::string> texts) {
        if (at == lines.size() && !lines.empty()) lines.back().ended = true;
        std::vector<Line> added;
        for (std::string& t : texts) added.push_back(Line{std::move(t), true});
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
    };
    // Added lines end the way the file's lines end.
    const std::string cr = end == "\r\n" ? "\r" : "";
    const IniSnapshot::Section* s = ini.findSection(section);
    if (s == nullptr) {
        insertLines(lines.size(), {"[" + oneLine(section) + "]" + cr, line + cr});
    } else if (const auto it = s->keys.find(foldNoCase(key)); it != s->keys.end()) {
        // The same line again would leave every byte as it is: the file is
        // not replaced (and not waited for on the disk), as when romweld
        // stores the variant it started with.
        if (lines[it->second.line].text == line + cr) return 0;
        lines[it->second.line].text = line + cr;
    } else {
        // New keys go after the section's last line, before any blank lines.
        std::size_t at = s->end;
        while (at > s->header + 1 && trim(lines[at - 1].text).empty()) --at;
        insertLines(at, {line + cr});
    }
    return ini.replaceFile(file);
}

int iniRemoveKey(const std::string& file, std::string_view section, std::string_view key)
{
    using Section = IniSnapshot::Section;
    FileLock lock;
    if (const int busy = lock.acquire(file); busy != 0) return busy;
    IniSnapshot ini = IniSnapshot::load(file);
    if (ini.errorNumber_ != 0) return ini.errorNumber_;
    bool removed = false;
    // A key written twice by hand would read as its second line next.
    for (const Section* s = ini.findSection(section); s != nullptr; s = ini.findSection(section)) {
        const auto it = s->keys.find(foldNoCase(key));
        if (it == s->keys.end()) break;
        ini.lines_.erase(ini.lines_.begin() + static_cast<std::ptrdiff_t>(it->second.line));
        ini.sections_.clear();
        ini.index();
        removed = true;
    }
    return removed ? ini.replaceFile(file) : 0;
}

int IniSnapshot::replaceFile(const std::string& file) const
{
    AtomicFile out;
    if (!out.open(file)) return out.errorNumber();
    out.write(byteOrderMark_);
    for (const Line& l : lines_) {
        out.write(l.text);
        if (l.ended) out.write("\n", 1);
    }
    return out.commit() ? 0 : out.errorNumber();
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
