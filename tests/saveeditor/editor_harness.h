// SPDX-License-Identifier: GPL-3.0-or-later
// A sramedit window under test: a temporary folder holding the program's
// settings file and the test's files, scripted prompts, and the files the
// window opens, built byte by byte.
#pragma once

#include "fake_prompts.h"
#include "save_editor_dialog.h"
#include "save_image_bytes.h"
#include "test_files.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>

class QLineEdit;
class QTreeWidget;
class QPushButton;
class QWidget;

struct EditorHarness {
    TempDir dir;
    FakePrompts prompts;
    std::unique_ptr<SaveEditorDialog> dialog;

    EditorHarness();
    std::string ini() const { return dir.file("sramedit.ini"); }
    std::string setting(const char* key) const;

    // Writes a file into the folder and gives its path.
    std::string put(const std::string& name, const Bytes& bytes) const;
    // Starts the window on path, answering the start-up questions in order.
    bool open(const std::string& path, QList<bool> yesNo = {});
    // Starts the window on a file that is not there, answering the question
    // with the layout of the new save (0 Korvalinde, 1 PocketNES 32 KiB, 2
    // PocketNES 64 KiB).
    bool create(const std::string& path, int layout = 0);
    // Shows the window and makes it active, so that the focus moves for real.
    bool showActive();

    QPushButton* button(const char* name) const;
    void click(const char* name) const;  // a left click on the button
    QTreeWidget* list() const;
    QLineEdit* titleBox() const;
    QStringList lines() const;
    int selectedRow() const;   // -1 without a selection
    void select(int row);      // as a click on the line would
    // Types text over the title box's contents; retitle then leaves the box
    // with Tab.
    void typeOver(const QString& text);
    void retitle(const QString& text);
};

// Sends each character as a typed key, including those a keyboard layout
// would compose.
void typeText(QWidget* widget, const QString& text);

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
