// SPDX-License-Identifier: GPL-3.0-or-later
#include "romweld_commands.h"

#include "path_text.h"

#include <cstdio>

// Lines name files, and a file name may hold any control character: none
// reaches the terminal raw.
void printError(const std::string& text)
{
    std::fprintf(stderr, "romweld-cli: %s\n", printableText(text).c_str());
}

void printWarning(const std::string& text)
{
    std::fprintf(stderr, "romweld-cli: warning: %s\n", printableText(text).c_str());
}
