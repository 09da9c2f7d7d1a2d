// The name of the image "Create Image" writes. A pattern is no name: the
// chooser used to start on "*.gba", and Enter then created a file literally
// called "*.gba" that nobody would look for.
#pragma once

#include <QString>

// True when the file name part of path holds '*' or '?'.
bool hasWildcard(const QString& path);

// The message that refuses such a name.
QString wildcardNameText(const QString& path);
