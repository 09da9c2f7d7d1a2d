// SPDX-License-Identifier: GPL-3.0-or-later
// What the windows say about a typed title that did not reach the cartridge
// whole: the characters it can't hold (under the "Invalid Title" messages),
// and a cut to the title's limit.
#pragma once

#include <QString>
#include <string>

// The further line of an "Invalid Title" message: the removed characters
// and why; for a title that was empty from the start, that a title can't be
// empty. Empty when nothing was removed from a title that had characters.
QString invalidTitleDetail(const QString& typed, bool filtered);

// The typed title in CP932 as the cartridge would hold it without a length
// limit: without the characters charactersNotOnCartridge (title_rules.h)
// names. A title stored shorter than this was cut to its limit.
std::string titleBeforeItsCut(const QString& typed, bool filtered);

// The status line for a title cut to its limit (limit says it, such as "21
// characters or 32 bytes"): what was kept.
QString titleCutText(const QString& kept, const QString& limit);
