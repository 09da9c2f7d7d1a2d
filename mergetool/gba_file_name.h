// SPDX-License-Identifier: GPL-3.0-or-later
// The name of the image "Create Image" writes. A pattern is no name: the
// chooser used to start on "*.gba", and Enter then created a file literally
// called "*.gba" that nobody would look for. Nor is a name longer than the
// window can keep for its next start.
#pragma once

#include <QString>
#include <QValidator>

// True when the file name part of path holds '*' or '?'.
bool hasWildcard(const QString& path);

// The message that refuses such a name.
QString wildcardNameText(const QString& path);

// True when path is too long for the list the window keeps.
bool isTooLongToKeep(const QString& path);

// The message that refuses such a name.
QString tooLongNameText(const QString& path);

// Refuses typing or pasting that would make the field's name too long to keep.
class KeptNameLimit : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};
