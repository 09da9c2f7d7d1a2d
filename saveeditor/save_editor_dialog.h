// SPDX-License-Identifier: GPL-3.0-or-later
// The window of sramedit: opens one cartridge save (slot image, or packed
// image of 64 or 32 KiB), lets the user fill, add, extract, delete and retitle
// saves in memory, and writes the whole image back with "Write!".
#pragma once

#include "file_io.h"
#include "packed_image.h"
#include "save_image.h"

#include <QDialog>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

class Prompts;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class TitleByteLimit;
class QToolButton;
class QTreeWidget;

class SaveEditorDialog : public QDialog {
    Q_OBJECT

public:
    // The list's column holding each line's text (the slot title, or the
    // record's type prefix and title); packed saves show the others too.
    static constexpr int LINE_COLUMN = 1;

    // settingsPath is the program's settings file (sramEditSettingsPath:
    // beside the program in a portable folder, else in the user's settings
    // folder).
    SaveEditorDialog(Prompts& prompts, const std::string& settingsPath, QWidget* parent = nullptr);

    // Asks for the save file and reads it, settling a missing or unreadable
    // file with the user. False when the user cancelled the first chooser:
    // the window then has nothing to edit and should close.
    bool start();

    bool packedMode() const { return packedMode_; }
    const std::string& settingsPath() const { return settingsPath_; }

    // The commands, as the buttons and keys run them.
    void onWrite();
    void onLoad();
    void onAppend();
    void onExtract();
    void onDelete();
    void onAbout();
    // The packed list's context menu.
    void onCopyTo();
    void onSaveAsSize();
    void onRemoveOlder();
    // Applies the title box's text to the selected line (when the box loses
    // the keyboard focus).
    void retitle();

    // Cancel, Escape and the close box: asks before unwritten changes are
    // thrown away, and closes at once when there are none.
    void reject() override;

    // True when the image in memory differs from the one read (or made
    // blank) at start, or the title box holds a title not yet applied.
    bool hasUnwrittenChanges() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void buildControls();

    // Widgets <-> fields.
    void takeFields();
    void showFields();

    void refreshSlotList();
    void refreshTitleBox();
    void showPackedLines();
    void fitToLines();
    void widenForColumns();
    // The missing-file question: false when the user would not make a new
    // save; otherwise the blank image of the layout chosen is ready.
    bool createNewSave(const QString& question);

    // The line selected in the slot list, if any.
    std::optional<int> selectedLine() const;
    // Type of the packed record at line, or nullopt when there is none.
    std::optional<std::uint16_t> packedRecordType(int line) const;
    QString packedRecordTitle(int line) const;

    // Shows the ".sav" chooser and remembers its folder; nullopt on cancel.
    std::optional<std::string> chooseSavFile(const std::string& folder, const char* caption);
    // Load and Append in a packed image share everything but the index.
    void storeIntoPacked(const std::string& savPath, const std::string& romFolder, int index);
    // Shows what a result means, with the system's reason beneath when the
    // file could not be read.
    void showResult(const SaveResult& result);
    // A packed save that can't tell its memory: asks which it holds; nothing
    // when the user cancelled.
    std::optional<PackedMemory> askMemory(const SaveResult& unknown);
    // Reads a packed save, asking which memory it holds when the file can't
    // tell; MemoryUnknown when the user cancelled that question.
    SaveResult readPackedAsking(const std::string& path, PackedSaveImage& image);
    // A store or copy into image (the file path) found no room, but a 64 KiB
    // memory would have it: asks which memory the file is for. True when it
    // is 64 KiB and the store may be tried again.
    bool settleMemoryForRoom(PackedSaveImage& image, const std::string& path, const SaveResult& noRoom);
    void retitleSlot();
    void retitleRecord();

    // A line in the status line; tip (the whole path, say) as its tooltip.
    void showStatus(const QString& line, const QString& tip = QString());

    std::string readSetting(const char* key) const;
    void writeSetting(const char* key, const std::string& value) const;

    Prompts& prompts_;
    std::string settingsPath_;
    std::string currentPath_;
    SaveImage image_{};
    PackedSaveImage packed_{};
    // The images as start-up left them, to tell whether anything changed.
    SaveImage startImage_{};
    PackedSaveImage startPacked_{};
    // The save file as it was when it was read, so that "Write!" sees a
    // change another program made since.
    FileFacts openedFacts_{};
    bool packedMode_ = false;

    // Fields of the window, copied to and from the widgets.
    QString titleText_;
    bool titleEdited_ = false;  // the user changed the box since it was last shown
    std::optional<int> selected_;

    bool retitling_ = false;  // a retitle's own message box must not start another
    bool closing_ = false;    // focus leaving a closing window is no retitle

    QPushButton* writeButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QLabel* listLabel_ = nullptr;
    QPushButton* loadButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QPushButton* extractButton_ = nullptr;
    QTreeWidget* slotList_ = nullptr;
    QLabel* roomLabel_ = nullptr;  // packed mode: the bytes used and free
    QLineEdit* titleBox_ = nullptr;
    TitleByteLimit* titleLimit_ = nullptr;
    QStatusBar* statusLine_ = nullptr;
    QPushButton* appendButton_ = nullptr;
    QToolButton* aboutButton_ = nullptr;
};
