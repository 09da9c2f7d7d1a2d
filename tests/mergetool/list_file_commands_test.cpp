// "Save List" and "Load List" through the window: the file written, the list
// rebuilt from a file, and every way a list file can be refused.
#include "window_harness.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>

namespace {

const std::string HEADER = "### ROMWELD NES List ###";

}  // namespace

class ListFileCommandsTest : public QObject {
    Q_OBJECT

private:
    void load(WindowHarness& h, const std::string& listPath)
    {
        h.prompts.openFileAnswers << qs(listPath);
        QTest::mouseClick(h.button("loadListButton"), Qt::LeftButton);
    }

private slots:
    void savingAndLoadingThreeRoms()
    {
        WindowHarness h;
        const std::string a = h.rom("Alpha.nes", 100, 0x02);
        const std::string b = h.rom("sub dir/Beta.nes");
        const std::string c = h.rom("Gamma.nes");
        QVERIFY(h.open());

        QTest::mouseClick(h.button("saveListButton"), Qt::LeftButton);
        QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("No NES Roms to write")});
        QVERIFY(h.prompts.callsOf("savefile").isEmpty());

        h.add({qs(a), qs(b), qs(c)});
        const std::string listPath = h.dir.file("lists/three.lst");
        std::filesystem::create_directories(h.dir.file("lists"));
        h.prompts.clear();
        h.prompts.saveFileAnswers << qs(listPath);
        QTest::mouseClick(h.button("saveListButton"), Qt::LeftButton);
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
        QCOMPARE(romListAt(h.dialog->romList(), 1)->title, std::optional<std::string>("Second"));
        QCOMPARE(romListAt(h.dialog->romList(), 2)->pocketSlot, 3);
        QCOMPARE(romListAt(h.dialog->romList(), 2)->pocketTitle, std::optional<std::string>("G"));
        QCOMPARE(h.selectedRows(), std::vector<int>{0});
        QCOMPARE(h.field("romTitleField")->text(), QStringLiteral("Alpha"));
        QCOMPARE(h.label("infoPanel")->text(), QStringLiteral("Filesize : 100 Bytes\nMapper : 0\nBattery : yes"));
        QCOMPARE(h.label("countLabel")->text(), QStringLiteral("3 NES Roms."));
        QCOMPARE(h.prompts.texts(), QStringList());
    }

    void refusedFilesLeaveTheListAlone()
    {
        WindowHarness h;
        const std::string a = h.rom("Alpha.nes");
        QVERIFY(h.open());
        h.add({qs(a)});

        const std::string wrongCase = h.dir.file("case.lst");
        writeText(wrongCase, "### romweld NES List ###\r\n" + a + "\r\n");
        const std::string trailingBlank = h.dir.file("blank.lst");
        writeText(trailingBlank, HEADER + " \r\n" + a + "\r\n");
        const std::string empty = h.dir.file("empty.lst");
        writeText(empty, "");
        load(h, wrongCase);
        load(h, trailingBlank);
        load(h, empty);
        load(h, h.dir.file("missing/none.lst"));
        QCOMPARE(h.prompts.texts(), (QStringList{"Wrong List File Error", "Wrong List File Error", "Read Error",
                                                 "Can't Open File"}));
        QCOMPARE(h.entryPaths(), std::vector<std::string>{a});
        QCOMPARE(h.label("countLabel")->text(), QStringLiteral("1 NES Roms."));
        // The folder is remembered even for a file that could not be opened.
        QCOMPARE(h.setting("CONFIG", "ListPath"), std::optional<std::string>(h.dir.file("missing/")));

        // A save into a folder that does not exist.
        h.prompts.clear();
        h.prompts.saveFileAnswers << qs(h.dir.file("nowhere/out.lst"));
        QTest::mouseClick(h.button("saveListButton"), Qt::LeftButton);
        QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("Can't Open File")});
        QCOMPARE(h.setting("CONFIG", "ListPath"), std::optional<std::string>(h.dir.file("nowhere/")));

        // Cancelled choosers change nothing.
        h.prompts.clear();
        QTest::mouseClick(h.button("loadListButton"), Qt::LeftButton);
        QTest::mouseClick(h.button("saveListButton"), Qt::LeftButton);
        QCOMPARE(h.prompts.texts(), QStringList());
        QCOMPARE(h.entryPaths(), std::vector<std::string>{a});
    }

    void linesThatAreReadAndLinesThatFail()
    {
        WindowHarness h;
        const std::string a = h.rom("Alpha.nes");
        const std::string b = h.rom("Beta.nes");
        const std::string upper = h.dir.file("roms/ALPHA.nes");
        QVERIFY(h.open());

        // LF line ends, a last line without one, a blank line, a missing file
        // and the same path in other letters.
        const std::string mixed = h.dir.file("mixed.lst");
        writeText(mixed, HEADER + "\n" + a + "\n\n" + h.dir.file("gone.nes") + "\n" + upper + "\r\n" + b);
        writeBytes(upper, readBytes(a));
        load(h, mixed);
        QCOMPARE(h.prompts.texts(),
                 (QStringList{QStringLiteral("\nis not NES file."), qs(h.dir.file("gone.nes")) + "\nis not NES file."}));
        QCOMPARE(h.entryPaths(), (std::vector<std::string>{a, b}));
        QCOMPARE(h.selectedRows(), std::vector<int>{0});

        // Lines that all fail still replace the list.
        const std::string allBad = h.dir.file("bad.lst");
        writeText(allBad, HEADER + "\r\n" + h.dir.file("gone.nes") + "\r\n");
        h.prompts.clear();
        load(h, allBad);
        QCOMPARE(h.prompts.texts().size(), 1);
        QCOMPARE(h.rows(), QStringList());
        QCOMPARE(h.label("countLabel")->text(), QStringLiteral("0 NES Roms."));
        QCOMPARE(h.field("romTitleField")->text(), QString());
        QCOMPARE(h.label("infoPanel")->text(), QString());

        // A header alone (without its line end) gives an empty list too.
        h.add({qs(a)});
        const std::string headerOnly = h.dir.file("header.lst");
        writeText(headerOnly, HEADER);
        h.prompts.clear();
        load(h, headerOnly);
        QCOMPARE(h.prompts.texts(), QStringList());
        QCOMPARE(h.rows(), QStringList());
        QCOMPARE(h.label("sizeLabel")->text(), QStringLiteral("GBA file size : %1 Bytes").arg(SHELL_V02_SIZE));
    }
};

QTEST_MAIN(ListFileCommandsTest)
#include "list_file_commands_test.moc"
