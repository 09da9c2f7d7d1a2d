// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of romweld-cli. Each returns the exit status: 0 done, 1 failed
// (after one clear line on the error output).
#pragma once

#include "romweld_cli_args.h"
#include "exit_status.h"

#include <string>
#include <string_view>

int runVariants(const CliRequest& request);
int runBuild(const CliRequest& request);
int runInfo(const CliRequest& request);
int runFixHeader(const CliRequest& request);

// The name of a ROM's image under build --each: the ROM's file name (an
// archive member's own) with ".gba" in place of its extension.
std::string eachImageName(std::string_view romPath);
// Why that name can't be an image's under build --each (it holds control
// characters, or would be hidden: ".nes" gives ".gba"), or empty.
std::string eachImageNameProblem(std::string_view romPath);

// "romweld-cli: " and the text, on the error output.
void printError(const std::string& text);
// "romweld-cli: warning: " and the text, on the error output: the command goes on.
void printWarning(const std::string& text);
