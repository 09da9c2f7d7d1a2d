// SPDX-License-Identifier: GPL-3.0-or-later
#include "title_cleaning.h"

#include "path_text.h"

#include <vector>

namespace {

bool isOpening(char c)
{
    return c == '(' || c == '[';
}

char closingOf(char c)
{
    return c == '(' ? ')' : ']';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The position just past the bracket that closes the group opened at
// start, or npos when the group is never closed.
std::size_t groupEnd(std::string_view text, std::size_t start)
{
    std::vector<char> open;
    for (std::size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (isOpening(c)) {
            open.push_back(closingOf(c));
        } else if (c == open.back()) {
            open.pop_back();
            if (open.empty()) return i + 1;
        }
    }
    return std::string_view::npos;
}

std::string withoutGroups(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (isOpening(text[i])) {
            const std::size_t end = groupEnd(text, i);
            if (end != std::string_view::npos) {
                // A blank stands in for the group, so "Quest(Japan)Deluxe"
                // keeps its words apart; tidying drops what is not needed.
                out += ' ';
                i = end;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

std::string tidyBlanks(std::string_view text)
{
    std::string out;
    bool pendingBlank = false;
    for (const char c : text) {
        if (isBlank(c)) {
            pendingBlank = true;
            continue;
        }
        if (pendingBlank && !out.empty() && c != ',') out += ' ';
        pendingBlank = false;
        out += c;
    }
    return out;
}

constexpr std::string_view ARTICLE_TAIL = ", The";
constexpr std::string_view SUBTITLE_MARK = " - ";

// "Addams Family, The - Pugsley's Scavenger Hunt" -> "The Addams Family -
// Pugsley's Scavenger Hunt"; the first ", The" that ends the title or its
// main part is moved.
std::string withArticleInFront(const std::string& text)
{
    for (std::size_t at = 0; at + ARTICLE_TAIL.size() <= text.size(); ++at) {
        if (compareNoCase(std::string_view(text).substr(at, ARTICLE_TAIL.size()), ARTICLE_TAIL) != 0) continue;
        const std::string_view rest = std::string_view(text).substr(at + ARTICLE_TAIL.size());
        if (!rest.empty() && rest.substr(0, SUBTITLE_MARK.size()) != SUBTITLE_MARK) continue;
        if (at == 0) return text;
        return "The " + text.substr(0, at) + std::string(rest);
    }
    return text;
}

}  // namespace

std::string cleanRomTitle(std::string_view name)
{
    const std::string cleaned = withArticleInFront(tidyBlanks(withoutGroups(name)));
    return cleaned.empty() ? std::string(name) : cleaned;
}
