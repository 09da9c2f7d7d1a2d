// SPDX-License-Identifier: GPL-3.0-or-later
// Titles from the file names of today's ROM sets, without their tags:
// "Legend of Zelda, The (USA) (Rev 1) [!]" becomes "The Legend of Zelda".
// Used for titles derived from file names when the user asks for it; a title
// the user typed is never put through it.
#pragma once

#include <string>
#include <string_view>

// name is UTF-8 (a file name without its extension). Drops every group in
// round or square brackets (nested ones whole; an opening bracket that is
// never closed stays as text), turns each run of blanks into one blank and
// drops blanks before a comma and at both ends, then moves a trailing
// ", The" to the front ("Adventures of Lolo, The" -> "The Adventures of
// Lolo"), also when a " - " subtitle follows it. A name that would be left
// empty is given back as it was.
std::string cleanRomTitle(std::string_view name);
