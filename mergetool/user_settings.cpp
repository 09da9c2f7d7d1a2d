// SPDX-License-Identifier: GPL-3.0-or-later
#include "user_settings.h"

#include "file_io.h"
#include "ini_profile.h"
#include "prompts.h"
#include "qt_text.h"

namespace {

bool toldIfFailed(Prompts& prompts, const std::string& settingsPath, int reason)
{
    if (reason == 0) return true;
    prompts.showMessage(QStringLiteral("Can't write the settings file\n%1\n\n%2")
                            .arg(fromPlatform(settingsPath), fromPlatform(fileErrorText(reason))));
    return false;
}

}  // namespace

bool storeUserSetting(Prompts& prompts, const std::string& settingsPath, std::string_view section,
                      std::string_view key, std::string_view value)
{
    return toldIfFailed(prompts, settingsPath, iniWriteString(settingsPath, section, key, value));
}

bool forgetUserSetting(Prompts& prompts, const std::string& settingsPath, std::string_view section,
                       std::string_view key)
{
    return toldIfFailed(prompts, settingsPath, iniRemoveKey(settingsPath, section, key));
}
