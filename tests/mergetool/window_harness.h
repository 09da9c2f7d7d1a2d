// SPDX-License-Identifier: GPL-3.0-or-later
// A romweld window under test: a temporary program folder holding
// romweld.cfg, the shells, ROM files and the settings file, scripted prompts,
// and helpers that drive the real widgets.
#pragma once

#include "fake_prompts.h"
#include "merge_tool_dialog.h"
#include "test_files.h"

// The widgets the tests work, so a test file needs no includes of its own for them.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Every image ends in a 44-byte end record.
constexpr int END_RECORD_BYTES = 44;

// Sizes of the stand-in shells the harness writes.
constexpr int SHELL_V01_SIZE = 1000;      // "kvl-v01": shell only
constexpr int SHELL_V02_SIZE = 2148;      // "KVL-V02b": 2000-byte shell, extra file of 101 bytes
constexpr int SHELL_POCKET_SIZE = 3000;   // "pocketnes", type PNES

QString qs(const std::string& text);
// The size label's text for a total of bytes.
QString sizeText(long long bytes);
// Shows a window, active so that the focus moves for real.
bool showActive(QWidget* window);
// Replaces a field's text as an input method commits it, so any character
// can be typed; the focus stays in the field.
void typeInto(QLineEdit* field, const QString& text);
// An entry's PocketNES values as "flags|follow|slot|title", the title decoded from CP932.
QString pocketOf(const RomEntry* entry);

struct WindowHarness {
    TempDir dir;
    FakePrompts prompts;
    std::unique_ptr<MergeToolDialog> dialog;
    // HOME is home/ in the test folder, the system data folder is system/,
    // and there is no PATH: nothing outside the test folder counts.
    FolderEnvironment env;

    // Writes the standard romweld.cfg and shells into the program folder
    // unless told not to.
    explicit WindowHarness(bool withConfig = true);

    // The standard romweld.cfg and shells, in folder.
    void writeConfig(const std::string& folder) const;

    std::string exe() const { return dir.file("romweld"); }
    // The settings file: beside the program in a portable folder, else the
    // user's.
    std::string ini() const;
    std::optional<std::string> setting(const char* section, const std::string& key) const;
    void setSetting(const char* section, const std::string& key, const std::string& value);

    // A ROM file under roms/ (sub folders allowed in name); its full path.
    std::string rom(const std::string& name, std::size_t size = 1024, unsigned char byte6 = 0,
                    unsigned char byte7 = 0);
    // Several ROMs named 00.nes, 01.nes, ...; their full paths.
    QStringList roms(int count, const std::string& folder = "roms/");

    // Opens the window, shown and active so that the focus moves for real.
    bool open(MergeToolDialog::ListFactory makeList = romListCreate);

    // Widgets by object name; a missing one ends the test program.
    template <typename W>
    W* child(const char* name) const
    {
        W* widget = dialog->findChild<W*>(QLatin1String(name));
        if (widget == nullptr) qFatal("no widget %s", name);
        return widget;
    }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }
    QListWidget* list() const { return child<QListWidget>("romList"); }
    QLineEdit* field(const char* name) const { return child<QLineEdit>(name); }
    QLabel* label(const char* name) const { return child<QLabel>(name); }
    QRadioButton* radio(const char* name) const { return child<QRadioButton>(name); }
    QCheckBox* fixHeaderBox() const { return child<QCheckBox>("fixHeaderBox"); }
    QComboBox* variantSelector() const { return child<QComboBox>("variantSelector"); }
    void click(const char* buttonName) { QTest::mouseClick(button(buttonName), Qt::LeftButton); }
    const RomEntry* entry(int index) const { return romListAt(dialog->romList(), index); }

    // "Add" with the chooser answering paths.
    void add(const QStringList& paths);
    // Chooses the variant at index as the user does: by keys on the selector.
    void chooseVariant(int index);
    // Types the output name and presses "Create Image".
    void createImage(const std::string& output);
    // Files dropped on the window.
    void drop(const QStringList& paths);

    // Texts of the messages and questions since the last call.
    QStringList messages();
    // What the panels show: the ROM title field, the info panel and the count label.
    QStringList panels() const;
    QStringList rows() const;
    std::vector<int> selectedRows() const;
    int firstVisibleRow() const;
    // A click on a row, as the user makes it (with Ctrl or Shift when given).
    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Types text into the ROM title field and moves the focus to the list.
    void commitTitle(const QString& text);

    std::vector<std::string> entryPaths() const;
};
