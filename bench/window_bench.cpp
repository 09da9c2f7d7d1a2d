// SPDX-License-Identifier: GPL-3.0-or-later
// How long the romweld window takes for its list commands on a long list:
// "Add" of 2000 files, "Load List" of 2000 lines, "Sort", "Delete" of every
// other row, and "up" and "down" with 1000 rows selected. Each should take
// well under a second; the window runs offscreen, with a settings file that
// remembers a title and PocketNES values for every ROM.
//   QT_QPA_PLATFORM=offscreen romweld-window-bench [DATA_DIR]
#include "bench_roms.h"
#include "merge_tool_dialog.h"
#include "prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelection>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int ROM_COUNT = 2000;

// A progress display nobody looks at.
class NoProgress : public ProgressDisplay {
public:
    bool update(std::int64_t, std::int64_t) override { return true; }
};

// Answers the choosers with the files of the benchmark and counts messages.
class BenchPrompts : public Prompts {
public:
    QStringList files;
    QString listFile;
    int messages = 0;

    void showMessage(const QString&, const QString&) override { ++messages; }
    bool askYesNo(const QString&, const QString&, DefaultAnswer) override { return false; }
    bool askOkCancel(const QString&, const QString&) override { return false; }
    std::optional<int> askChoice(const QString&, const QString&, const QStringList&, int) override
    {
        return std::nullopt;
    }
    QStringList chooseOpenFiles(const FileChooser&) override { return files; }
    std::optional<QString> chooseOpenFile(const FileChooser&) override { return listFile; }
    std::optional<QString> chooseSaveFile(const FileChooser&) override { return std::nullopt; }
    bool startProgram(const QString&) override { return false; }
    void showAbout(const QString&, const QString&) override {}
    int runDialog(QDialog&) override { return 0; }
    std::unique_ptr<ProgressDisplay> startProgress(const QString&) override { return std::make_unique<NoProgress>(); }
};

// Times one command and tells how many rows the list has and shows selected after it.
template <typename Step>
void timeStep(const char* name, const MergeToolDialog& window, const QListWidget* view, Step step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    std::printf("%-30s %8.3f s   %4d rows, %4d selected\n", name, seconds, window.romList()->count,
                static_cast<int>(view->selectedItems().size()));
    std::fflush(stdout);
}

// Selects exactly the given rows, as a user's Ctrl-clicks would leave them.
void selectRows(QListWidget* view, const std::vector<int>& rows)
{
    QItemSelection selection;
    for (const int row : rows) {
        const QModelIndex index = view->model()->index(row, 0);
        selection.select(index, index);
    }
    view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::string dir = benchFolder(argc > 1 ? argv[1] : nullptr, "romweld-window-bench");
    if (dir.empty()) return 1;
    writeBenchProgramFolder(dir);

    BenchPrompts prompts;
    std::string settings = "[CONFIG]\nKVLVersion=kvl-v02\n[TITLE]\n";
    std::string pocket = "[PocketNES]\n";
    std::string list = "### ROMWELD NES List ###\r\n";
    std::string rom(4096, '\0');
    rom.replace(0, 8, std::string("NES\x1A\x01\x01\x10\x00", 8));
    for (int i = 0; i < ROM_COUNT; ++i) {
        const std::string name = benchRomName(ROM_COUNT - 1 - i);
        const std::string path = dir + "roms/" + name;
        if (!fs::exists(path)) writeBenchFile(path, rom);
        prompts.files << QString::fromStdString(path);
        settings += name + "=Game " + std::to_string(i) + "\n";
        pocket += name + "=0|0|0|Game " + std::to_string(i) + "\n";
        list += path + "\r\n";
    }
    writeBenchFile(dir + "romweld.ini", settings + pocket);
    writeBenchFile(dir + "games.lst", list);
    prompts.listFile = QString::fromStdString(dir + "games.lst");

    FolderEnvironment env;
    env.home = dir + "home";
    MergeToolDialog window(prompts, dir + "romweld", env);
    window.show();
    QListWidget* view = window.findChild<QListWidget*>(QStringLiteral("romList"));
    const auto click = [&](const char* name) {
        QTest::mouseClick(window.findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    };

    std::printf("romweld window, %d ROMs, offscreen\n", ROM_COUNT);
    timeStep("Add of 2000 files", window, view, [&] { click("addButton"); });
    timeStep("Add of the same 2000 again", window, view, [&] { click("addButton"); });
    timeStep("Load List of 2000 lines", window, view, [&] { click("loadListButton"); });
    timeStep("Sort", window, view, [&] { click("sortButton"); });
    std::vector<int> everyOther;
    for (int row = 0; row < ROM_COUNT; row += 2) everyOther.push_back(row);
    selectRows(view, everyOther);
    timeStep("Delete of every other row", window, view, [&] { click("deleteButton"); });

    click("loadListButton");
    // 1000 rows apart from each other, the first and last row not among them.
    std::vector<int> spread;
    for (int row = 1; row < ROM_COUNT - 2; row += 2) spread.push_back(row);
    spread.push_back(ROM_COUNT - 2);
    selectRows(view, spread);
    timeStep("up with 1000 rows selected", window, view, [&] { click("upButton"); });
    timeStep("down with 1000 rows selected", window, view, [&] { click("downButton"); });

    const bool listed = window.romList() != nullptr && window.romList()->count == ROM_COUNT;
    std::printf("%d ROMs listed at the end, %d messages\n", window.romList() ? window.romList()->count : 0,
                prompts.messages);
    return listed && prompts.messages == 0 ? 0 : 1;
}
