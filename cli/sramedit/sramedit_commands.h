// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of sramedit-cli, one function each. Each returns the exit
// status: EXIT_DONE, EXIT_FAILED, or EXIT_USAGE when the arguments do not fit
// the save file's layout.
#pragma once

#include "exit_status.h"
#include "save_session.h"
#include "sramedit_cli_args.h"

int runList(const CliArgs& args);
int runNew(const CliArgs& args);
int runLoad(const CliArgs& args);
int runAppend(const CliArgs& args);
int runExtract(const CliArgs& args);
int runDelete(const CliArgs& args);
int runRename(const CliArgs& args);
int runCopy(const CliArgs& args);
int runConvert(const CliArgs& args);
int runPrune(const CliArgs& args);

// Opens SAVE with the memory --memory gave; false after printing why not.
bool openFor(const CliArgs& args, OpenedSave& save);

// Prints one usage error line and where help is; returns EXIT_USAGE.
int reportUsage(const std::string& error, CliCommand command);

// Calls the function for args.command.
int runCommand(const CliArgs& args);
