// SPDX-License-Identifier: GPL-3.0-or-later
// Every word the image tools show about building an image, written once:
// what a result of the image core means, for the romweld window (the
// system's own texts) and for romweld-cli's lines ("FILE: reason"). Where
// the two read alike there is one function; where they differ, one for the
// window (...Text) and one for the command line (...Line). The core hands
// these words to a Report; the front ends call them for the results they
// are given, and keep no wording of their own for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class ArchiveProblem;
enum class ListCode;
struct Admission;
struct DumpCheck;
struct ListAdmission;
struct ListResult;
struct SplashLoad;

// --- List files ---

// Why a list line names no path (LineTooLong or LineHasNul).
std::string listLineProblemText(ListCode invalidReason);

// What a list file that could not be read or written means: the window's
// message ("Can't Open File", "Read Error", "Wrong List File Error" and the
// reason), and romweld-cli's reason after "LIST: ".
std::string listFileProblemText(const ListResult& result);
std::string listFileProblemLine(const ListResult& result);
// A list that can't be written because a path holds a line break.
std::string listLineBreakText();
// Why the list the window keeps across a restart can't be read, for a
// sentence of the window's: the system's reason, or what the file is not.
std::string keptListProblemText(const ListResult& result);

// Why the list was not read to its end, as the rest of a line that begins
// with the list file's path and ": "; empty when it was.
std::string listStopText(const ListAdmission& admission);

// --- Admitting ROMs ---

// Why a path admitted as NotNes was refused: "not found" for a file or archive
// that is not there, "not an NES ROM (no iNES header)" for one that was
// read, else the reason it could not be read (an archive member: its
// archive's reason).
std::string admissionProblemText(const Admission& admission);

// Why a ROM the list keeps can't go into an image now: the system's reason
// when it can't be read (errorNumber not 0), else that it is no NES ROM any
// more.
std::string keptRomProblemText(int errorNumber, const std::string& reason);

// The warning for two paths that differ only in letter case: two files
// here, but one on a FAT-formatted memory card.
std::string caseTwinText(const std::string& path, const std::string& listed);

// Files inside archives that are no NES ROMs and were skipped: the window's
// sentence, and the rest of romweld-cli's line after the archive's path.
std::string skippedMembersText(int skipped);
std::string skippedMembersLine(int skipped);

// An archive path whose "::" would make its members' names ambiguous.
std::string archiveNameProblemText();
// An archive read to its end without an NES ROM in it.
std::string archiveWithoutRomText();

// --- Archives ---

// What an ArchiveProblem means, for a member or an archive that can't be
// used (Damaged: the words when the archive library gives none).
std::string archiveProblemText(ArchiveProblem problem);
// A ".gz" file that is no gzip file.
std::string notGzipText();
// A member whose name a list could not hold.
std::string badMemberNameText();

// --- ROM dumps ---

// "bad dump: N bytes shorter than its header says", "overdump: N bytes
// beyond what its header says", or empty.
std::string dumpCheckText(const DumpCheck& check);

// --- Splash screens ---

// A picture that can't be used: "PATH: can't be used as a splash screen: REASON".
std::string splashProblemText(const std::string& path, const SplashLoad& load);
// A splash screen asked of a variant whose layout has no place for one.
std::string splashNeedsPocketNesText(std::string_view variant);
// A splash screen of the wrong size handed to the writer.
std::string splashSizeText();

// Why a picture can't be a splash screen, for SplashLoad::reason.
std::string notAPictureText();
std::string pictureTooLargeText();
std::string pictureSizeText(int width, int height, std::int64_t maxPixels);
std::string pictureFileSizeText(std::int64_t bytes);
std::string pictureChangedText();
// The decoder's failure; why is its own reason, or null.
std::string pictureDamagedText(const char* why);

// --- Writing an image ---

// What an image's output may not be, after "is ".
std::string ownInputText();
// A variant's extra-file value ("fileN=VALUE") without its two commas.
std::string extraValueText(std::size_t n, const std::string& value);
