// SPDX-License-Identifier: GPL-3.0-or-later
// The files no image of a build may replace: romweld.cfg, the shell and the
// extra files of every variant (not only the one the image is built with),
// the settings file, the list file and the build's ROMs (an archive for its
// members). Each is looked at once, so checking many images' names costs a
// look at each name alone.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>

struct ProgramFolder;
struct RomList;

class GuardedFiles {
public:
    GuardedFiles(const ProgramFolder& folder, const std::optional<std::string>& listFile, const RomList* list,
                 const std::optional<std::string>& splash);

    // Why an image must not be written at output, as the rest of the line
    // that begins with "output: "; empty when it may be.
    std::string refusal(const std::string& output) const;

private:
    // byName: refused by its name too while no file is there, so that an
    // image does not become a shell or the settings the next run reads.
    void add(const std::string& path, const std::string& what, bool byName);
    std::unordered_map<std::string, std::string> byFile_;  // the file's identity -> what it is
    std::unordered_map<std::string, std::string> byName_;  // its folder's identity and its name -> what it is
};
