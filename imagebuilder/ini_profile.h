// Settings files in the INI format: "[section]" lines and "key=value" lines.
// Sections and keys match without regard to ASCII case; a missing file,
// section or key gives the default; a write keeps every other line and
// replaces the file only when the new one is complete.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A settings file read once, for callers that look up many keys.
class IniSnapshot {
public:
    static IniSnapshot load(const std::string& file);

    // The value, or defaultValue when the section or key is missing; cut to
    // at most maxBytes bytes without splitting a UTF-8 character. Values that
    // are not valid UTF-8 (files from Japanese Windows) are read as CP932.
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue, std::size_t maxBytes) const;

    // The leading decimal integer of the value, or defaultValue when the key
    // is missing or empty.
    int readInt(std::string_view section, std::string_view key, int defaultValue) const;

    std::optional<std::string> value(std::string_view section, std::string_view key) const;

private:
    friend int iniWriteString(const std::string&, std::string_view, std::string_view, std::string_view);
    std::vector<std::string> lines_;  // as in the file, without line ends
    bool crlf_ = false;               // the line end the file uses, kept on rewrite
    bool unreadable_ = false;         // the file exists but could not be read whole
};

// One-off reads of a settings file: the same as IniSnapshot::load(file).read...
std::string iniReadString(const std::string& file, std::string_view section, std::string_view key,
                          std::string_view defaultValue, std::size_t maxBytes);
int iniReadInt(const std::string& file, std::string_view section, std::string_view key,
               int defaultValue);

// Writes key=value into section, creating the file, section or key as
// needed. 0 when written, 1 when the file could not be replaced; a file that
// exists but cannot be read is left alone (1), since rewriting it from what
// was read would lose its other lines.
int iniWriteString(const std::string& file, std::string_view section, std::string_view key,
                   std::string_view value);

// The leading decimal integer of text, as settings and option fields read it:
// leading blanks skipped, an optional sign, digits; 0 without digits.
// Values beyond the int range are held at its ends.
int leadingInt(std::string_view text);
