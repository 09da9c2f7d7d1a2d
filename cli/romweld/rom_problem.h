// Why a file named on the command line can't be used, in plain words.
#pragma once

#include <string>

// Why path can't be opened for reading as a file (the system's reason, or
// that it is a folder or not a regular file), or empty when it can.
std::string openProblem(const std::string& path);

// Why a file the admission refused is no ROM: why it could not be opened
// (openError, as admitRomFile gives it), or else that it has no iNES header.
std::string notNesReason(int openError);
