// What the "Invalid Title" messages add under their text: which typed
// characters did not reach the cartridge, and why.
#pragma once

#include <QString>

// The characters of a typed title that can't be stored on the cartridge:
// those CP932 can't hold and, when the title goes through the title rules
// (filtered), the double-byte characters the rules refuse. Each once, in the
// order typed.
QString charactersNotOnCartridge(const QString& typed, bool filtered);

// The further line of an "Invalid Title" message: the removed characters
// and why; for a title that was empty from the start, that a title can't be
// empty. Empty when nothing was removed from a title that had characters.
QString invalidTitleDetail(const QString& typed, bool filtered);
