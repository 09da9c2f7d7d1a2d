// Every fixed text of the sramedit window in one place: captions, button
// labels, file chooser filters, settings keys and messages. The texts are the
// program's own and are shown word for word.
#pragma once

#include "romweld_version.h"

namespace editor_text {

// Window and about box.
inline constexpr const char* CAPTION_BEFORE_OPEN = "kvl savefile editor";
inline constexpr const char* ABOUT_ITEM = "sramedit のﾊﾞｰｼﾞｮﾝ情報(&A)...";
inline constexpr const char* ABOUT_CAPTION = "srameditのﾊﾞｰｼﾞｮﾝ情報";
inline constexpr const char* ABOUT_TEXT = "Korvalinde Save Data Editor Ver. " ROMWELD_VERSION;
inline constexpr const char* MESSAGE_CAPTION = "sramedit";

// Controls; "&" marks the letter that works the control with Alt.
inline constexpr const char* WRITE = "&Write!";
inline constexpr const char* CANCEL = "&Cancel";
inline constexpr const char* LIST_LABEL = "&Save Data List";
inline constexpr const char* LOAD = "&Load";
inline constexpr const char* DELETE = "&Delete";
inline constexpr const char* EXTRACT = "E&xtract";
inline constexpr const char* APPEND = "&Append";
inline constexpr const char* EMPTY_SLOT = "EMPTY";
inline constexpr const char* ST_PREFIX = "ST:";
inline constexpr const char* SV_PREFIX = "SV:";

// File choosers: captions, then filters.
inline constexpr const char* START_CHOOSER = "Open save file";
inline constexpr const char* LOAD_SAV_CHOOSER = "Choose the NES save file to load";
inline constexpr const char* APPEND_SAV_CHOOSER = "Choose the NES save file to append";
inline constexpr const char* ROM_CHOOSER = "Choose the game's NES ROM";
inline constexpr const char* EXTRACT_CHOOSER = "Extract the save to";
inline constexpr const char* START_FILTER = "GBA save files(*.sav)|*.sav|All files(*.*)|*.*||";
inline constexpr const char* SAV_FILTER = "NES save files(*.sav)|*.sav|All files(*.*)|*.*||";
inline constexpr const char* ROM_FILTER = "NES ROM files(*.nes)|*.nes|All files(*.*)|*.*||";
// The comma in "(*,*)" is how the program has always shown it.
inline constexpr const char* EXTRACT_FILTER = "NES save files(*.sav)|*.sav|All files(*,*)|*.*||";

// Settings file, section and keys.
inline constexpr const char* SECTION = "CONFIG";
inline constexpr const char* KEY_LAST_FILE = "LastKvlSaveFile";
inline constexpr const char* KEY_SAV_PATH = "SavPath";
inline constexpr const char* KEY_ROM_PATH = "RomPath";

// Start-up questions (Yes / No).
inline constexpr const char* ASK_CREATE_MISSING = "File not found.\nCreate new savefile?";
inline constexpr const char* ASK_REPLACE_INVALID =
    "Not a valid Korvalinde savefile.\nCreate new image and overwrite it?";
inline constexpr const char* ASK_TRY_ANOTHER = "File read error\nTry another savefile?";

// Commands.
inline constexpr const char* ASK_DELETE = "Delete selected save data?";
inline constexpr const char* FILE_NOT_FOUND = "File not found.";
inline constexpr const char* FILE_TOO_BIG = "File size too big to savefile.";
inline constexpr const char* FILE_READ_ERROR = "File read error";
inline constexpr const char* ROM_TOO_SMALL = "File size too small.";
inline constexpr const char* ROM_OPEN_ERROR = "file open error.";
inline constexpr const char* TITLE_FIXED = "Invalid Title\nFixed";
inline constexpr const char* TITLE_CANCELED = "Invalid Title\nCanceled";
// Leaving with changes that were not written ("%1": the save file).
inline constexpr const char* ASK_DISCARD = "Discard the changes to %1?";

}  // namespace editor_text
