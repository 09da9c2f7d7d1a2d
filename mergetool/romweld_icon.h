// SPDX-License-Identifier: GPL-3.0-or-later
// romweld's icon, drawn at start so the program needs no image files.
#pragma once

#include <QIcon>

QIcon romweldIcon();
