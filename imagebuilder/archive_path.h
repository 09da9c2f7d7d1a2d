// SPDX-License-Identifier: GPL-3.0-or-later
// Names of ROMs that live inside archives. A member of an archive is named
// ARCHIVE::MEMBER wherever a ROM path is written: in the ROM list, in list
// files and on the command line ("roms/Sets.zip::USA/Zelda.nes"). The one
// file inside a .gz is named the same way, after the .gz file without its
// ".gz" ("Zelda.nes.gz::Zelda.nes").
//
// A path may hold "::" itself. The name is split at a "::" whose left part
// ends in an archive extension (.zip, .7z or .gz, case ignored) and whose
// right part is not empty: the first such "::" whose left part is a file
// that is there, else the first of them. So a member name may hold "::",
// and so may folder names. What is there wins over that reading: a file or
// folder whose whole name holds "x.zip::" ("old.zip::keep/Zelda.nes") is
// that file, not a member.
#pragma once

#include <string>
#include <string_view>

constexpr std::string_view ARCHIVE_MEMBER_MARK = "::";

// True when path's file name ends in .zip, .7z or .gz (ASCII case ignored).
bool isArchivePath(std::string_view path);

// True for a .gz file: it holds one file, not a list of members.
bool isGzipPath(std::string_view path);

// The archive and member an entry name is made of; false when name names no
// archive member (a plain file). Looks at the files the name may mean.
bool splitArchiveEntry(std::string_view name, std::string& archive, std::string& member);
bool isArchiveEntry(std::string_view name);

// ARCHIVE::MEMBER.
std::string joinArchiveEntry(std::string_view archive, std::string_view member);

// The file name a ROM is known by, for its default title, its settings keys
// and sorting: the member's own file name (after its last '/' or '\') for an
// archive member, else the path's file name.
std::string romFileNameOf(std::string_view name);

// romFileNameOf without the part from its last '.' (the whole name when it
// has none): what a ROM's default title and an image of its own are named
// after.
std::string romFileStemOf(std::string_view name);

// The name of the one file inside a .gz: the .gz file's name without its
// ".gz". A file called just ".gz" holds "data".
std::string gzipMemberName(std::string_view gzipPath);
