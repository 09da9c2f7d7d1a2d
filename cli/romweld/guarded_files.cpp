// SPDX-License-Identifier: GPL-3.0-or-later
#include "guarded_files.h"

#include "program_folder.h"

#include "archive_path.h"
#include "file_io.h"
#include "image_messages.h"
#include "path_text.h"
#include "rom_list.h"
#include "shell_config.h"

namespace {

std::string identityKey(const FileFacts& facts)
{
    return std::to_string(facts.device) + ":" + std::to_string(facts.inode);
}

// The folder a path's file name lies in, as a key with the name.
std::string nameKey(const std::string& path)
{
    const std::string folder = folderOf(path);
    const FileFacts facts = fileFactsOf(folder.empty() ? std::string("./") : folder);
    return facts.exists ? identityKey(facts) + "/" + fileNameOf(path) : std::string();
}

std::string variantFileText(const VariantFile& file)
{
    if (file.variant.empty()) return "romweld.cfg, which no image may replace";
    return std::string(file.shell ? "the shell" : "an extra file") + " of variant \"" + file.variant +
           "\", which no image may replace";
}

}  // namespace

GuardedFiles::GuardedFiles(const ProgramFolder& folder, const std::optional<std::string>& listFile,
                           const RomList* list, const std::optional<std::string>& splash)
{
    for (const VariantFile& file : variantFilesOf(folder.dir, folder.config)) {
        add(file.path, variantFileText(file), true);
    }
    if (!folder.settingsPath.empty()) add(folder.settingsPath, ownInputText(), true);
    if (listFile) add(*listFile, ownInputText(), false);
    if (splash) add(*splash, ownInputText(), false);
    for (const RomEntry* e = list != nullptr ? list->head : nullptr; e != nullptr; e = e->next) {
        std::string archive;
        std::string member;
        add(splitArchiveEntry(e->path, archive, member) ? archive : e->path, ownInputText(), false);
    }
}

void GuardedFiles::add(const std::string& path, const std::string& what, bool byName)
{
    const FileFacts facts = fileFactsOf(path);
    if (facts.exists) byFile_.emplace(identityKey(facts), what);
    if (!byName) return;
    const std::string key = nameKey(path);
    if (!key.empty()) byName_.emplace(key, what);
}

std::string GuardedFiles::refusal(const std::string& output) const
{
    const FileFacts facts = fileFactsOf(output);
    if (facts.exists) {
        const auto it = byFile_.find(identityKey(facts));
        if (it != byFile_.end()) return "is " + it->second;
    }
    const auto it = byName_.find(nameKey(output));
    return it != byName_.end() ? "is " + it->second : std::string();
}
