#include "save_input.h"

#include <cerrno>

int openSaveInput(const std::string& path, InFile& in, int* reason)
{
    in = InFile(path);
    const int err = in.errorNumber();
    if (reason != nullptr) *reason = err;
    if (!in.isOpen()) return err == ENOENT || err == ENOTDIR ? SAVE_INPUT_MISSING : SAVE_INPUT_UNREADABLE;
    return in.size() == 0 ? SAVE_INPUT_MISSING : SAVE_INPUT_OPEN;
}

int shortReadReason(const InFile& in)
{
    return in.errorNumber() != 0 ? in.errorNumber() : FILE_CHANGED;
}
