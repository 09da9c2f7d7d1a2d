// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and Redo of the ROM list: one history per window, kept by a
// QUndoStack whose steps put the list back as a command found or left it.
#include "merge_tool_dialog.h"

#include "ini_profile.h"
#include "merge_tool_settings.h"
#include "prompts.h"
#include "qt_text.h"
#include "user_settings.h"

#include <QAction>
#include <QKeySequence>
#include <QListWidget>
#include <QStatusBar>
#include <QUndoStack>

namespace {

// Steps kept; with entries shared between steps, a long list costs one copy
// of each entry that changed, not one per step.
constexpr int HISTORY_STEPS = 100;

}  // namespace

void MergeToolDialog::createHistoryActions()
{
    history_ = new QUndoStack(this);
    history_->setUndoLimit(HISTORY_STEPS);
    undoAction_ = history_->createUndoAction(this);
    undoAction_->setObjectName(QStringLiteral("undoAction"));
    undoAction_->setShortcuts(QKeySequence::Undo);
    redoAction_ = history_->createRedoAction(this);
    redoAction_->setObjectName(QStringLiteral("redoAction"));
    // Both of the usual keys, whatever the desktop's own choice.
    redoAction_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // What was undone or redone is said where the user looks for news.
    connect(undoAction_, &QAction::triggered, this, [this] {
        statusLine_->showMessage(QStringLiteral("Undone: %1").arg(history_->redoText()));
    });
    connect(redoAction_, &QAction::triggered, this, [this] {
        statusLine_->showMessage(QStringLiteral("Redone: %1").arg(history_->undoText()));
    });
    addAction(undoAction_);
    addAction(redoAction_);
}

ListState MergeToolDialog::listState(const ListState* earlier) const
{
    return captureListState(list_.get(), selectedRows(), firstVisibleRow(), earlier);
}

void MergeToolDialog::recordStep(const QString& text, const ListState& before)
{
    ListState after = listState(&before);
    if (after.entries == before.entries) return;
    auto* step = new ListStep(text, before, after, stepApplier());
    pushStep(step, std::move(after));
}

void MergeToolDialog::recordTitleStep(const ListState& before, std::vector<TitleSetting> settingsBefore,
                                      std::vector<TitleSetting> settingsAfter)
{
    ListState after = listState(&before);
    if (after.entries == before.entries) return;
    auto* step = new ListStep(QStringLiteral("Title"), before, after, stepApplier(), std::move(settingsBefore),
                              std::move(settingsAfter));
    pushStep(step, std::move(after));
}

ListStep::Apply MergeToolDialog::stepApplier()
{
    return [this](const ListState& state, bool titles, const std::vector<TitleSetting>& settings) {
        applyListState(state, titles, settings);
    };
}

void MergeToolDialog::pushStep(ListStep* step, ListState after)
{
    // A line about the last image, or the last list file, no longer
    // describes the list.
    statusLine_->clearMessage();
    statusLine_->setToolTip(QString());
    lastState_ = std::move(after);
    history_->push(step);
}

void MergeToolDialog::applyListState(const ListState& state, bool titles, const std::vector<TitleSetting>& settings)
{
    if (!list_) return;
    takeFields();
    // The titles go back into the settings too, so the next start (and
    // romweld-cli) gives the ROMs the titles the list shows.
    for (const TitleSetting& s : settings) {
        if (s.value) {
            storeUserSetting(prompts_, settingsPath_, SETTINGS_TITLE, s.key, *s.value);
        } else {
            forgetUserSetting(prompts_, settingsPath_, SETTINGS_TITLE, s.key);
        }
    }
    std::unique_ptr<RomList> rebuilt =
        rebuildList(state, list_.get(), titles, IniSnapshot::load(settingsPath_), cleanTitles_);
    if (!rebuilt) {
        sayOutOfMemory();
        return;
    }
    list_ = std::move(rebuilt);
    markSelectedEntries(state.selected);
    refreshRomList();
    scrollToFirstVisible(state.top);
    const std::vector<int> rows = selectedRows();
    const RomEntry* shown = rows.size() == 1 ? romListAt(list_.get(), rows.front()) : nullptr;
    romTitle_ = entryTitle(shown);
    showRomInfo(shown);
    updateSizeLabels();
    statusLine_->clearMessage();
    statusLine_->setToolTip(QString());
    lastState_ = listState(&state);
    showFields();
}
