// The window steps that show the ROM list and what it holds: the rows, the
// two labels, the info panel, and admitting one file into the list.
#include "merge_tool_dialog.h"

#include "path_text.h"
#include "prompts.h"
#include "qt_text.h"
#include "rom_admission.h"

#include <QListWidget>
#include <QSignalBlocker>

void MergeToolDialog::refreshRomList()
{
    // Rows selected here carry an earlier selection over; they are no user's
    // selection change.
    const QSignalBlocker blocker(romListView_);
    romListView_->clear();
    if (!list_) return;
    // The view sizes its horizontal scroll range from the widest row itself.
    for (RomEntry* entry = list_->head; entry != nullptr; entry = entry->next) {
        QString text;
        switch (displayMode_) {
        case 0: text = fromPlatform(fileNameOf(entry->path)); break;
        case 1: text = fromPlatform(entry->path); break;
        default: text = entryTitle(entry); break;
        }
        auto* item = new QListWidgetItem(text, romListView_);
        if (entry->selected != 0) {
            item->setSelected(true);
            entry->selected = 0;
        }
    }
}

void MergeToolDialog::updateSizeLabels()
{
    if (!list_) return;
    countText_ = QStringLiteral("%1 NES Roms.").arg(list_->count);
    // Every ROM record takes a 44-byte header besides its data.
    const long long size = list_->totalSize + 44LL * list_->count + variantImageSize_;
    sizeText_ = QStringLiteral("GBA file size : %1 Bytes").arg(size);
}

void MergeToolDialog::showRomInfo(const RomEntry* entry)
{
    if (entry == nullptr) {
        infoText_.clear();
        return;
    }
    infoText_ = QStringLiteral("Filesize : %1 Bytes\nMapper : %2\nBattery : %3")
                    .arg(entry->size)
                    .arg(entry->mapper)
                    .arg(entry->battery != 0 ? QStringLiteral("yes") : QStringLiteral("no"));
}

RomEntry* MergeToolDialog::addRomFile(const QString& path, const QString& suffix)
{
    if (!list_) return nullptr;
    RomEntry* added = nullptr;
    if (admitRomFile(list_.get(), toPlatform(path), settingsPath_, &added) == ADMIT_NOT_NES) {
        prompts_.showMessage(path + suffix);
    }
    return added;
}

QString MergeToolDialog::entryTitle(const RomEntry* entry) const
{
    return entry != nullptr && entry->title ? fromCp932(*entry->title) : QString();
}

std::vector<int> MergeToolDialog::selectedRows() const
{
    std::vector<int> rows;
    for (int row = 0; row < romListView_->count(); ++row) {
        if (romListView_->item(row)->isSelected()) rows.push_back(row);
    }
    return rows;
}

int MergeToolDialog::firstVisibleRow() const
{
    const QModelIndex index = romListView_->indexAt(QPoint(1, 1));
    return index.isValid() ? index.row() : 0;
}

void MergeToolDialog::scrollToFirstVisible(int row)
{
    if (row < 0 || row >= romListView_->count()) return;
    romListView_->scrollToItem(romListView_->item(row), QAbstractItemView::PositionAtTop);
}

void MergeToolDialog::selectOnly(int row)
{
    const QSignalBlocker blocker(romListView_);
    if (row >= 0 && row < romListView_->count()) {
        romListView_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    } else {
        romListView_->clearSelection();
    }
}

void MergeToolDialog::markSelectedEntries(const std::vector<int>& rows)
{
    for (const int row : rows) {
        if (RomEntry* entry = romListAt(list_.get(), row)) entry->selected = 1;
    }
}

void MergeToolDialog::clearAllMarks()
{
    if (!list_) return;
    for (RomEntry* entry = list_->head; entry != nullptr; entry = entry->next) entry->selected = 0;
}

MergeToolDialog::AddingState MergeToolDialog::beforeAdding()
{
    AddingState state;
    const std::vector<int> rows = selectedRows();
    if (!rows.empty()) {
        state.hadSelection = true;
        state.top = firstVisibleRow();
        markSelectedEntries(rows);
    }
    return state;
}

void MergeToolDialog::afterAdding(const AddingState& state)
{
    refreshRomList();
    if (state.hadSelection) {
        if (firstVisibleRow() < state.top) scrollToFirstVisible(state.top);
    } else {
        selectOnly(0);
        if (list_->count > 0) {
            romTitle_ = entryTitle(list_->head);
            showRomInfo(list_->head);
        }
    }
    updateSizeLabels();
}
