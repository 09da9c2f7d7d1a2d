// SPDX-License-Identifier: GPL-3.0-or-later
// The icon of sramedit, in the caption, the task switcher and the about box.
#pragma once

#include <QIcon>

// Drawn in code: a small cartridge with a save label, so the program needs
// no image files beside it.
QIcon srameditIcon();
