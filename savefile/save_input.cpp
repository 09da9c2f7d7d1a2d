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

SaveResult shortRead(const std::string& path, const InFile& in)
{
    return saveFailure(SaveCode::Unreadable, path, in.errorNumber() != 0 ? in.errorNumber() : FILE_CHANGED);
}
