#include "qt_text.h"

#include "text_encoding.h"

std::string toCp932(const QString& text, bool* dropped)
{
    return utf8ToCp932(text.toStdString(), dropped);
}

QString fromCp932(const std::string& bytes)
{
    return QString::fromStdString(cp932ToUtf8(bytes));
}
