// SPDX-License-Identifier: GPL-3.0-or-later
// Settings the user typed (ROM titles, PocketNES values) are their work:
// when the settings file can't take one, the user is told why.
#pragma once

#include <string>
#include <string_view>

class Prompts;

// Writes key=value into section of the settings file. False when that
// failed, after a message naming the file and the reason.
bool storeUserSetting(Prompts& prompts, const std::string& settingsPath, std::string_view section,
                      std::string_view key, std::string_view value);

// Removes key from section, so the settings remember nothing for it again;
// false after a message when that failed.
bool forgetUserSetting(Prompts& prompts, const std::string& settingsPath, std::string_view section,
                       std::string_view key);
