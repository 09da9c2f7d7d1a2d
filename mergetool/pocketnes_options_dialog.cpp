// SPDX-License-Identifier: GPL-3.0-or-later
#include "pocketnes_options_dialog.h"

#include "archive_path.h"
#include "ini_profile.h"
#include "merge_tool_settings.h"
#include "path_text.h"
#include "prompts.h"
#include "qt_text.h"
#include "rom_list.h"
#include "text_encoding.h"
#include "user_settings.h"
#include "window_geometry.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QCheckBox* makeSwitch(const QString& text, const char* name, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

// A right-aligned field that takes digits only.
QLineEdit* makeNumberField(const char* name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setAlignment(Qt::AlignRight);
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    field->setEnabled(false);
    return field;
}

QToolButton* makeArrow(Qt::ArrowType arrow, const char* name, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    // Stepping keeps the focus in the field, as a spin control does.
    button->setFocusPolicy(Qt::NoFocus);
    button->setEnabled(false);
    return button;
}

int cp932Bytes(const QString& text)
{
    return static_cast<int>(toCp932(text).size());
}

}  // namespace

PocketNesOptionsDialog::PocketNesOptionsDialog(Prompts& prompts, RomList* list, std::string settingsPath,
                                               QWidget* parent)
    : QDialog(parent), prompts_(prompts), list_(list), settingsPath_(std::move(settingsPath))
{
    createControls();
    restoreGeometryText(*this, iniReadString(settingsPath_, SETTINGS_CONFIG, GEOMETRY_KEY, "", SETTING_VALUE_MAX));
    saveSlotText_ = QStringLiteral("0");
    showFields();
    fillRows();
    // Row 0 becomes the selected and focused row, which shows its values.
    if (rowsView_->topLevelItemCount() > 0) rowsView_->setCurrentItem(rowsView_->topLevelItem(0));
    writeButton_->setFocus(Qt::OtherFocusReason);
}

void PocketNesOptionsDialog::createControls()
{
    setWindowTitle(QStringLiteral("PocketNES Options"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    writeButton_ = new QPushButton(QStringLiteral("&Write!"), this);
    writeButton_->setObjectName(QStringLiteral("writeButton"));
    cancelButton_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton* b : {writeButton_, cancelButton_}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    rowsView_ = new QTreeWidget(this);
    rowsView_->setObjectName(QStringLiteral("rowsView"));
    rowsView_->setColumnCount(2);
    rowsView_->setHeaderLabels({QStringLiteral("Filename"), QStringLiteral("Slot")});
    rowsView_->headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    rowsView_->headerItem()->setTextAlignment(1, Qt::AlignLeft | Qt::AlignVCenter);
    rowsView_->setColumnWidth(0, 165);
    rowsView_->setColumnWidth(1, 40);
    // Both columns in view beside the vertical scroll bar.
    rowsView_->setMinimumWidth(165 + 40 + 2 * rowsView_->frameWidth() +
                               rowsView_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
    rowsView_->setRootIsDecorated(false);
    rowsView_->setSelectionMode(QAbstractItemView::SingleSelection);
    rowsView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rowsView_->setAllColumnsShowFocus(true);
    rowsView_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    speedHack1Box_ = makeSwitch(QStringLiteral("Speed Hack &1"), "speedHack1Box", this);
    speedHack2Box_ = makeSwitch(QStringLiteral("Speed Hack &2"), "speedHack2Box", this);
    speedHack3Box_ = makeSwitch(QStringLiteral("Speed Hack &3"), "speedHack3Box", this);
    noVblankWaitBox_ = makeSwitch(QStringLiteral("&No VBLANK Wait"), "noVblankWaitBox", this);
    followSpriteBox_ = makeSwitch(QStringLiteral("Screen Follows S&prite"), "followSpriteBox", this);
    followMemoryBox_ = makeSwitch(QStringLiteral("Screen Follows &Memory"), "followMemoryBox", this);
    profilingBox_ = makeSwitch(QStringLiteral("P&rofiling"), "profilingBox", this);
    followSpriteField_ = makeNumberField("followSpriteField", this);
    followMemoryField_ = makeNumberField("followMemoryField", this);

    auto* slotLabel = new QLabel(QStringLiteral("Save S&lot"), this);
    saveSlotField_ = makeNumberField("saveSlotField", this);
    saveSlotField_->setMaxLength(1);
    slotUpButton_ = makeArrow(Qt::UpArrow, "slotUpButton", this);
    slotDownButton_ = makeArrow(Qt::DownArrow, "slotDownButton", this);

    auto* titleLabel = new QLabel(QStringLiteral("Rom &Title (Max 29 char)"), this);
    titleField_ = new QLineEdit(this);
    titleField_->setObjectName(QStringLiteral("titleField"));
    // Why typing or a paste stopped at the limit is said here.
    statusLine_ = new QStatusBar(this);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setSizeGripEnabled(false);
    slotLabel->setBuddy(saveSlotField_);
    titleLabel->setBuddy(titleField_);

    // What each switch and field stands for in the game's PocketNES header;
    // the labels alone don't say.
    const QString speedHack = QStringLiteral("One of PocketNES's speed hacks for this game (flag 0x%1 of its PocketNES "
                                             "header). A hack can make a slow game faster or break it: try one at a "
                                             "time.");
    speedHack1Box_->setToolTip(speedHack.arg(QStringLiteral("01")));
    speedHack2Box_->setToolTip(speedHack.arg(QStringLiteral("02")));
    speedHack3Box_->setToolTip(speedHack.arg(QStringLiteral("04")));
    noVblankWaitBox_->setToolTip(QStringLiteral("PocketNES does not wait for the vertical blank in this game (flag "
                                                "0x08)."));
    followSpriteBox_->setToolTip(QStringLiteral("The GBA's screen is shorter than the NES's: in PocketNES's unscaled "
                                                "display it scrolls to keep a sprite in view (flag 0x10). The number beside it is the sprite's. "
                                                "Only one of the two follow switches can be on."));
    followMemoryBox_->setToolTip(QStringLiteral("The GBA's screen is shorter than the NES's: in PocketNES's unscaled "
                                                "display it scrolls by a value the game keeps in its memory (flag "
                                                "0x20). The number beside it is "
                                                "that memory address. Only one of the two follow switches can be on."));
    const QString follow = QStringLiteral("The follow value, in decimal: the sprite's number with \"Screen Follows "
                                          "Sprite\", the NES memory address with \"Screen Follows Memory\". One "
                                          "value serves the switch that is on.");
    followSpriteField_->setToolTip(follow);
    followMemoryField_->setToolTip(follow);
    profilingBox_->setToolTip(QStringLiteral("PocketNES's profiling for this game (flag 0x40)."));
    const QString slot = QStringLiteral("Which of PocketNES's save slots, 0 to 8, keeps this game's battery save. "
                                        "Only games whose header announces a battery have one.");
    saveSlotField_->setToolTip(slot);
    slotLabel->setToolTip(slot);
    titleField_->setToolTip(QStringLiteral("The title PocketNES's menu shows: at most 29 bytes, single-byte "
                                           "characters only. It follows the ROM's title until you type another "
                                           "one here."));
    writeButton_->setToolTip(QStringLiteral("Keep these options and write the image"));

    const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12;
    for (QLineEdit* f : {followSpriteField_, followMemoryField_, saveSlotField_}) f->setFixedWidth(fieldWidth);

    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    arrows->addWidget(slotUpButton_);
    arrows->addWidget(slotDownButton_);
    auto* slotRow = new QHBoxLayout;
    slotRow->addWidget(slotLabel);
    slotRow->addWidget(saveSlotField_);
    slotRow->addLayout(arrows);
    slotRow->addStretch(1);

    auto* right = new QGridLayout;
    right->addWidget(titleLabel, 0, 0, 1, 3);
    right->addWidget(titleField_, 1, 0, 1, 3);
    right->addWidget(speedHack1Box_, 2, 0);
    right->addWidget(writeButton_, 2, 2);
    right->addWidget(speedHack2Box_, 3, 0);
    right->addWidget(cancelButton_, 3, 2);
    right->addWidget(speedHack3Box_, 4, 0);
    right->addWidget(noVblankWaitBox_, 5, 0);
    right->addWidget(followSpriteBox_, 6, 0);
    right->addWidget(followSpriteField_, 6, 1);
    right->addWidget(followMemoryBox_, 7, 0);
    right->addWidget(followMemoryField_, 7, 1);
    right->addWidget(profilingBox_, 8, 0);
    right->addLayout(slotRow, 9, 0, 1, 3);
    right->setRowStretch(10, 1);

    auto* columns = new QHBoxLayout;
    columns->addWidget(rowsView_, 1);
    columns->addLayout(right);
    auto* main = new QVBoxLayout(this);
    main->addLayout(columns, 1);
    main->addWidget(statusLine_);
    resize(fontMetrics().averageCharWidth() * 247 / 4 + 80, fontMetrics().height() * 147 / 8 + 40);

    QWidget* focusOrder[] = {
        writeButton_,     cancelButton_,      rowsView_,          speedHack1Box_, speedHack2Box_,
        speedHack3Box_,   noVblankWaitBox_,   followSpriteBox_,   followMemoryBox_, profilingBox_,
        followSpriteField_, followMemoryField_, saveSlotField_,   titleField_,
    };
    for (std::size_t i = 1; i < std::size(focusOrder); ++i) setTabOrder(focusOrder[i - 1], focusOrder[i]);

    connect(writeButton_, &QPushButton::clicked, this, &PocketNesOptionsDialog::onWrite);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(rowsView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PocketNesOptionsDialog::onSelectionChanged);
    connect(followSpriteBox_, &QCheckBox::clicked, this, &PocketNesOptionsDialog::onFollowSpriteClicked);
    connect(followMemoryBox_, &QCheckBox::clicked, this, &PocketNesOptionsDialog::onFollowMemoryClicked);
    connect(slotUpButton_, &QToolButton::clicked, this, [this] { stepSaveSlot(1); });
    connect(slotDownButton_, &QToolButton::clicked, this, [this] { stepSaveSlot(-1); });
    connect(titleField_, &QLineEdit::textEdited, this, &PocketNesOptionsDialog::onTitleEdited);
    saveSlotField_->installEventFilter(this);
    titleField_->installEventFilter(this);
}

void PocketNesOptionsDialog::offerWithoutWriting(int row)
{
    writeButton_->setText(QStringLiteral("&OK"));
    writeButton_->setToolTip(QStringLiteral("Keep these options"));
    if (QTreeWidgetItem* item = rowsView_->topLevelItem(row)) rowsView_->setCurrentItem(item);
}

void PocketNesOptionsDialog::fillRows()
{
    rowsView_->clear();
    for (const RomEntry* e = list_ != nullptr ? list_->head : nullptr; e != nullptr; e = e->next) {
        auto* item = new QTreeWidgetItem(rowsView_);
        item->setText(0, fromPlatform(romFileNameOf(e->path)));
        item->setText(1, e->battery == 1 ? QString::number(e->pocketSlot) : QString());
    }
}

void PocketNesOptionsDialog::takeFields()
{
    saveSlotText_ = saveSlotField_->text();
    followMemoryText_ = followMemoryField_->text();
    followSpriteText_ = followSpriteField_->text();
    switches_.speedHack1 = speedHack1Box_->isChecked();
    switches_.speedHack2 = speedHack2Box_->isChecked();
    switches_.speedHack3 = speedHack3Box_->isChecked();
    switches_.followSprite = followSpriteBox_->isChecked();
    switches_.followMemory = followMemoryBox_->isChecked();
    switches_.noVblankWait = noVblankWaitBox_->isChecked();
    switches_.profiling = profilingBox_->isChecked();
    titleText_ = titleField_->text();
}

void PocketNesOptionsDialog::showFields()
{
    saveSlotField_->setText(saveSlotText_);
    followMemoryField_->setText(followMemoryText_);
    followSpriteField_->setText(followSpriteText_);
    speedHack1Box_->setChecked(switches_.speedHack1);
    speedHack2Box_->setChecked(switches_.speedHack2);
    speedHack3Box_->setChecked(switches_.speedHack3);
    followSpriteBox_->setChecked(switches_.followSprite);
    followMemoryBox_->setChecked(switches_.followMemory);
    noVblankWaitBox_->setChecked(switches_.noVblankWait);
    profilingBox_->setChecked(switches_.profiling);
    titleField_->setText(titleText_);
    titleBeforeEdit_ = titleText_;
}

void PocketNesOptionsDialog::showEntryOptions(int row)
{
    // Every field is replaced here, so nothing needs to be taken first.
    const RomEntry* entry = romListAt(list_, row);
    if (entry == nullptr) return;
    titleText_ = entry->pocketTitle ? fromCp932(*entry->pocketTitle) : QString();
    switches_ = pocketSwitchesFromFlags(entry->pocketFlags);

    const QString follow = QString::number(entry->pocketFollow);
    followSpriteText_ = switches_.followSprite ? follow : QString();
    followMemoryText_ = !switches_.followSprite && switches_.followMemory ? follow : QString();
    followSpriteField_->setEnabled(switches_.followSprite);
    followMemoryField_->setEnabled(!switches_.followSprite && switches_.followMemory);

    if (entry->battery == 1) {
        // A hand-edited slot outside 0 to 8 shows (and is stored) as the nearest one.
        saveSlotText_ = QString::number(std::clamp(entry->pocketSlot, 0, POCKET_SLOT_MAX));
        setSaveSlotEnabled(true);
    } else {
        saveSlotText_.clear();
        setSaveSlotEnabled(false);
    }
    showFields();
}

void PocketNesOptionsDialog::commitEntryOptions(int row)
{
    takeFields();
    RomEntry* entry = romListAt(list_, row);
    if (entry == nullptr) return;
    bool changed = false;

    // A title edited here is the ROM's own unless it is its title again;
    // one left as shown keeps following the title, or stays the ROM's own.
    const std::string title = toCp932(titleText_);
    bool own = entry->pocketTitleOwn;
    if (title != entry->pocketTitle.value_or(std::string())) {
        changed = true;
        own = title != entry->title.value_or(std::string());
    }
    if (own != entry->pocketTitleOwn) changed = true;

    const int flags = pocketFlagsFromSwitches(switches_);
    if (flags != entry->pocketFlags) changed = true;

    int follow = 0;
    if (switches_.followSprite) {
        follow = leadingInt(toPlatform(followSpriteText_));
    } else if (switches_.followMemory) {
        follow = leadingInt(toPlatform(followMemoryText_));
    }
    if (follow != entry->pocketFollow) changed = true;

    int slot = 0;
    if (entry->battery == 1) {
        slot = std::clamp(leadingInt(toPlatform(saveSlotText_)), 0, POCKET_SLOT_MAX);
        if (slot != entry->pocketSlot) changed = true;
        if (QTreeWidgetItem* item = rowsView_->topLevelItem(row)) item->setText(1, QString::number(slot));
    } else if (entry->pocketSlot != 0) {
        changed = true;
    }

    romEntrySetPocket(entry, title, flags, follow, slot);
    entry->pocketTitleOwn = own;
    if (changed) {
        const std::string stored = cp932ToUtf8(entry->pocketTitle.value_or(std::string()));
        storeUserSetting(prompts_, settingsPath_, SETTINGS_POCKETNES, romFileNameOf(entry->path),
                         pocketValueText(entry->pocketFlags, entry->pocketFollow, entry->pocketSlot,
                                         own ? &stored : nullptr));
    }
}

void PocketNesOptionsDialog::onSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    // The row that loses the selection is stored before the new one is shown.
    for (const QModelIndex& index : deselected.indexes()) {
        if (index.column() == 0) commitEntryOptions(index.row());
    }
    for (const QModelIndex& index : selected.indexes()) {
        if (index.column() == 0) showEntryOptions(index.row());
    }
}

void PocketNesOptionsDialog::onFollowSpriteClicked(bool on)
{
    takeFields();
    followSwitchClicked(on, switches_.followMemory, followSpriteField_, followMemoryField_);
    showFields();
}

void PocketNesOptionsDialog::onFollowMemoryClicked(bool on)
{
    takeFields();
    followSwitchClicked(on, switches_.followSprite, followMemoryField_, followSpriteField_);
    showFields();
}

// The two follow switches exclude each other: the one turned on turns the
// other off, and only the field of the switch that is on can be edited.
void PocketNesOptionsDialog::followSwitchClicked(bool on, bool& otherSwitch, QLineEdit* ownField,
                                                 QLineEdit* otherField)
{
    if (on && otherSwitch) {
        otherSwitch = false;
        otherField->setEnabled(false);
    }
    ownField->setEnabled(on);
}

void PocketNesOptionsDialog::onSaveSlotCheck()
{
    takeFields();
    if (leadingInt(toPlatform(saveSlotText_)) > POCKET_SLOT_MAX) saveSlotText_ = QString::number(POCKET_SLOT_MAX);
    if (QTreeWidgetItem* item = rowsView_->topLevelItem(focusedRow())) item->setText(1, saveSlotText_);
    showFields();
}

void PocketNesOptionsDialog::onTitleCheck()
{
    takeFields();
    // PocketNES shows single-byte characters only.
    const std::string kept = withoutDoubleByteChars(toCp932(titleText_));
    titleText_ = fromCp932(kept);
    if (kept.empty() && focusedRow() >= 0) {
        const RomEntry* entry = romListAt(list_, focusedRow());
        titleText_ = entry != nullptr && entry->pocketTitle ? fromCp932(*entry->pocketTitle) : QString();
    }
    showFields();
}

void PocketNesOptionsDialog::onWrite()
{
    const int row = focusedRow();
    if (row >= 0) commitEntryOptions(row);
    takeFields();
    // Only a stored title of double-byte characters can be this long.
    if (cp932Bytes(titleText_) > TITLE_LIMIT) {
        prompts_.showMessage(QStringLiteral("%1 文字以内で入力してください。").arg(TITLE_LIMIT));
        titleField_->setFocus(Qt::OtherFocusReason);
        titleField_->selectAll();
        return;
    }
    accept();
}

void PocketNesOptionsDialog::onTitleEdited(const QString& text)
{
    // Typing stops at the limit and a paste is cut to it, and the status
    // line says why; deleting from a longer stored title works.
    const int allowed = std::max(TITLE_LIMIT, cp932Bytes(titleBeforeEdit_));
    if (cp932Bytes(text) > allowed) {
        // What was just put in ends at the cursor: drop its last characters
        // (whole ones, surrogate pairs together) until the title fits.
        QString kept = text;
        int cursor = titleField_->cursorPosition();
        while (cursor > 0 && cp932Bytes(kept) > allowed) {
            const int width = cursor > 1 && kept[cursor - 1].isLowSurrogate() ? 2 : 1;
            kept.remove(cursor - width, width);
            cursor -= width;
        }
        titleField_->setText(kept);
        titleField_->setCursorPosition(cursor);
        statusLine_->showMessage(QStringLiteral("A PocketNES title holds at most %1 bytes").arg(TITLE_LIMIT));
        titleBeforeEdit_ = kept;
        return;
    }
    titleBeforeEdit_ = text;
}

void PocketNesOptionsDialog::done(int result)
{
    // Where the dialog was, once, as it closes (a dialog never shown has no place).
    if (isVisible()) iniWriteString(settingsPath_, SETTINGS_CONFIG, GEOMETRY_KEY, geometryText(*this));
    QDialog::done(result);
}

void PocketNesOptionsDialog::stepSaveSlot(int delta)
{
    if (!saveSlotField_->isEnabled()) return;
    const int now = std::clamp(leadingInt(toPlatform(saveSlotField_->text())), 0, POCKET_SLOT_MAX);
    saveSlotField_->setText(QString::number(std::clamp(now + delta, 0, POCKET_SLOT_MAX)));
}

void PocketNesOptionsDialog::setSaveSlotEnabled(bool enabled)
{
    saveSlotField_->setEnabled(enabled);
    slotUpButton_->setEnabled(enabled);
    slotDownButton_->setEnabled(enabled);
}

int PocketNesOptionsDialog::focusedRow() const
{
    const QModelIndex current = rowsView_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void PocketNesOptionsDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter presses a focused push button and does nothing elsewhere.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button != nullptr && button->isEnabled()) {
            button->click();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool PocketNesOptionsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool leftField = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
        if (leftField && watched == saveSlotField_) onSaveSlotCheck();
        if (leftField && watched == titleField_) onTitleCheck();
    } else if (watched == saveSlotField_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepSaveSlot(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
