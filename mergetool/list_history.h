// SPDX-License-Identifier: GPL-3.0-or-later
// The ROM list's history, for Undo and Redo: each command that changes the
// list (adding and dropping files, Delete, up, down, Sort, Load List, a
// title) is one step, and a step keeps the list as it was before and after.
// The core list operations stay as they are; a step rebuilds the list from
// what it kept.
#pragma once

#include "rom_list.h"

#include <QString>
#include <QUndoCommand>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class IniSnapshot;

// The list as one moment left it: its entries in order (what each carried,
// shared with an earlier moment while it is the same, so a long history of
// a long list costs little more than the list), the selected rows and the
// first row in view.
struct ListState {
    std::vector<std::shared_ptr<const RomEntry>> entries;
    std::vector<int> selected;
    int top = 0;
};

// The list as it is now. Entries that carry what they carried in earlier
// (by path) share its copies.
ListState captureListState(const RomList* list, std::vector<int> selected, int top, const ListState* earlier);

// A new list of state's entries in state's order. An entry that current
// still lists (by path) keeps what it carries now, which commands outside
// the history (the PocketNES options, Clean Titles, a ROM read again) may
// have changed, apart from its titles when titles is set. An entry that
// current lacks comes back as state kept it, with the titles and PocketNES
// values the settings give it now.
std::unique_ptr<RomList> rebuildList(const ListState& state, const RomList* current, bool titles,
                                     const IniSnapshot& settings, bool cleanTitles);

// A "TITLE" key of the settings and the value it held; nullopt: no key.
struct TitleSetting {
    std::string key;
    std::optional<std::string> value;
};

// One step of the history. It is pushed after its command has run, so the
// first redo does nothing; undo and redo hand the state to apply.
class ListStep : public QUndoCommand {
public:
    // Puts a state back: the list, and for a title step the title keys.
    using Apply = std::function<void(const ListState&, bool titles, const std::vector<TitleSetting>&)>;

    ListStep(const QString& text, ListState before, ListState after, Apply apply);
    // A title step also puts the title keys back as they were.
    ListStep(const QString& text, ListState before, ListState after, Apply apply,
             std::vector<TitleSetting> settingsBefore, std::vector<TitleSetting> settingsAfter);

    void undo() override;
    void redo() override;

private:
    ListState before_;
    ListState after_;
    Apply apply_;
    bool titles_ = false;
    std::vector<TitleSetting> settingsBefore_;
    std::vector<TitleSetting> settingsAfter_;
    bool pushed_ = false;
};
