// SPDX-License-Identifier: GPL-3.0-or-later
// "Save List" and "Load List" through the window: the file written, the list
// rebuilt from a file, and every way a list file can be refused.
#include "system_limits.h"
#include "window_harness.h"

#include <sys/stat.h>

#include <filesystem>

namespace {

const std::string HEADER = "### ROMWELD NES List ###";
const QString NOT_ADDED = QStringLiteral("These files of the list could not be added (%1 in all):\n");

void load(WindowHarness& h, const std::string& listPath)
{
    h.prompts.openFileAnswers << qs(listPath);
    h.click("loadListButton");
}

// A list file of the given text in the program folder; its path.
std::string listFile(WindowHarness& h, const std::string& name, const std::string& text)
{
    writeText(h.dir.file(name), text);
    return h.dir.file(name);
}

}  // namespace

class ListFileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void savingAndLoadingThreeRoms()
    {
        WindowHarness h;
        const std::string a = h.rom("Alpha.nes", 100, 0x02);
        const std::string b = h.rom("sub dir/Beta.nes");
        const std::string c = h.rom("Gamma.nes");
        QVERIFY(h.open());

        h.click("saveListButton");
        QCOMPARE(h.messages(), QStringList{QStringLiteral("No NES Roms to write")});
        QVERIFY(h.prompts.callsOf("savefile").isEmpty());

        h.add({qs(a), qs(b), qs(c)});
        const std::string listPath = h.dir.file("lists/three.lst");
        std::filesystem::create_directories(h.dir.file("lists"));
        h.prompts.saveFileAnswers << qs(listPath);
        h.click("saveListButton");
        const FileChooser chooser = h.prompts.callsOf("savefile").front().chooser;
        QCOMPARE(chooser.filter, QStringLiteral("List files(*.lst)|*.lst|All files(*.*)|*.*||"));
        QCOMPARE(chooser.defaultExtension, QStringLiteral("lst"));
        QCOMPARE(chooser.initialFolder, QString());
        QCOMPARE(readText(listPath), HEADER + "\r\n" + a + "\r\n" + b + "\r\n" + c + "\r\n");
        QCOMPARE(h.setting("CONFIG", "ListPath"), std::optional<std::string>(h.dir.file("lists/")));

        // Titles and PocketNES values come from the settings at load time.
        h.setSetting("TITLE", "Beta.nes", "Second");
        h.setSetting("PocketNES", "Gamma.nes", "1|2|3|G");
        h.clickRow(1);
        load(h, listPath);
        QCOMPARE(h.prompts.callsOf("openfile").front().chooser.initialFolder, qs(h.dir.file("lists/")));
        QCOMPARE(h.entryPaths(), (std::vector<std::string>{a, b, c}));
        QCOMPARE(h.entry(1)->title, std::optional<std::string>("Second"));
        QCOMPARE(pocketOf(h.entry(2)), "1|2|3|G");
        QCOMPARE(h.selectedRows(), std::vector<int>{0});
        QCOMPARE(h.panels(), (QStringList{"Alpha", "Filesize : 100 Bytes\nMapper : 0\nBattery : yes", "3 NES Roms."}));
        QCOMPARE(h.messages(), QStringList());
    }

    void refusedFilesLeaveTheListAlone()
    {
        WindowHarness h;
        const std::string a = h.rom("Alpha.nes");
        QVERIFY(h.open());
        h.add({qs(a)});

        load(h, listFile(h, "case.lst", "### romweld NES List ###\r\n" + a + "\r\n"));
        load(h, listFile(h, "blank.lst", HEADER + " \r\n" + a + "\r\n"));
        load(h, listFile(h, "empty.lst", ""));
        load(h, h.dir.file("missing/none.lst"));
        QCOMPARE(h.messages(), (QStringList{"Wrong List File Error", "Wrong List File Error", "Read Error",
                                            "Can't Open File\n\nNo such file or directory"}));
        QCOMPARE(h.entryPaths(), std::vector<std::string>{a});
        QCOMPARE(h.panels()[2], QStringLiteral("1 NES Roms."));
        // The folder is remembered even for a file that could not be opened.
        QCOMPARE(h.setting("CONFIG", "ListPath"), std::optional<std::string>(h.dir.file("missing/")));

        // A save into a folder that does not exist.
        h.prompts.saveFileAnswers << qs(h.dir.file("nowhere/out.lst"));
        h.click("saveListButton");
        QCOMPARE(h.messages(), QStringList{QStringLiteral("Can't Open File\n\nNo such file or directory")});
        QCOMPARE(h.setting("CONFIG", "ListPath"), std::optional<std::string>(h.dir.file("nowhere/")));

        // Cancelled choosers change nothing.
        h.click("loadListButton");
        h.click("saveListButton");
        QCOMPARE(h.messages(), QStringList());
        QCOMPARE(h.entryPaths(), std::vector<std::string>{a});
    }

    void linesThatAreReadAndLinesThatFail()
    {
        WindowHarness h;
        const std::string a = h.rom("Alpha.nes");
        const std::string b = h.rom("Beta.nes");
        const std::string upper = h.dir.file("roms/ALPHA.nes");
        const std::string gone = h.dir.file("gone.nes");
        writeBytes(upper, readBytes(a));
        QVERIFY(h.open());

        // LF line ends, a last line without one, a blank line (it names
        // nothing), a missing file, a file named like a listed one in other
        // letters (a file of its own) and one named twice: one message.
        load(h, listFile(h, "mixed.lst", HEADER + "\n" + a + "\n\n" + gone + "\n" + upper + "\r\n" + b + "\n" + a));
        QCOMPARE(h.messages(), QStringList{NOT_ADDED.arg(1) + qs(gone) + ": not found\n\n" + qs(upper) +
                                           ": its name differs from " + qs(a) +
                                           " only in letter case; on a FAT-formatted memory card the two would be "
                                           "one file"});
        QCOMPARE(h.entryPaths(), (std::vector<std::string>{a, upper, b}));
        QCOMPARE(h.selectedRows(), std::vector<int>{0});

        // Lines that all fail still replace the list; however many, they
        // are one message naming the first 15 with their reasons.
        std::string text = HEADER + "\r\n" + h.dir.file("roms/readme.txt") + "\r\n";
        writeText(h.dir.file("roms/readme.txt"), "not a ROM");
        for (int i = 0; i < 20; ++i) text += h.dir.file("gone" + std::to_string(i) + ".nes") + "\r\n";
        load(h, listFile(h, "bad.lst", text));
        QString expected = NOT_ADDED.arg(21) + qs(h.dir.file("roms/readme.txt")) + ": not an NES ROM (no iNES header)";
        for (int i = 0; i < 14; ++i) expected += "\n" + qs(h.dir.file("gone" + std::to_string(i) + ".nes")) + ": not found";
        QCOMPARE(h.messages(), QStringList{expected + "\n... and 6 more problems"});
        QCOMPARE(h.rows(), QStringList());
        QCOMPARE(h.panels(), (QStringList{"", "", "0 NES Roms."}));

        // A header alone (without its line end) gives an empty list too.
        h.add({qs(a)});
        load(h, listFile(h, "header.lst", HEADER));
        QCOMPARE(h.messages(), QStringList());
        QCOMPARE(h.rows(), QStringList());
        QCOMPARE(h.label("sizeLabel")->text(), sizeText(SHELL_V02_SIZE + END_RECORD_BYTES));
    }

    // Files a list file can't hold, or that are no list file, are refused
    // with a message; none of it waits or fills the memory.
    void unlistablePathsLongLinesAndFifos()
    {
        WindowHarness h;
        const std::string a = h.rom("Alpha.nes");
        const std::string broken = h.rom("two\nlines.nes");
        QVERIFY(h.open());
        h.add({qs(a), qs(broken)});
        QCOMPARE(h.entryPaths(), (std::vector<std::string>{a, broken}));
        h.click("saveListButton");  // no chooser is shown
        QCOMPARE(h.prompts.callsOf("savefile").size(), 0);
        const QStringList messages = h.messages();
        QVERIFY2(messages.size() == 1 && messages.front().contains(QStringLiteral("line break")) &&
                     messages.front().contains(qs(broken)),
                 qPrintable(messages.join('|')));

        // A line too long names no file; the others load.
        const HangGuard guard(30);
        const std::string longList = listFile(h, "long.lst", HEADER + "\r\n" + a + "\r\n/" + std::string(5000, 'x') + "\r\n");
        load(h, longList);
        QCOMPARE(h.messages(), QStringList{NOT_ADDED.arg(1) + qs(longList) +
                                           ":3: the line is longer than 4096 bytes, so it names no file"});
        QCOMPARE(h.entryPaths(), (std::vector<std::string>{a}));
        QVERIFY(::mkfifo(h.dir.file("fifo.lst").c_str(), 0644) == 0);
        load(h, h.dir.file("fifo.lst"));
        QCOMPARE(h.messages(), QStringList{QStringLiteral("Can't Open File\n\nnot a regular file")});
    }
};

QTEST_MAIN(ListFileCommandsTest)
#include "list_file_commands_test.moc"
