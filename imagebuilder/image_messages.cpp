// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_messages.h"

#include "archive_reader.h"
#include "file_io.h"
#include "list_admission.h"
#include "list_file.h"
#include "rom_admission.h"
#include "rom_dump_check.h"
#include "splash_screen.h"

#include <cerrno>

std::string listLineProblemText(ListCode invalidReason)
{
    if (invalidReason == ListCode::LineHasNul) return "the line holds a NUL byte, so it names no file";
    return "the line is longer than " + std::to_string(LIST_LINE_MAX) + " bytes, so it names no file";
}

std::string listFileProblemText(const ListResult& result)
{
    switch (result.code) {
    case ListCode::Ok: return {};
    case ListCode::CantOpen: return "Can't Open File\n\n" + fileErrorText(result.errorNumber);
    case ListCode::PathHasLineBreak: return "Can't Open File\n\n" + listLineBreakText();
    case ListCode::WrongHeader: return "Wrong List File Error";
    default: return "Read Error";
    }
}

std::string listFileProblemLine(const ListResult& result)
{
    switch (result.code) {
    case ListCode::Ok: return {};
    case ListCode::CantOpen: return fileErrorText(result.errorNumber);
    case ListCode::PathHasLineBreak: return listLineBreakText();
    case ListCode::Empty: return "Read Error: the file is empty";
    case ListCode::WrongHeader:
        return "Wrong List File Error: the first line is not \"" + std::string(LIST_FILE_HEADER) + "\"";
    default: return "Read Error: " + fileErrorText(result.errorNumber != 0 ? result.errorNumber : EIO);
    }
}

std::string listLineBreakText() { return "a ROM path holds a line break, which a list file can't hold"; }

std::string keptListProblemText(const ListResult& result)
{
    if (result.errorNumber != 0) return fileErrorText(result.errorNumber);
    return result == ListCode::Empty ? "it is empty" : "it is no list romweld keeps";
}

std::string listStopText(const ListAdmission& admission)
{
    const std::string rest = "; the lines after line " + std::to_string(admission.lastLine) + " were not read";
    switch (admission.stop) {
    case ListStop::TooManyPaths:
        return "names more ROMs than a 32 MiB image has room for" + rest;
    case ListStop::TooManyProblems:
        return "stopped after " + std::to_string(LIST_PROBLEMS_MAX) + " problems" + rest;
    case ListStop::ReadFailed:
        return fileErrorText(admission.errorNumber) + rest;
    default: return {};
    }
}

std::string admissionProblemText(const Admission& admission)
{
    if (admission.openError == 0) return "not an NES ROM (no iNES header)";
    // The system's own words for a missing file; an archive's words for a
    // missing member say more.
    const bool missing = admission.openError == ENOENT || admission.openError == ENOTDIR;
    if (missing && admission.reason == fileErrorText(admission.openError)) return "not found";
    return admission.reason;
}

std::string keptRomProblemText(int errorNumber, const std::string& reason)
{
    return errorNumber != 0 ? reason : "not an NES ROM any more";
}

std::string caseTwinText(const std::string& path, const std::string& listed)
{
    return path + ": its name differs from " + listed +
           " only in letter case; on a FAT-formatted memory card the two would be one file";
}

std::string skippedMembersText(int skipped)
{
    if (skipped == 1) return "1 file inside an archive is not an NES ROM and was skipped.";
    return std::to_string(skipped) + " files inside archives are not NES ROMs and were skipped.";
}

std::string skippedMembersLine(int skipped)
{
    return std::to_string(skipped) + (skipped == 1 ? " file in it is not an NES ROM and was skipped"
                                                   : " files in it are not NES ROMs and were skipped");
}

std::string archiveNameProblemText()
{
    return "its path holds \"::\" after an archive's name, so its members can't be named";
}

std::string archiveWithoutRomText() { return "holds no NES ROM"; }

std::string archiveProblemText(ArchiveProblem problem)
{
    switch (problem) {
    case ArchiveProblem::Encrypted: return "encrypted, and romweld reads no encrypted archives";
    case ArchiveProblem::TooLarge: return "larger than 32 MiB, more than any GBA cartridge holds";
    case ArchiveProblem::NoMember: return "no such member in the archive";
    case ArchiveProblem::None: return {};
    default: return "damaged archive";
    }
}

std::string notGzipText() { return "not a gzip file"; }

std::string badMemberNameText() { return "a member name that holds a line break, or none"; }

std::string dumpCheckText(const DumpCheck& check)
{
    switch (check.verdict) {
    case DumpVerdict::Bad: return "bad dump: " + std::to_string(check.bytes) + " bytes shorter than its header says";
    case DumpVerdict::Over: return "overdump: " + std::to_string(check.bytes) + " bytes beyond what its header says";
    default: return {};
    }
}

std::string splashProblemText(const std::string& path, const SplashLoad& load)
{
    return path + ": can't be used as a splash screen: " + load.reason;
}

std::string splashNeedsPocketNesText(std::string_view variant)
{
    return "variant \"" + std::string(variant) +
           "\" has the Korvalinde layout, which has no place for a splash screen (PocketNES images only)";
}

std::string splashSizeText() { return "a splash screen is " + std::to_string(SPLASH_BYTES) + " bytes"; }

std::string notAPictureText() { return "not a PNG, JPEG, BMP or GIF picture"; }

std::string pictureTooLargeText() { return "the file is too large"; }

std::string pictureSizeText(int width, int height, std::int64_t maxPixels)
{
    return "a picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is larger than the " +
           std::to_string(maxPixels) + " pixels (at most " + std::to_string(PICTURE_SIDE_MAX) + " a side) taken";
}

std::string pictureFileSizeText(std::int64_t bytes)
{
    return "a file of " + std::to_string(bytes) + " bytes is larger than the " + std::to_string(PICTURE_FILE_MAX) +
           " bytes taken for a picture";
}

std::string pictureChangedText() { return "its size changed while it was decoded"; }

std::string pictureDamagedText(const char* why)
{
    return std::string("damaged or of a kind that can't be read") + (why != nullptr ? std::string(" (") + why + ")" : "");
}

std::string ownInputText() { return "one of the image's own input files"; }

std::string extraValueText(std::size_t n, const std::string& value)
{
    return "file" + std::to_string(n) + "=" + value + " lacks its path,name,ext commas";
}
