// SPDX-License-Identifier: GPL-3.0-or-later
#include "list_history.h"

#include "rom_admission.h"

#include <tuple>
#include <unordered_map>
#include <utility>

namespace {

// Everything an entry carries besides its place in a list. A field added
// to RomEntry belongs here too, or an entry changed only in it would be
// taken for unchanged.
auto carried(const RomEntry& e)
{
    return std::tie(e.path, e.size, e.sourceBytes, e.title, e.mapper, e.battery, e.nes20, e.imageMapper,
                    e.promisedBytes, e.pocketTitle, e.pocketTitleOwn, e.pocketFlags, e.pocketFollow, e.pocketSlot,
                    e.unreadable, e.identity);
}

// A copy of what entry carries, outside any list.
std::shared_ptr<const RomEntry> copyOf(const RomEntry& entry)
{
    auto copy = std::make_shared<RomEntry>(entry);
    copy->prev = nullptr;
    copy->next = nullptr;
    copy->selected = 0;
    return copy;
}

}  // namespace

ListState captureListState(const RomList* list, std::vector<int> selected, int top, const ListState* earlier)
{
    std::unordered_map<std::string, const std::shared_ptr<const RomEntry>*> shared;
    if (earlier != nullptr) {
        for (const auto& e : earlier->entries) shared.emplace(e->path, &e);
    }
    ListState state;
    state.selected = std::move(selected);
    state.top = top;
    for (const RomEntry* e = list != nullptr ? list->head : nullptr; e != nullptr; e = e->next) {
        const auto it = shared.find(e->path);
        if (it != shared.end() && carried(**it->second) == carried(*e)) {
            state.entries.push_back(*it->second);
        } else {
            state.entries.push_back(copyOf(*e));
        }
    }
    return state;
}

std::unique_ptr<RomList> rebuildList(const ListState& state, const RomList* current, bool titles,
                                     const IniSnapshot& settings, bool cleanTitles)
{
    std::unique_ptr<RomList> list = romListCreate();
    if (!list) return nullptr;
    for (const auto& kept : state.entries) {
        const RomEntry* now = nullptr;
        if (current != nullptr) {
            const auto it = current->byPath.find(kept->path);
            if (it != current->byPath.end()) now = it->second;
        }
        if (now != nullptr) {
            RomEntry from = *now;
            if (titles) {
                // The PocketNES title follows unless it is the ROM's own.
                from.title = kept->title;
                if (!from.pocketTitleOwn) from.pocketTitle = from.title;
            }
            romListAddCopy(list.get(), from);
        } else if (romListAddCopy(list.get(), *kept) != nullptr) {
            // Back in the list: the settings may remember other values by now.
            applyRememberedValues(list->tail, settings, cleanTitles);
        }
    }
    return list;
}

ListStep::ListStep(const QString& text, ListState before, ListState after, Apply apply)
    : before_(std::move(before)), after_(std::move(after)), apply_(std::move(apply))
{
    setText(text);
}

ListStep::ListStep(const QString& text, ListState before, ListState after, Apply apply,
                   std::vector<TitleSetting> settingsBefore, std::vector<TitleSetting> settingsAfter)
    : ListStep(text, std::move(before), std::move(after), std::move(apply))
{
    titles_ = true;
    settingsBefore_ = std::move(settingsBefore);
    settingsAfter_ = std::move(settingsAfter);
}

void ListStep::undo()
{
    apply_(before_, titles_, settingsBefore_);
}

void ListStep::redo()
{
    // The command itself did the step the first time.
    if (!pushed_) {
        pushed_ = true;
        return;
    }
    apply_(after_, titles_, settingsAfter_);
}
