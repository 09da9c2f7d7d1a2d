// SPDX-License-Identifier: GPL-3.0-or-later
// Files written over in place (their folder takes no new file) are told to
// the window's user: once per file and run, as a message shown when the
// window is idle again, never in the middle of the write.
#pragma once

class Prompts;

// From now on, every such rewrite is told through prompts, which must
// outlive the program's event loop.
void tellRewritesThrough(Prompts& prompts);
