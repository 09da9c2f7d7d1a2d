// SPDX-License-Identifier: GPL-3.0-or-later
// The window itself: its controls, start-up, the two refreshes, the fields,
// "Write!", "Cancel" and the about box. The slot and record commands are in
// slot_commands.cpp.
#include "save_editor_dialog.h"

#include "editor_texts.h"
#include "failure_messages.h"
#include "file_io.h"
#include "file_lock.h"
#include "ini_profile.h"
#include "path_text.h"
#include "program_folders.h"
#include "prompts.h"
#include "qt_text.h"
#include "save_file.h"
#include "save_messages.h"
#include "save_slots.h"
#include "sramedit_icon.h"
#include "title_limit.h"
#include "title_removals.h"
#include "title_rules.h"
#include "window_geometry.h"

#include <QAction>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

using namespace editor_text;

namespace {

// Settings values are paths; no path on today's systems is longer.
constexpr std::size_t SETTING_MAX_BYTES = 4096;
// The title box accepts no more bytes of cartridge text than this.
constexpr int TITLE_BOX_BYTES = 31;
// The most lines the window makes room for as it opens.
constexpr int LINES_AT_OPEN = 16;

// The list's columns; only the line's shows for a slot image.
enum Column { COLUMN_NUMBER_AT, COLUMN_LINE_AT, COLUMN_TYPE_AT, COLUMN_SIZE_AT, COLUMN_MARK_AT, COLUMN_COUNT };
static_assert(COLUMN_LINE_AT == SaveEditorDialog::LINE_COLUMN);

QString text(const char* s) { return QString::fromUtf8(s); }

// The facts of one record beside its line: number, type, size, and whether
// PocketNES uses it.
QStringList recordColumns(int number, const PackedRecordInfo& record, const QString& line)
{
    QStringList columns(COLUMN_COUNT);
    columns[COLUMN_NUMBER_AT] = QString::number(number);
    columns[COLUMN_LINE_AT] = line;
    columns[COLUMN_TYPE_AT] = fromPlatform(recordTypeName(record.type));
    columns[COLUMN_SIZE_AT] = record.liveOnly ? text(NO_RECORD_YET) : text(RECORD_BYTES).arg(record.size);
    if (record.live) columns[COLUMN_MARK_AT] = fromPlatform(liveMarkText());
    if (record.hiddenBy) columns[COLUMN_MARK_AT] = fromPlatform(olderMarkText(*record.hiddenBy));
    return columns;
}

}  // namespace

SaveEditorDialog::SaveEditorDialog(Prompts& prompts, const std::string& settingsPath, QWidget* parent)
    : QDialog(parent), prompts_(prompts), settingsPath_(settingsPath)
{
    blankSaveImage(image_);
    blankPackedImage(packed_);
    buildControls();
}

// Dialog units of the classic layout become pixels of the current font, so
// the window keeps its proportions at any font size.
void SaveEditorDialog::buildControls()
{
    setWindowTitle(text(CAPTION_BEFORE_OPEN));
    setWindowIcon(srameditIcon());

    const QFontMetrics metrics(font());
    const auto duX = [&](int units) { return units * metrics.averageCharWidth() / 4; };
    const auto duY = [&](int units) { return units * metrics.height() / 8; };

    const auto makeButton = [&](const char* label, const char* name, int width) {
        auto* button = new QPushButton(text(label), this);
        button->setObjectName(QString::fromLatin1(name));
        // The classic width, but never less than the label needs.
        button->setMinimumWidth(std::max(duX(width), button->sizeHint().width()));
        return button;
    };
    // Created in the order of keyboard focus.
    writeButton_ = makeButton(WRITE, "writeButton", 50);
    writeButton_->setDefault(true);
    cancelButton_ = makeButton(CANCEL, "cancelButton", 50);
    listLabel_ = new QLabel(text(LIST_LABEL), this);
    loadButton_ = makeButton(LOAD, "loadButton", 31);
    deleteButton_ = makeButton(DELETE, "deleteButton", 31);
    extractButton_ = makeButton(EXTRACT, "extractButton", 31);
    slotList_ = new QTreeWidget(this);
    slotList_->setObjectName(QStringLiteral("slotList"));
    slotList_->setSelectionMode(QAbstractItemView::SingleSelection);
    slotList_->setSortingEnabled(false);
    slotList_->setRootIsDecorated(false);
    slotList_->setItemsExpandable(false);
    slotList_->setUniformRowHeights(true);
    slotList_->setAllColumnsShowFocus(true);
    slotList_->setColumnCount(COLUMN_COUNT);
    slotList_->setHeaderLabels({text(COLUMN_NUMBER), text(COLUMN_SAVE), text(COLUMN_TYPE), text(COLUMN_SIZE),
                                text(COLUMN_MARK)});
    slotList_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    slotList_->header()->setStretchLastSection(true);
    slotList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    slotList_->setMinimumSize(duX(119), duY(62));
    roomLabel_ = new QLabel(this);
    roomLabel_->setObjectName(QStringLiteral("roomLabel"));
    roomLabel_->setVisible(false);
    titleBox_ = new QLineEdit(this);
    titleBox_->setObjectName(QStringLiteral("titleBox"));
    titleLimit_ = new TitleByteLimit(TITLE_BOX_BYTES, titleBox_);
    titleBox_->setValidator(titleLimit_);
    listLabel_->setBuddy(slotList_);
    appendButton_ = makeButton(APPEND, "appendButton", 31);
    appendButton_->setVisible(false);
    appendButton_->setEnabled(false);
    QSizePolicy keepPlace = appendButton_->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    appendButton_->setSizePolicy(keepPlace);

    // Linux desktops have no system menu to carry the about item: a small
    // menu button beside the list label, and the window's context menu,
    // carry it instead. The button takes no focus, so the tab order stays.
    auto* aboutAction = new QAction(text(ABOUT_ITEM), this);
    aboutAction->setObjectName(QStringLiteral("aboutAction"));
    connect(aboutAction, &QAction::triggered, this, &SaveEditorDialog::onAbout);
    auto* aboutMenu = new QMenu(this);
    aboutMenu->addAction(aboutAction);
    aboutButton_ = new QToolButton(this);
    aboutButton_->setObjectName(QStringLiteral("aboutButton"));
    aboutButton_->setText(QStringLiteral("?"));
    aboutButton_->setToolTip(QString(text(ABOUT_ITEM)).remove(QLatin1Char('&')));
    aboutButton_->setMenu(aboutMenu);
    aboutButton_->setPopupMode(QToolButton::InstantPopup);
    addAction(aboutAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    // The packed list's own commands, in its context menu (packed mode only).
    const auto listAction = [&](const char* label, const char* name, void (SaveEditorDialog::*run)()) {
        auto* action = new QAction(text(label), slotList_);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, run);
        slotList_->addAction(action);
    };
    listAction(COPY_TO, "copyToAction", &SaveEditorDialog::onCopyTo);
    listAction(SAVE_AS_SIZE, "saveAsSizeAction", &SaveEditorDialog::onSaveAsSize);
    listAction(REMOVE_OLDER, "removeOlderAction", &SaveEditorDialog::onRemoveOlder);
    slotList_->setContextMenuPolicy(Qt::NoContextMenu);

    auto* grid = new QGridLayout;
    grid->addWidget(listLabel_, 0, 0);
    grid->addWidget(aboutButton_, 0, 1, Qt::AlignRight);
    grid->addWidget(slotList_, 1, 0, 5, 1);
    grid->addWidget(loadButton_, 1, 1);
    grid->addWidget(extractButton_, 2, 1);
    grid->addWidget(appendButton_, 3, 1);
    grid->setRowStretch(4, 1);
    grid->addWidget(deleteButton_, 5, 1);
    grid->addWidget(roomLabel_, 6, 0);
    grid->addWidget(titleBox_, 7, 0);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(writeButton_);
    bottom->addStretch(1);
    bottom->addWidget(cancelButton_);
    // What the last command did, without a box to dismiss.
    statusLine_ = new QStatusBar(this);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setSizeGripEnabled(false);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addLayout(bottom);
    outer->addWidget(statusLine_);

    // Tab goes as the eye does: the list, its title, the buttons beside the
    // list from the top, the two beneath, then "?".
    QWidget* focusOrder[] = {slotList_,     titleBox_,    loadButton_,   extractButton_, appendButton_,
                             deleteButton_, writeButton_, cancelButton_, aboutButton_};
    for (std::size_t i = 1; i < std::size(focusOrder); ++i) setTabOrder(focusOrder[i - 1], focusOrder[i]);

    writeButton_->setToolTip(text(TIP_WRITE));
    loadButton_->setToolTip(text(TIP_LOAD));
    appendButton_->setToolTip(text(TIP_APPEND));
    extractButton_->setToolTip(text(TIP_EXTRACT));
    deleteButton_->setToolTip(text(TIP_DELETE));
    titleBox_->setToolTip(text(TIP_TITLE));

    connect(writeButton_, &QPushButton::clicked, this, &SaveEditorDialog::onWrite);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(loadButton_, &QPushButton::clicked, this, &SaveEditorDialog::onLoad);
    connect(deleteButton_, &QPushButton::clicked, this, &SaveEditorDialog::onDelete);
    connect(extractButton_, &QPushButton::clicked, this, &SaveEditorDialog::onExtract);
    connect(appendButton_, &QPushButton::clicked, this, &SaveEditorDialog::onAppend);
    connect(slotList_, &QTreeWidget::itemSelectionChanged, this, &SaveEditorDialog::refreshTitleBox);
    // A paste cut to the title's limit is said, not done in silence.
    connect(titleBox_, &QLineEdit::textEdited, this, [this] {
        if (titleLimit_->takeCut()) {
            statusLine_->showMessage(titleCutText(titleBox_->text(), text(TITLE_BOX_LIMIT)));
        }
    });
    titleBox_->installEventFilter(this);
    slotList_->installEventFilter(this);

    resize(duX(167), duY(123));
}

bool SaveEditorDialog::start()
{
    std::string lastChosen = readSetting(KEY_LAST_FILE);
    for (;;) {
        FileChooser chooser;
        chooser.title = text(START_CHOOSER);
        chooser.filter = text(START_FILTER);
        chooser.initialName = fromPlatform(lastChosen);
        chooser.mustExist = false;
        const std::optional<QString> chosen = prompts_.chooseOpenFile(chooser);
        if (!chosen) return false;
        currentPath_ = toPlatform(*chosen);
        lastChosen = currentPath_;
        if (!currentPath_.empty()) writeSetting(KEY_LAST_FILE, currentPath_);

        // The same steps as sramedit-cli's: a packed save first, else a slot save.
        SaveResult read = readSaveFile(currentPath_, image_, packed_, packedMode_);
        if (read == SaveCode::MemoryUnknown) {
            const std::optional<PackedMemory> memory = askMemory(read);
            if (!memory) continue;  // the user would not say which memory: choose again
            read = readSaveFile(currentPath_, image_, packed_, packedMode_, *memory);
        }
        if (read.ok()) break;
        // Every failed read leaves a blank image to continue with.
        const QString said = resultText(read);
        if (read == SaveCode::Missing) {
            if (createNewSave(said + text(ASK_CREATE_MISSING))) break;
        } else if (read == SaveCode::NotASave) {
            // Enter must not overwrite a file the editor did not understand.
            if (prompts_.askYesNo(said + text(ASK_REPLACE_INVALID), text(INVALID_LAYOUTS_DETAIL), DefaultAnswer::No)) {
                break;
            }
        } else {
            if (!prompts_.askYesNo(said + text(ASK_TRY_ANOTHER))) break;
        }
    }

    appendButton_->setVisible(packedMode_);
    appendButton_->setEnabled(packedMode_);
    slotList_->setHeaderHidden(!packedMode_);
    for (int column = 0; column < COLUMN_COUNT; ++column) {
        slotList_->setColumnHidden(column, !packedMode_ && column != COLUMN_LINE_AT);
    }
    roomLabel_->setVisible(packedMode_);
    slotList_->setContextMenuPolicy(packedMode_ ? Qt::ActionsContextMenu : Qt::NoContextMenu);
    startImage_ = image_;
    startPacked_ = packed_;
    openedFacts_ = fileFactsOf(currentPath_);
    // The name, not a path the title bar would cut in the middle.
    setWindowTitle(text(CAPTION_OF_FILE).arg(fromPlatform(fileNameOf(currentPath_))));
    refreshSlotList();
    refreshTitleBox();
    fitToLines();
    // As the user left it, on the screen it was on while that is there.
    restoreGeometryText(*this, readSetting(KEY_GEOMETRY));
    slotList_->setFocus(Qt::OtherFocusReason);
    // PocketNES would drop this save at its next start: say so while the
    // user can still make room.
    if (packedMode_) {
        if (const auto risk = packedSaveAtRisk(packed_)) {
            prompts_.showMessage(fromPlatform(saveAtRiskText(*risk)));
        }
    }
    return true;
}

bool SaveEditorDialog::createNewSave(const QString& question)
{
    const QStringList layouts{text(ANSWER_KORVALINDE), text(ANSWER_POCKETNES_32), text(ANSWER_POCKETNES_64)};
    const std::optional<int> answer =
        prompts_.askChoice(question, text(NEW_LAYOUTS_DETAIL), layouts, 0);
    if (!answer) return false;
    // A PocketNES save as `sramedit-cli new --packed` makes it: 32 KiB
    // written twice into a 64 KiB file, which every host reads alike, or
    // 64 KiB for 64 KiB carts.
    if (*answer == 1) newPackedImage(packed_, PACKED_SMALL_IMAGE_SIZE, true);
    if (*answer == 2) newPackedImage(packed_, PACKED_IMAGE_SIZE);
    packedMode_ = *answer != 0;
    return true;
}

// The window opens large enough for its lines without scrolling (the seven
// slots, or the records up to a screenful) and for the packed list's
// columns; smaller, the list keeps seven lines.
void SaveEditorDialog::fitToLines()
{
    const int shown = std::clamp(slotList_->topLevelItemCount(), SLOT_COUNT, LINES_AT_OPEN);
    const int rowHeight = std::max(slotList_->sizeHintForRow(0), slotList_->fontMetrics().height());
    const int header = slotList_->isHeaderHidden() ? 0 : slotList_->header()->sizeHint().height();
    const int frame = 2 * slotList_->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int least = slotList_->minimumHeight();
    slotList_->setMinimumHeight(header + shown * rowHeight + frame);
    if (packedMode_) widenForColumns();
    resize(sizeHint().expandedTo(size()));
    slotList_->setMinimumHeight(std::max(least, header + SLOT_COUNT * rowHeight + frame));
}

// The packed list's columns are shown whole: the list is made wide enough
// for the records it opened with.
void SaveEditorDialog::widenForColumns()
{
    const QFontMetrics metrics(slotList_->font());
    const int padding = 2 * metrics.averageCharWidth();
    int wanted = 0;
    for (int column = 0; column < COLUMN_COUNT; ++column) {
        int widest = slotList_->header()->sectionSizeHint(column);
        for (int row = 0; row < slotList_->topLevelItemCount(); ++row) {
            widest = std::max(widest, metrics.horizontalAdvance(slotList_->topLevelItem(row)->text(column)) + padding);
        }
        wanted += widest;
    }
    wanted += 2 * slotList_->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    slotList_->setMinimumWidth(std::max(slotList_->minimumWidth(), wanted));
}

void SaveEditorDialog::takeFields()
{
    titleText_ = titleBox_->text();
    titleEdited_ = titleBox_->isModified();
    selected_ = selectedLine();
}

void SaveEditorDialog::showFields()
{
    titleBox_->setText(titleText_);
    titleLimit_->takeCut();  // only what the user puts in counts
}

std::optional<int> SaveEditorDialog::selectedLine() const
{
    const QList<QTreeWidgetItem*> items = slotList_->selectedItems();
    if (items.isEmpty()) return std::nullopt;
    return slotList_->indexOfTopLevelItem(items.front());
}

std::optional<std::uint16_t> SaveEditorDialog::packedRecordType(int line) const
{
    const std::vector<PackedRecordInfo> records = packedRecords(packed_);
    if (line < 0 || line >= static_cast<int>(records.size())) return std::nullopt;
    return records[static_cast<std::size_t>(line)].type;
}

QString SaveEditorDialog::packedRecordTitle(int line) const
{
    const std::vector<PackedRecordInfo> records = packedRecords(packed_);
    if (line < 0 || line >= static_cast<int>(records.size())) return {};
    return fromCp932(records[static_cast<std::size_t>(line)].title);
}

// The list is redrawn from the live image; the selected line stays selected.
// Selecting by code is no selection change of the user's, so the title box
// is left to the caller.
void SaveEditorDialog::refreshSlotList()
{
    const std::optional<int> remembered = selectedLine();
    const QSignalBlocker quiet(slotList_);
    slotList_->clear();
    if (packedMode_) {
        showPackedLines();
    } else {
        for (int s = 0; s < SLOT_COUNT; ++s) {
            QStringList columns(COLUMN_COUNT);
            columns[COLUMN_LINE_AT] = slotIsUsed(image_, s) ? fromCp932(slotDisplayTitle(image_, s)) : text(EMPTY_SLOT_TEXT);
            slotList_->addTopLevelItem(new QTreeWidgetItem(columns));
        }
    }
    const int line = remembered.value_or(0);
    if (line < slotList_->topLevelItemCount()) slotList_->setCurrentItem(slotList_->topLevelItem(line));
    setWindowModified(hasUnwrittenChanges());
}

void SaveEditorDialog::showPackedLines()
{
    const std::vector<PackedRecordInfo> records = packedRecords(packed_);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const PackedRecordInfo& record = records[i];
        slotList_->addTopLevelItem(
            new QTreeWidgetItem(recordColumns(static_cast<int>(i), record, fromCp932(recordLineText(record)))));
    }
    roomLabel_->setText(fromPlatform(roomText(packed_)));
}

void SaveEditorDialog::refreshTitleBox()
{
    takeFields();
    titleText_.clear();
    if (selected_) {
        if (packedMode_) {
            if (packedRecordType(*selected_) == RECORD_SV) titleText_ = packedRecordTitle(*selected_);
        } else if (slotIsUsed(image_, *selected_)) {
            titleText_ = fromCp932(slotDisplayTitle(image_, *selected_));
        }
    }
    showFields();
}

void SaveEditorDialog::onWrite()
{
    // Alt+W presses "Write!" without the title box losing the focus; the
    // title typed there still belongs to the image.
    if (titleBox_->hasFocus()) retitle();
    // Held until the new file is in place, so no other writer comes between
    // the look and the write.
    FileLock lock;
    if (const int busy = lock.acquire(currentPath_); busy != 0) {
        prompts_.showMessage(imageWriteFailedText(saveFailure(SaveCode::WriteFailed, currentPath_, busy)));
        return;
    }
    if (!sameFileUnchanged(openedFacts_, fileFactsOf(currentPath_)) &&
        !prompts_.askYesNo(text(ASK_REPLACE_CHANGED).arg(fromPlatform(currentPath_)), DefaultAnswer::No)) {
        return;
    }
    const SaveResult written =
        packedMode_ ? writePackedImage(currentPath_, packed_) : writeSaveImage(currentPath_, image_);
    if (!written.ok()) {
        // The file on disk is untouched; keep the window and its edits.
        prompts_.showMessage(imageWriteFailedText(written));
        return;
    }
    accept();
}

void SaveEditorDialog::onAbout()
{
    prompts_.showAbout(text(ABOUT_CAPTION), text(ABOUT_TEXT));
}

bool SaveEditorDialog::hasUnwrittenChanges() const
{
    // A packed image may change its layout alone (the memory it is for).
    const bool packedChanged = packed_.bytes != startPacked_.bytes || packed_.memorySize != startPacked_.memorySize ||
                               packed_.mirrored != startPacked_.mirrored || packed_.eitherSize != startPacked_.eitherSize;
    const bool imageChanged = packedMode_ ? packedChanged : image_ != startImage_;
    return imageChanged || titleBox_->isModified();
}

void SaveEditorDialog::reject()
{
    if (hasUnwrittenChanges() &&
        !prompts_.askYesNo(text(ASK_DISCARD).arg(fromPlatform(currentPath_)), DefaultAnswer::No)) {
        return;
    }
    QDialog::reject();
}

void SaveEditorDialog::done(int result)
{
    closing_ = true;
    // Where the window was, once, as it closes.
    if (isVisible()) writeSetting(KEY_GEOMETRY, geometryText(*this));
    QDialog::done(result);
}

bool SaveEditorDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == titleBox_ && event->type() == QEvent::KeyPress) {
        // Enter applies the title and moves on to the list; it never
        // presses "Write!", which would write and close.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            retitle();
            slotList_->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    if (watched == titleBox_ && event->type() == QEvent::FocusOut) {
        // A context menu of the box takes the focus only for a moment.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (!closing_ && reason != Qt::PopupFocusReason) retitle();
    } else if (watched == slotList_ && event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        onDelete();  // then the list handles the key as usual
    }
    return QDialog::eventFilter(watched, event);
}

void SaveEditorDialog::showStatus(const QString& line, const QString& tip)
{
    statusLine_->showMessage(line);
    statusLine_->setToolTip(tip);
}

std::string SaveEditorDialog::readSetting(const char* key) const
{
    return iniReadString(settingsPath_, SECTION, key, "", SETTING_MAX_BYTES);
}

void SaveEditorDialog::writeSetting(const char* key, const std::string& value) const
{
    // A settings file that can't be written only costs the remembered folder.
    // An installed sramedit makes its settings folder on the first write.
    makeSettingsFolder(settingsPath_);
    iniWriteString(settingsPath_, SECTION, key, value);
}
