// SPDX-License-Identifier: GPL-3.0-or-later
// Settings files in the INI format: "[section]" lines and "key=value" lines.
// Sections and keys match without regard to ASCII case; a missing file,
// section or key gives the default; a write keeps every other line and
// replaces the file only when the new one is complete.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// What a settings or configuration reader accepts. A settings file holds a
// few lines per ROM, so a larger file, or a longer line, is damaged or not a
// settings file at all: it reads as empty and is never rewritten.
constexpr std::size_t INI_FILE_MAX = 4 * 1024 * 1024;
constexpr std::size_t INI_LINE_MAX = 64 * 1024;

// A settings file decoded and indexed once, so that any number of look-ups
// cost no more reading. Load it once and pass it to whatever needs its values.
class IniSnapshot {
public:
    // A missing file gives an empty snapshot; so does one that can't be read,
    // with the reason in errorNumber().
    static IniSnapshot load(const std::string& file);
    // The same for the bytes of a file.
    static IniSnapshot parse(std::string_view bytes);

    // 0 when the file was read whole (or does not exist); otherwise why it
    // could not be (fileErrorText tells it): a system error, EFBIG for a file
    // beyond INI_FILE_MAX, LINE_TOO_LONG for a line beyond INI_LINE_MAX.
    int errorNumber() const { return errorNumber_; }

    // The value, or defaultValue when the section or key is missing; cut to
    // at most maxBytes bytes without splitting a UTF-8 character. Values that
    // are not valid UTF-8 (files from Japanese Windows) are read as CP932.
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue, std::size_t maxBytes) const;

    // The leading decimal integer of the value, or defaultValue when the key
    // is missing or empty.
    int readInt(std::string_view section, std::string_view key, int defaultValue) const;

    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // Every key value() finds, as section and key with their ASCII letters
    // folded, in no particular order.
    std::vector<std::pair<std::string, std::string>> keys() const;

private:
    friend int iniWriteString(const std::string&, std::string_view, std::string_view, std::string_view);
    friend int iniRemoveKey(const std::string&, std::string_view, std::string_view);

    // A line as the file holds it: its bytes without the LF, and whether an
    // LF ended it (only the last line may lack one). Lines nobody writes are
    // written back exactly as read.
    struct Line {
        std::string text;
        bool ended = true;
    };
    struct KeyEntry {
        std::size_t line;
        std::string value;
    };
    // The first section of a name (later ones of the same name are never
    // read) and the first line of each key in it.
    struct Section {
        std::size_t header;
        std::size_t end;  // the line after the section's last line
        std::unordered_map<std::string, KeyEntry> keys;  // by the key with ASCII letters folded
    };

    void index();
    // Writes the lines in place of file, whole or not at all: 0 or the reason.
    int replaceFile(const std::string& file) const;
    const Section* findSection(std::string_view name) const;
    std::string lineEnd() const;

    std::string byteOrderMark_;  // kept on rewrite
    std::vector<Line> lines_;
    std::unordered_map<std::string, Section> sections_;  // by the name with ASCII letters folded
    int errorNumber_ = 0;
};

// One-off reads of a settings file: the same as IniSnapshot::load(file).read...
std::string iniReadString(const std::string& file, std::string_view section, std::string_view key,
                          std::string_view defaultValue, std::size_t maxBytes);
int iniReadInt(const std::string& file, std::string_view section, std::string_view key,
               int defaultValue);

// Writes key=value into section, creating the file, section or key as
// needed. 0 when written; otherwise the reason as an error number
// (fileErrorText tells it). A file that exists but can't be read whole is
// left alone, since rewriting it from what was read would lose its other
// lines. The file is locked from the read to the write (FileLock), so two
// programs writing settings at once both keep their values; FILE_BUSY when
// the other one takes too long.
//
// Any key reads back as itself: one that the plain form can't hold (an '=',
// a line break, blanks at either end, a leading ';' or '"', bytes that are
// not UTF-8) is written in quotes with such bytes as \xHH. Every other key
// is written as it is, as it always was. A line break in a value is left
// out, so a value never spills onto another line.
int iniWriteString(const std::string& file, std::string_view section, std::string_view key,
                   std::string_view value);

// Removes key from section (every line of it there), so that it reads as
// missing again; a file, section or key that is not there is left alone.
// 0, or the reason, as for iniWriteString.
int iniRemoveKey(const std::string& file, std::string_view section, std::string_view key);

// The leading decimal integer of text, as settings and option fields read it:
// leading blanks skipped, an optional sign, digits; 0 without digits.
// Values beyond the int range are held at its ends.
int leadingInt(std::string_view text);
