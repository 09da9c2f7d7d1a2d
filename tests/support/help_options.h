// SPDX-License-Identifier: GPL-3.0-or-later
// The options a help text or a man page names, so the two can be compared.
#pragma once

#include <regex>
#include <set>
#include <string>

// Every "-x" and "--long-name" that stands as a word of text. A man page's
// roff is read as it shows: "\-" is a dash, font changes are dropped, and
// its EXAMPLES (shell commands of other programs) are left out.
inline std::set<std::string> optionsIn(std::string text, bool roff = false)
{
    if (roff) {
        text = text.substr(0, text.find(".SH EXAMPLES"));
        text = std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
        text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
    }
    std::set<std::string> options;
    const std::regex word(R"((^|[\s\[\(|,"])(--?[a-z][a-z0-9-]*))");
    for (std::sregex_iterator it(text.begin(), text.end(), word), end; it != end; ++it) options.insert((*it)[2]);
    return options;
}
