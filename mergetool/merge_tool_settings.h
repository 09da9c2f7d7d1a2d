// SPDX-License-Identifier: GPL-3.0-or-later
// Names and limits of romweld's settings file (romweld.ini beside the program).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The program's own keys.
constexpr std::string_view SETTINGS_CONFIG = "CONFIG";
// Per-ROM keys, named by the ROM's bare file name.
constexpr std::string_view SETTINGS_TITLE = "TITLE";
constexpr std::string_view SETTINGS_POCKETNES = "PocketNES";

// Paths and titles from the settings are taken whole; only romweld.cfg
// values and the fields themselves have limits.
constexpr std::size_t SETTING_VALUE_MAX = std::string::npos;
