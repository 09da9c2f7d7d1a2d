// A romweld window under test: a temporary program folder holding
// romweld.cfg, the shells, ROM files and the settings file, scripted prompts,
// and helpers that drive the real widgets.
#pragma once

#include "fake_prompts.h"
#include "merge_tool_dialog.h"
#include "test_files.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QWidget;

// Sizes of the stand-in shells written by writeStandardConfig.
constexpr int SHELL_V01_SIZE = 1000;      // "kvl-v01": shell only
constexpr int SHELL_V02_SIZE = 2148;      // "KVL-V02b": 2000-byte shell, extra file of 101 bytes
constexpr int SHELL_POCKET_SIZE = 3000;   // "pocketnes", type PNES

struct WindowHarness {
    TempDir dir;
    FakePrompts prompts;
    std::unique_ptr<MergeToolDialog> dialog;

    // Writes the standard romweld.cfg and shells unless told not to.
    explicit WindowHarness(bool withConfig = true);

    std::string exe() const { return dir.file("romweld"); }
    std::string ini() const { return dir.file("romweld.ini"); }
    std::optional<std::string> setting(const char* section, const std::string& key) const;
    void setSetting(const char* section, const std::string& key, const std::string& value);

    // A ROM file under roms/ (sub folders allowed in name); its full path.
    std::string rom(const std::string& name, std::size_t size = 1024, unsigned char byte6 = 0,
                    unsigned char byte7 = 0);
    // Several ROMs named 00.nes, 01.nes, ...; their full paths.
    QStringList roms(int count, const std::string& folder = "roms/");

    // Opens the window, shown and active so that the focus moves for real.
    bool open(MergeToolDialog::ListFactory makeList = romListCreate);

    // Widgets by object name.
    QPushButton* button(const char* name) const;
    QListWidget* list() const;
    QLineEdit* field(const char* name) const;
    QLabel* label(const char* name) const;
    QRadioButton* radio(const char* name) const;
    QCheckBox* fixHeaderBox() const;
    QComboBox* variantSelector() const;

    // "Add" with the chooser answering paths.
    void add(const QStringList& paths);
    // Files dropped on the window.
    void drop(const QStringList& paths);

    QStringList rows() const;
    std::vector<int> selectedRows() const;
    int firstVisibleRow() const;
    // A click on a row, as the user makes it (with Ctrl or Shift when given).
    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Types text into the ROM title field and moves the focus to the list.
    void commitTitle(const QString& text);

    std::vector<std::string> entryPaths() const;
};

QString qs(const std::string& text);
