// SPDX-License-Identifier: GPL-3.0-or-later
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

// The packed record list's columns and what they show; the marks, the
// memory and the room line beneath are worded with sramedit-cli's
// (save_messages.h).
inline constexpr const char* COLUMN_NUMBER = "#";
inline constexpr const char* COLUMN_SAVE = "Save Data";
inline constexpr const char* COLUMN_TYPE = "Type";
inline constexpr const char* COLUMN_SIZE = "Size";
inline constexpr const char* COLUMN_MARK = "PocketNES";
inline constexpr const char* RECORD_BYTES = "%1 bytes";
inline constexpr const char* NO_RECORD_YET = "no record yet";

// The packed list's own commands, in its context menu.
inline constexpr const char* COPY_TO = "C&opy to...";
inline constexpr const char* SAVE_AS_SIZE = "Save as &32/64 KiB...";
inline constexpr const char* REMOVE_OLDER = "&Remove Older Records";
inline constexpr const char* COPY_CHOOSER = "Copy the record into the save file";
inline constexpr const char* SAVE_AS_CHOOSER = "Save the save file as";

// Which save memory a packed save is for (answers 32 KiB, 64 KiB, Cancel):
// the question under the result's own words.
inline constexpr const char* ANSWER_32 = "32 KiB";
inline constexpr const char* ANSWER_64 = "64 KiB";
inline constexpr const char* ASK_MEMORY =
    "\n32 KiB: mGBA, and carts with 32 KiB of save memory.\n64 KiB: carts with 64 KiB.\n"
    "Which save memory is it used with?";
inline constexpr const char* ASK_MEMORY_FOR_ROOM =
    "%1\nreads alike with 32 KiB and with 64 KiB of save memory, so its records are kept within the "
    "room of 32 KiB, which is full.\n32 KiB: mGBA, and carts with 32 KiB of save memory.\n"
    "64 KiB: carts with 64 KiB only.\nWhich save memory is it used with?";
inline constexpr const char* ASK_SAVE_AS_SIZE =
    "Lay the save file out for which save memory?\n"
    "32 KiB: mGBA, and carts with 32 or 64 KiB (a 64 KiB file holds it twice).\n64 KiB: carts with 64 KiB only.";

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
inline constexpr const char* KEY_GEOMETRY = "WindowGeometry";

// Start-up questions, under the read's result ("File not found." and the
// others, save_messages.h). A missing file is answered with the layout of
// the new save (answers below, Cancel chooses again); the others with Yes /
// No.
inline constexpr const char* ASK_CREATE_MISSING = "\nCreate new savefile?";
inline constexpr const char* ASK_REPLACE_INVALID = "\nCreate new image and overwrite it?";
inline constexpr const char* ASK_TRY_ANOTHER = "\nTry another savefile?";
inline constexpr const char* ANSWER_KORVALINDE = "Korvalinde";
inline constexpr const char* ANSWER_POCKETNES_32 = "PocketNES 32 KiB";
inline constexpr const char* ANSWER_POCKETNES_64 = "PocketNES 64 KiB";
inline constexpr const char* NEW_LAYOUTS_DETAIL =
    "Korvalinde: seven save slots.\n"
    "PocketNES 32 KiB: mGBA and every cart (a 64 KiB file holding it twice).\n"
    "PocketNES 64 KiB: carts with 64 KiB of save memory only.";
inline constexpr const char* INVALID_LAYOUTS_DETAIL =
    "sramedit opens two layouts: a Korvalinde save (seven slots, 65536 bytes) and a PocketNES save "
    "(32 or 64 KiB of save memory, in a file of 32768 or 65536 bytes). Yes puts a blank Korvalinde "
    "save in its place when \"Write!\" is pressed.";

// Commands.
inline constexpr const char* ASK_DELETE = "Delete selected save data?";
// Under the question: which line it is ("%1" its number, "%2" its text).
inline constexpr const char* DELETE_SLOT_DETAIL = "Slot %1: %2";
inline constexpr const char* DELETE_RECORD_DETAIL = "Record %1: %2";
inline constexpr const char* TITLE_FIXED = "Invalid Title\nFixed";
// "Write!" over a file another program changed since it was read (Yes / No,
// No the default; "%1": the save file).
inline constexpr const char* ASK_REPLACE_CHANGED =
    "%1 was changed by another program since it was opened here.\nReplace it with what this window holds?";
// Leaving with changes that were not written ("%1": the save file).
inline constexpr const char* ASK_DISCARD = "Discard the changes to %1?";

// The window's caption once a file is open: its name, and "*" while it has
// changes "Write!" has not written.
inline constexpr const char* CAPTION_OF_FILE = "%1[*]";
// The status line: what the last command did ("%1" a file name or a number).
inline constexpr const char* STATUS_EXTRACTED = "Extracted to %1";
// "Extract" to a name typed without extension: ".sav" is added, and a file
// of that name is replaced only when the user says so (Yes / No, No the default).
inline constexpr const char* ASK_REPLACE_EXTRACTED = "%1 already exists.\nReplace it?";
inline constexpr const char* STATUS_STORED = "%1 stored; \"Write!\" writes it into the save file";
inline constexpr const char* STATUS_REPLACED =
    "%1 replaced record %2, the battery save PocketNES restores for this game; \"Write!\" writes it";
// A title pasted into the title box is cut to what a title holds.
inline constexpr const char* TITLE_BOX_LIMIT = "31 bytes";

// Tooltips of the controls whose labels don't say it all.
inline constexpr const char* TIP_WRITE = "Write the save file with every change, and close";
inline constexpr const char* TIP_LOAD = "Replace the selected save with a .sav file";
inline constexpr const char* TIP_APPEND = "Add a .sav file as a new battery save for the game whose ROM you choose";
inline constexpr const char* TIP_EXTRACT = "Write the selected battery save to a .sav file an emulator can load";
inline constexpr const char* TIP_DELETE = "Remove the selected save (sramedit asks first)";
inline constexpr const char* TIP_TITLE = "The selected save's title: Enter or leaving the box applies it";

}  // namespace editor_text
