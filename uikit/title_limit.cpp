// SPDX-License-Identifier: GPL-3.0-or-later
#include "title_limit.h"

#include "qt_text.h"
#include "sjis.h"

#include <algorithm>
#include <utility>

namespace {

// Characters in CP932 bytes: a lead byte and its trail byte are one.
int cp932Chars(const std::string& bytes)
{
    int chars = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i, ++chars) {
        if (isSjisLead(static_cast<unsigned char>(bytes[i]))) ++i;
    }
    return chars;
}

// True when after is before with one character put in somewhere: a key typed.
bool isOneInsertion(const QString& before, const QString& after)
{
    if (after.size() != before.size() + 1) return false;
    int same = 0;
    while (same < before.size() && before.at(same) == after.at(same)) ++same;
    return QStringView(after).mid(same + 1) == QStringView(before).mid(same);
}

}  // namespace

// Characters CP932 cannot hold take no room: they are dropped when the
// title is stored, and the user is told so then.
bool TitleByteLimit::fits(const QString& text) const
{
    const std::string bytes = toCp932(text);
    return static_cast<int>(bytes.size()) <= maxBytes_ && (maxChars_ == 0 || cp932Chars(bytes) <= maxChars_);
}

QValidator::State TitleByteLimit::validate(QString& input, int& pos) const
{
    if (fits(input)) {
        accepted_ = input;
        return Acceptable;
    }
    if (isOneInsertion(accepted_, input)) return Invalid;
    // The longest beginning, in whole characters, that fits, measured one
    // character at a time so a long paste costs no more than its length; a
    // character outside the basic plane is two QChars and moves as one.
    int end = 0;
    int bytes = 0;
    int chars = 0;
    while (end < input.size()) {
        const int width = input.at(end).isHighSurrogate() && end + 1 < input.size() ? 2 : 1;
        const int size = static_cast<int>(toCp932(input.mid(end, width)).size());
        if (bytes + size > maxBytes_ || (maxChars_ != 0 && size > 0 && chars + 1 > maxChars_)) break;
        bytes += size;
        chars += size > 0 ? 1 : 0;
        end += width;
    }
    input.truncate(end);
    pos = std::min(pos, static_cast<int>(input.size()));
    accepted_ = input;
    cut_ = true;
    return Acceptable;
}

bool TitleByteLimit::takeCut() const
{
    return std::exchange(cut_, false);
}
