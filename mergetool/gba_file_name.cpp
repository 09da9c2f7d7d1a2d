// SPDX-License-Identifier: GPL-3.0-or-later
#include "gba_file_name.h"

#include "list_file.h"
#include "path_text.h"
#include "qt_text.h"

bool hasWildcard(const QString& path)
{
    const std::string text = toPlatform(path);
    const std::string_view name = std::string_view(text).substr(fileNamePart(text));
    return name.find_first_of("*?") != std::string_view::npos;
}

QString wildcardNameText(const QString& path)
{
    return QStringLiteral("Invalid GBA Filename\n%1\n\n* and ? can't be part of the image's name; "
                          "choose a name such as cart.gba.")
        .arg(path);
}

bool isTooLongToKeep(const QString& path)
{
    return toPlatform(path).size() > WINDOW_LIST_IMAGE_MAX;
}

QString tooLongNameText(const QString& path)
{
    return QStringLiteral("Invalid GBA Filename\n%1...\n\nThe name is longer than the %2 bytes romweld can keep; "
                          "choose a shorter one.")
        .arg(path.left(80))
        .arg(WINDOW_LIST_IMAGE_MAX);
}

QValidator::State KeptNameLimit::validate(QString& input, int&) const
{
    return isTooLongToKeep(input) ? Invalid : Acceptable;
}
