// SPDX-License-Identifier: GPL-3.0-or-later
// Exit status of both command-line programs, the same for scripts that call
// either: 0 done, 1 failed (after one clear line on the error output),
// 2 the arguments were not understood.
#pragma once

constexpr int EXIT_DONE = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;
