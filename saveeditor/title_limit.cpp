#include "title_limit.h"

#include "qt_text.h"

QValidator::State TitleByteLimit::validate(QString& input, int&) const
{
    // Characters CP932 cannot hold take no room: they are dropped when the
    // title is stored, and the user is told so then.
    return static_cast<int>(toCp932(input).size()) <= maxBytes_ ? Acceptable : Invalid;
}
