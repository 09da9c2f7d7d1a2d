// SPDX-License-Identifier: GPL-3.0-or-later
// What sramedit-cli prints when a packed-save command did its work: the
// battery save an append replaced, a record copied, older saves pruned; and
// the refusal of a command that works on packed saves only. Each text is
// written here only.
#pragma once

#include <cstddef>
#include <string>

// A command that works on packed saves met a slot save.
std::string packedOnlyText(const char* command);
// append replaced the game's battery save at index instead of adding one.
std::string appendReplacedLine(std::size_t index);
std::string copiedLine(int index, const std::string& to, std::size_t at, bool replaced);
std::string prunedLine(std::size_t removed, std::size_t freed);
