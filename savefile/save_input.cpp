// SPDX-License-Identifier: GPL-3.0-or-later
#include "save_input.h"

#include <cerrno>

SaveResult openSaveInput(const std::string& path, InFile& in)
{
    in = InFile(path);
    const int err = in.errorNumber();
    if (!in.isOpen()) {
        return saveFailure(err == ENOENT || err == ENOTDIR ? SaveCode::Missing : SaveCode::Unreadable, path, err);
    }
    return in.size() == 0 ? saveFailure(SaveCode::Missing, path) : SaveResult{};
}

SaveResult openSavFile(const std::string& path, InFile& in)
{
    SaveResult opened = openSaveInput(path, in);
    if (opened.ok() && in.size() > static_cast<std::int64_t>(SAVE_MAX_BYTES)) {
        opened = saveFailure(SaveCode::SavTooLarge, path);
        opened.bytes = in.size();
    }
    return opened;
}

SaveResult shortRead(const std::string& path, const InFile& in)
{
    return saveFailure(SaveCode::Unreadable, path, in.errorNumber() != 0 ? in.errorNumber() : FILE_CHANGED);
}
