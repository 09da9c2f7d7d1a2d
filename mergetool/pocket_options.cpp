// SPDX-License-Identifier: GPL-3.0-or-later
#include "pocket_options.h"

#include "sjis.h"

PocketSwitches pocketSwitchesFromFlags(int flags)
{
    PocketSwitches s;
    s.speedHack1 = (flags & POCKET_SPEED_HACK_1) != 0;
    s.speedHack2 = (flags & POCKET_SPEED_HACK_2) != 0;
    s.speedHack3 = (flags & POCKET_SPEED_HACK_3) != 0;
    s.noVblankWait = (flags & POCKET_NO_VBLANK_WAIT) != 0;
    s.followSprite = (flags & POCKET_FOLLOW_SPRITE) != 0;
    s.followMemory = !s.followSprite && (flags & POCKET_FOLLOW_MEMORY) != 0;
    s.profiling = (flags & POCKET_PROFILING) != 0;
    return s;
}

int pocketFlagsFromSwitches(const PocketSwitches& s)
{
    return (s.speedHack1 ? POCKET_SPEED_HACK_1 : 0) | (s.speedHack2 ? POCKET_SPEED_HACK_2 : 0) |
           (s.speedHack3 ? POCKET_SPEED_HACK_3 : 0) | (s.noVblankWait ? POCKET_NO_VBLANK_WAIT : 0) |
           (s.followSprite ? POCKET_FOLLOW_SPRITE : 0) | (s.followMemory ? POCKET_FOLLOW_MEMORY : 0) |
           (s.profiling ? POCKET_PROFILING : 0);
}

std::string pocketValueText(int flags, int follow, int slot, const std::string* title)
{
    std::string value = std::to_string(flags) + "|" + std::to_string(follow) + "|" + std::to_string(slot);
    if (title != nullptr) value += "|" + *title;
    return value;
}

std::string withoutDoubleByteChars(std::string_view cp932)
{
    std::string kept;
    for (std::size_t i = 0; i < cp932.size(); ++i) {
        if (isSjisLead(static_cast<unsigned char>(cp932[i]))) {
            ++i;  // and its trail byte
        } else {
            kept.push_back(cp932[i]);
        }
    }
    return kept;
}
