// SPDX-License-Identifier: GPL-3.0-or-later
// Text crossing between the screen (QString), platform text (UTF-8) and
// cartridge titles (CP932 bytes).
#pragma once

#include <QString>
#include <QStringList>
#include <string>

// A path or settings value as the cores hold it: UTF-8 bytes.
inline std::string toPlatform(const QString& text) { return text.toStdString(); }
inline QString fromPlatform(const std::string& text) { return QString::fromStdString(text); }

// A typed title as CP932 bytes; characters CP932 cannot hold are dropped and
// reported through *dropped.
std::string toCp932(const QString& text, bool* dropped = nullptr);
QString fromCp932(const std::string& bytes);

// Names for a message, one a line: the first shown, then "and N more", so a
// long list can't make a message taller than the screen.
QString namesWithCount(const QStringList& names, int shown = 15);
