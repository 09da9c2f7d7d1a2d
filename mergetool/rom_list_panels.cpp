// The window steps that show the ROM list and what it holds: the rows, the
// two labels, the info panel, and admitting one file into the list.
#include "merge_tool_dialog.h"

#include "image_writer.h"
#include "path_text.h"
#include "prompts.h"
#include "qt_text.h"
#include "rom_admission.h"

#include <QAction>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <algorithm>

namespace {

// Pixels a row of the ROM list gets beyond its text.
constexpr int ROW_PADDING = 4;

// The size a row of the list needs for text, as the list's style lays it out.
QSize rowSizeFor(const QListWidget* view, const QString& text)
{
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.font = view->font();
    option.fontMetrics = view->fontMetrics();
    option.text = text;
    option.features = QStyleOptionViewItem::HasDisplay;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    return view->style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), view);
}

}  // namespace

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
    // Every row gets one height, whichever row comes first: rows sized one
    // by one would differ with the characters (and the fonts) each holds.
    int rowHeight = romRowHeight();
    std::vector<QSize> sizes;
    sizes.reserve(static_cast<std::size_t>(romListView_->count()));
    for (int row = 0; row < romListView_->count(); ++row) {
        sizes.push_back(rowSizeFor(romListView_, romListView_->item(row)->text()));
        rowHeight = std::max(rowHeight, sizes.back().height() + ROW_PADDING);
    }
    for (int row = 0; row < romListView_->count(); ++row) {
        romListView_->item(row)->setSizeHint(QSize(sizes[static_cast<std::size_t>(row)].width(), rowHeight));
    }
}

int MergeToolDialog::romRowHeight() const
{
    // Tall enough for Latin descenders and Japanese titles alike, with a
    // little room between the rows.
    return std::max(rowSizeFor(romListView_, QStringLiteral("Agjpy ゼルダ")).height(),
                    romListView_->fontMetrics().lineSpacing()) +
           ROW_PADDING;
}

const ShellVariant* MergeToolDialog::currentVariant() const
{
    if (variantIndex_ < 0 || static_cast<std::size_t>(variantIndex_) >= variants_.size()) return nullptr;
    return &variants_[static_cast<std::size_t>(variantIndex_)];
}

void MergeToolDialog::updateSizeLabels()
{
    if (!list_) return;
    countText_ = QStringLiteral("%1 NES Roms.").arg(list_->count);
    // The size the image will have, to the byte, in the chosen variant's layout.
    const ShellVariant* variant = currentVariant();
    const long long size =
        variant != nullptr ? exactImageSize(folders_.configDir, list_.get(), variant->name) : 0;
    sizeText_ = QStringLiteral("GBA file size : %1 Bytes").arg(size);
    sizeWarning_.clear();
    if (size > GBA_CARTRIDGE_MAX) {
        sizeWarning_ = QStringLiteral("The image would be %1 bytes, more than the 32 MiB (%2 bytes) a GBA "
                                      "cartridge can hold; it will not run.")
                           .arg(size)
                           .arg(GBA_CARTRIDGE_MAX);
    }
    pocketOptionsAction_->setEnabled(list_->count > 0);
}

void MergeToolDialog::showRomInfo(const RomEntry* entry)
{
    if (entry == nullptr) {
        infoText_.clear();
        return;
    }
    infoText_ = QStringLiteral("Filesize : %1 Bytes\nMapper : %2%3\nBattery : %4")
                    .arg(entry->size)
                    .arg(entry->mapper)
                    .arg(entry->nes20 != 0 ? QStringLiteral(" (NES 2.0)") : QString())
                    .arg(entry->battery != 0 ? QStringLiteral("yes") : QStringLiteral("no"));
    // A mapper the emulator lacks gives a black screen on the GBA.
    const ShellVariant* variant = currentVariant();
    if (variant != nullptr && variantLacksMapper(*variant, entry->mapper)) {
        infoText_ += QStringLiteral("\nMapper not supported by %1").arg(fromPlatform(variant->name));
    }
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
