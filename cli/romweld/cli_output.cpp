#include "commands.h"

#include <cstdio>

void printError(const std::string& text)
{
    std::fprintf(stderr, "romweld-cli: %s\n", text.c_str());
}

void printWarning(const std::string& text)
{
    std::fprintf(stderr, "romweld-cli: warning: %s\n", text.c_str());
}
