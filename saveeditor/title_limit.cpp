#include "title_limit.h"

#include "qt_text.h"

#include <algorithm>

namespace {

// Characters CP932 cannot hold take no room: they are dropped when the
// title is stored, and the user is told so then.
int cp932Bytes(const QString& text)
{
    return static_cast<int>(toCp932(text).size());
}

// The longest beginning of text, in whole characters, that fits maxBytes.
QString firstBytesOf(const QString& text, int maxBytes)
{
    int bytes = 0;
    int end = 0;
    while (end < text.size()) {
        // A character outside the basic plane is two QChars; it moves as one.
        const int width = text.at(end).isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
        const int size = cp932Bytes(text.mid(end, width));
        if (bytes + size > maxBytes) break;
        bytes += size;
        end += width;
    }
    return text.left(end);
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

QValidator::State TitleByteLimit::validate(QString& input, int& pos) const
{
    if (cp932Bytes(input) <= maxBytes_) {
        accepted_ = input;
        return Acceptable;
    }
    if (isOneInsertion(accepted_, input)) return Invalid;
    input = firstBytesOf(input, maxBytes_);
    pos = std::min(pos, static_cast<int>(input.size()));
    accepted_ = input;
    return Acceptable;
}
