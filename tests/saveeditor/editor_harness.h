// A sramedit window under test: a temporary folder holding the program's
// settings file and the test's files, scripted prompts, and the files the
// window opens, built byte by byte.
#pragma once

#include "fake_prompts.h"
#include "save_editor_dialog.h"
#include "test_files.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>

class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

struct EditorHarness {
    TempDir dir;
    FakePrompts prompts;
    std::unique_ptr<SaveEditorDialog> dialog;

    EditorHarness();
    std::string ini() const { return dir.file("sramedit.ini"); }
    std::string setting(const char* key) const;

    // Starts the window on path, answering the start-up questions in order.
    bool open(const std::string& path, QList<bool> yesNo = {});
    // Shows the window and makes it active, so that the focus moves for real.
    bool showActive();

    QPushButton* button(const char* name) const;
    QListWidget* list() const;
    QLineEdit* titleBox() const;
    QStringList lines() const;
    int selectedRow() const;   // -1 without a selection
    void select(int row);      // as a click on the line would
};

// Sends each character as a typed key, including those a keyboard layout
// would compose.
void typeText(QWidget* widget, const QString& text);

// A save image file: seven slots, the magic and the checksum.
class SaveImageBytes {
public:
    SaveImageBytes();
    // Fills slot s with an EUC-JP title, the extension "sav" and data.
    SaveImageBytes& useSlot(int s, const std::string& eucTitle, const Bytes& data);
    Bytes bytes() const;  // with the checksum stored

private:
    Bytes image_;
};

// A packed image file with records whose data are filler bytes: enough to
// be listed, not to be unpacked.
class PackedImageBytes {
public:
    PackedImageBytes();
    PackedImageBytes& add(std::uint16_t type, const std::string& cp932Title, std::size_t dataBytes);
    Bytes bytes() const { return image_; }

private:
    Bytes image_;
    std::size_t end_ = 4;
};

std::uint32_t le32(const Bytes& bytes, std::size_t offset);
