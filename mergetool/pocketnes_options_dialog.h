// SPDX-License-Identifier: GPL-3.0-or-later
// The "PocketNES Options" dialog: before a PocketNES image is written the
// user reviews each ROM's switches, follow value, save slot and title. The
// controls hold one row's values at a time; they go into that row's entry
// (and, when they changed, into the settings file) as the row loses the
// selection.
#pragma once

#include "pocket_options.h"

#include <QDialog>
#include <QItemSelection>
#include <QString>
#include <array>
#include <string>

class Prompts;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QToolButton;
class QTreeWidget;
struct RomList;

class PocketNesOptionsDialog : public QDialog {
    Q_OBJECT

public:
    // Longest title in CP932 bytes; the header field holds at most 31.
    static constexpr int TITLE_LIMIT = 29;
    // The settings key of where the dialog was last.
    static constexpr const char* GEOMETRY_KEY = "OptionsGeometry";

    // Borrows the list; its entries' PocketNES values change in place.
    PocketNesOptionsDialog(Prompts& prompts, RomList* list, std::string settingsPath,
                           QWidget* parent = nullptr);

    // Opened from the main window rather than by "Create Image": it stores
    // the same settings, but no image follows, so its first button says "OK"
    // instead of "Write!". Starts on the given row.
    void offerWithoutWriting(int row);

    // Remembers where the dialog was as it closes.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void fillRows();

    void takeFields();
    void showFields();

    void showEntryOptions(int row);
    void commitEntryOptions(int row);

    void onSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void onFollowSpriteClicked(bool on);
    void onFollowMemoryClicked(bool on);
    void followSwitchClicked(bool on, bool& otherSwitch, QLineEdit* ownField, QLineEdit* otherField);
    void onSaveSlotCheck();
    void onTitleCheck();
    void onWrite();
    void onTitleEdited(const QString& text);
    void stepSaveSlot(int delta);
    void setSaveSlotEnabled(bool enabled);
    int focusedRow() const;

    Prompts& prompts_;
    RomList* list_;
    std::string settingsPath_;

    // Controls.
    QPushButton* writeButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QTreeWidget* rowsView_ = nullptr;
    QCheckBox* speedHack1Box_ = nullptr;
    QCheckBox* speedHack2Box_ = nullptr;
    QCheckBox* speedHack3Box_ = nullptr;
    QCheckBox* noVblankWaitBox_ = nullptr;
    QCheckBox* followSpriteBox_ = nullptr;
    QCheckBox* followMemoryBox_ = nullptr;
    QCheckBox* profilingBox_ = nullptr;
    QLineEdit* followSpriteField_ = nullptr;
    QLineEdit* followMemoryField_ = nullptr;
    QLineEdit* saveSlotField_ = nullptr;
    QToolButton* slotUpButton_ = nullptr;
    QToolButton* slotDownButton_ = nullptr;
    QLineEdit* titleField_ = nullptr;
    QStatusBar* statusLine_ = nullptr;

    // The title as it was before the last edit, to refuse typing past the limit.
    QString titleBeforeEdit_;

    // The dialog's fields.
    QString saveSlotText_;
    QString followMemoryText_;
    QString followSpriteText_;
    PocketSwitches switches_;
    QString titleText_;
};
