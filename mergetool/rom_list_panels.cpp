// SPDX-License-Identifier: GPL-3.0-or-later
// The window steps that show the ROM list and what it holds: the rows, the
// two labels, the info panel, and admitting one file into the list.
#include "merge_tool_dialog.h"

#include "archive_path.h"
#include "file_io.h"
#include "image_messages.h"
#include "image_padding.h"
#include "image_writer.h"
#include "path_text.h"
#include "prompts.h"
#include "qt_text.h"
#include "rom_admission.h"
#include "rom_dump_check.h"

#include <QAction>
#include <QItemSelection>
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
    // The rows are made complete before the view takes them, and the carried
    // selection is set in one go afterwards: row by row, the view would
    // redo its selection and layout for every row, which costs the square
    // of the list's length.
    std::vector<QListWidgetItem*> items;
    std::vector<QSize> sizes;
    std::vector<int> carried;
    items.reserve(static_cast<std::size_t>(list_->count));
    sizes.reserve(static_cast<std::size_t>(list_->count));
    // Every row gets one height, whichever row comes first: rows sized one
    // by one would differ with the characters (and the fonts) each holds.
    // The view sizes its horizontal scroll range from the widest row itself.
    int rowHeight = romRowHeight();
    int row = 0;
    for (RomEntry* entry = list_->head; entry != nullptr; entry = entry->next, ++row) {
        QString text;
        switch (displayMode_) {
        case 0: text = fromPlatform(romFileNameOf(entry->path)); break;
        case 1: text = fromPlatform(entry->path); break;
        default: text = entryTitle(entry); break;
        }
        sizes.push_back(rowSizeFor(romListView_, text));
        rowHeight = std::max(rowHeight, sizes.back().height() + ROW_PADDING);
        items.push_back(new QListWidgetItem(text));
        // A ROM that can't be read stays listed, greyed, with the reason.
        if (!entry->unreadable.empty()) {
            items.back()->setForeground(romListView_->palette().brush(QPalette::Disabled, QPalette::Text));
            items.back()->setToolTip(fromPlatform(entry->unreadable));
        }
        if (entry->selected != 0) {
            carried.push_back(row);
            entry->selected = 0;
        }
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i]->setSizeHint(QSize(sizes[i].width(), rowHeight));
        romListView_->addItem(items[i]);
    }
    // Neighbouring rows become one range of the selection.
    QItemSelection selection;
    for (std::size_t i = 0; i < carried.size();) {
        std::size_t last = i;
        while (last + 1 < carried.size() && carried[last + 1] == carried[last] + 1) ++last;
        selection.select(romListView_->model()->index(carried[i], 0), romListView_->model()->index(carried[last], 0));
        i = last + 1;
    }
    if (!selection.isEmpty()) romListView_->selectionModel()->select(selection, QItemSelectionModel::Select);
    // The keyboard goes on from the first selected row, and the focus frame
    // shows there when the list takes the focus.
    if (!carried.empty()) {
        romListView_->selectionModel()->setCurrentIndex(romListView_->model()->index(carried.front(), 0),
                                                        QItemSelectionModel::NoUpdate);
    }
    // A refilled list starts at its top; the commands scroll from there.
    romListView_->scrollToTop();
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
    const ImageExtras extras{splashForImage(), trimOverdumps_};
    long long size =
        variant != nullptr ? exactImageSize(folders_.configDir, config_, list_.get(), variant->name, extras) : 0;
    if (padImage_) size = paddedImageSize(size);
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
    if (!entry->unreadable.empty()) {
        infoText_ = QStringLiteral("Can't be read: %1\nLeft out of the image until it can be read.")
                        .arg(fromPlatform(entry->unreadable));
        return;
    }
    infoText_ = QStringLiteral("Filesize : %1 Bytes\nMapper : %2%3\nBattery : %4")
                    .arg(entry->size)
                    .arg(entry->mapper)
                    .arg(entry->nes20 != 0 ? QStringLiteral(" (NES 2.0)") : QString())
                    .arg(entry->battery != 0 ? QStringLiteral("yes") : QStringLiteral("no"));
    // A damaged header is repaired on its way into the image, which changes
    // the mapper the emulator sees.
    const int inImage = romImageMapper(*entry);
    if (inImage != entry->mapper) {
        infoText_ += QStringLiteral("\nMapper %1 in the image (damaged header repaired)").arg(inImage);
    }
    // A mapper the emulator lacks gives a black screen on the GBA.
    const ShellVariant* variant = currentVariant();
    if (variant != nullptr && variantLacksMapper(*variant, inImage)) {
        infoText_ += QStringLiteral("\nMapper not supported by %1").arg(fromPlatform(variant->name));
    }
    // The ROM against what its own header promises.
    const DumpCheck dump = checkRomDump(*entry);
    if (dump.verdict != DumpVerdict::AsPromised) infoText_ += QLatin1Char('\n') + fromPlatform(dumpCheckText(dump));
    if (dump.verdict == DumpVerdict::Over && trimOverdumps_) {
        infoText_ += QStringLiteral("\nTrimmed to %1 bytes in the image").arg(entry->promisedBytes);
    }
}

void MergeToolDialog::addRomFile(const QString& path, const QString& suffix, const IniSnapshot& settings,
                                 AdmitFindings& findings)
{
    if (!list_) return;
    const Admission admitted =
        admitRomPath(list_.get(), toPlatform(path), settings, cleanTitles_, findings.problems, &findings.archives);
    findings.skipped += admitted.skipped;
    findings.caseTwins.insert(findings.caseTwins.end(), admitted.caseTwins.begin(), admitted.caseTwins.end());
    if (admitted.code == AdmitCode::NotNes) {
        // A member its archive can't give says why; anything else is no NES file.
        if (admitted.openError == ARCHIVE_MEMBER_UNREADABLE) {
            findings.problems.problem(toPlatform(path), admitted.reason);
        } else {
            prompts_.showMessage(path + suffix);
        }
    }
}

void MergeToolDialog::addRomFiles(const QStringList& paths, const QString& suffix)
{
    // However many files come, the settings are read once.
    const IniSnapshot settings = IniSnapshot::load(settingsPath_);
    AdmitFindings findings;
    for (const QString& path : paths) addRomFile(path, suffix, settings, findings);
    showAdmitFindings(findings);
}

void MergeToolDialog::showAdmitFindings(const AdmitFindings& findings)
{
    QStringList parts;
    if (!findings.unreadable.isEmpty()) {
        parts << QStringLiteral("These ROMs can't be read now. They stay in the list, greyed, and are left out of "
                                "the image until they can be read:\n%1")
                     .arg(namesWithCount(findings.unreadable));
    }
    if (!findings.problems.problems.empty()) {
        parts << QStringLiteral("These ROMs could not be read:\n%1").arg(fromPlatform(findings.problems.problemText()));
    }
    parts << admitNotes(findings.skipped, findings.caseTwins);
    if (!parts.isEmpty()) prompts_.showMessage(parts.join(QStringLiteral("\n\n")));
}

QStringList MergeToolDialog::admitNotes(int skipped, const std::vector<std::pair<std::string, std::string>>& caseTwins)
{
    QStringList parts;
    if (skipped > 0) parts << fromPlatform(skippedMembersText(skipped));
    QStringList twins;
    for (const auto& [added, listed] : caseTwins) twins << fromPlatform(caseTwinText(added, listed));
    if (!twins.isEmpty()) parts << twins.join(QLatin1Char('\n'));
    return parts;
}

void MergeToolDialog::showReplacedList()
{
    refreshRomList();
    selectOnly(0);
    // An empty list leaves nothing to describe.
    romTitle_ = entryTitle(list_->head);
    showRomInfo(list_->head);
    updateSizeLabels();
    showFields();
}

QString MergeToolDialog::entryTitle(const RomEntry* entry) const
{
    return entry != nullptr && entry->title ? fromCp932(*entry->title) : QString();
}

std::vector<int> MergeToolDialog::selectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : romListView_->selectionModel()->selectedIndexes()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
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
    // rows ascend: one walk along the list marks them all.
    auto next = rows.begin();
    int row = 0;
    for (RomEntry* entry = list_ ? list_->head : nullptr; entry != nullptr && next != rows.end();
         entry = entry->next, ++row) {
        if (row == *next) {
            entry->selected = 1;
            ++next;
        }
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
