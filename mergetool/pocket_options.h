// SPDX-License-Identifier: GPL-3.0-or-later
// The PocketNES options of a ROM entry as the options dialog edits them: the
// seven switches packed into pocketFlags, and the settings value that
// remembers an entry's options.
#pragma once

#include <string>
#include <string_view>

constexpr int POCKET_SPEED_HACK_1 = 0x01;
constexpr int POCKET_SPEED_HACK_2 = 0x02;
constexpr int POCKET_SPEED_HACK_3 = 0x04;
constexpr int POCKET_NO_VBLANK_WAIT = 0x08;
constexpr int POCKET_FOLLOW_SPRITE = 0x10;
constexpr int POCKET_FOLLOW_MEMORY = 0x20;
constexpr int POCKET_PROFILING = 0x40;

// PocketNES knows save slots 0 to 8.
constexpr int POCKET_SLOT_MAX = 8;

struct PocketSwitches {
    bool speedHack1 = false;
    bool speedHack2 = false;
    bool speedHack3 = false;
    bool followSprite = false;
    bool followMemory = false;
    bool noVblankWait = false;
    bool profiling = false;
};

// Each switch is on when its bit is set; the two follow switches exclude each
// other, and following the sprite wins. Bits above 0x40 mean nothing.
PocketSwitches pocketSwitchesFromFlags(int flags);

// The sum of the bits of the switches that are on.
int pocketFlagsFromSwitches(const PocketSwitches& switches);

// The "PocketNES" settings value: "flags|follow|slot|title" (title in UTF-8)
// for a ROM with a PocketNES title of its own; "flags|follow|slot" for one
// whose PocketNES title follows its title (title null).
std::string pocketValueText(int flags, int follow, int slot, const std::string* title);

// A CP932 title without its double-byte characters (a lead byte and the byte
// after it); single bytes, half-width katakana included, stay.
std::string withoutDoubleByteChars(std::string_view cp932);
