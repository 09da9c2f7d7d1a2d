// The ROM list commands driven through the window's widgets: adding by
// chooser and by dropping, deleting, moving, sorting, the display modes,
// the selection, title commits and the remembered values of each ROM.
#include "window_harness.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

namespace {

const QString NOT_NES = QStringLiteral("\nis not NES file.");

}  // namespace

class RomListCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void addingThreeFilesToAnEmptyList()
    {
        WindowHarness h;
        const std::string a = h.rom("Zeta.nes", 40977, 0x12, 0x40);  // mapper 65, battery, size rounds up
        const std::string b = h.rom("sub/Alpha.nes");
        const std::string c = h.rom("Mid.NES");
        const std::string aAgain = h.rom("Zeta.NES");  // the same path, letter case aside
        writeText(h.dir.file("roms/readme.txt"), "not a ROM");
        h.setSetting("CONFIG", "NesPath", h.dir.file("roms/"));
        QVERIFY(h.open());

        h.add({qs(a), qs(b), qs(h.dir.file("roms/readme.txt")), qs(c), qs(aAgain)});
        const FileChooser chooser = h.prompts.callsOf("openfiles").front().chooser;
        QCOMPARE(chooser.filter, QStringLiteral("NES files(*.nes)|*.nes|All files(*.*)|*.*||"));
        QCOMPARE(chooser.defaultExtension, QStringLiteral("nes"));
        QCOMPARE(chooser.initialFolder, qs(h.dir.file("roms/")));
        QVERIFY(chooser.multiple && chooser.mustExist);
        // One message for the text file; the differently cased duplicate is skipped silently.
        QCOMPARE(h.prompts.texts(), QStringList{qs(h.dir.file("roms/readme.txt")) + NOT_NES});

        QCOMPARE(h.rows(), (QStringList{qs(a), qs(b), qs(c)}));
        QCOMPARE(h.selectedRows(), std::vector<int>{0});
        QCOMPARE(h.field("romTitleField")->text(), QStringLiteral("Zeta"));
        QCOMPARE(h.label("infoPanel")->text(), QStringLiteral("Filesize : 40980 Bytes\nMapper : 65\nBattery : yes"));
        QCOMPARE(h.label("countLabel")->text(), QStringLiteral("3 NES Roms."));
        const int total = SHELL_V02_SIZE + (40980 + 44) + 2 * (1024 + 44);
        QCOMPARE(h.label("sizeLabel")->text(), QStringLiteral("GBA file size : %1 Bytes").arg(total));
        // The folder of the last returned path, even though that one was refused.
        QCOMPARE(h.setting("CONFIG", "NesPath"), std::optional<std::string>(h.dir.file("roms/")));

        // A cancelled chooser changes nothing.
        h.add({});
        QCOMPARE(h.rows().size(), 3);
        QCOMPARE(h.selectedRows(), std::vector<int>{0});
    }

    void addingAndDroppingKeepTheSelectionAndScroll()
    {
        WindowHarness h;
        const QStringList paths = h.roms(40);
        QVERIFY(h.open());
        h.add(paths.mid(0, 36));
        h.list()->scrollToItem(h.list()->item(10), QAbstractItemView::PositionAtTop);
        QCOMPARE(h.firstVisibleRow(), 10);
        h.clickRow(11);
        h.clickRow(13, Qt::ControlModifier);
        QCOMPARE(h.field("romTitleField")->text(), QString());
        QCOMPARE(h.label("infoPanel")->text(), QString());

        h.add(paths.mid(36, 2));
        QCOMPARE(h.selectedRows(), (std::vector<int>{11, 13}));
        QCOMPARE(h.firstVisibleRow(), 10);
        QCOMPARE(h.field("romTitleField")->text(), QString());
        QCOMPARE(h.label("infoPanel")->text(), QString());

        // Dropped files: the message lacks the full stop of "Add".
        writeText(h.dir.file("junk.bin"), "junk");
        h.drop({paths[38], qs(h.dir.file("junk.bin")), paths[39]});
        QCOMPARE(h.prompts.texts(), QStringList{qs(h.dir.file("junk.bin")) + QStringLiteral("\nis not NES file")});
        QCOMPARE(h.rows().size(), 40);
        QCOMPARE(h.rows().back(), paths[39]);
        QCOMPARE(h.selectedRows(), (std::vector<int>{11, 13}));
        QCOMPARE(h.firstVisibleRow(), 10);
        QCOMPARE(h.label("countLabel")->text(), QStringLiteral("40 NES Roms."));
    }

    void deletingRows()
    {
        WindowHarness h;
        const QStringList paths = h.roms(10);
        QVERIFY(h.open());
        h.add(paths);
        h.clickRow(2);
        h.clickRow(5, Qt::ControlModifier);
        QTest::mouseClick(h.button("deleteButton"), Qt::LeftButton);
        QStringList expected = paths;
        expected.removeAt(5);
        expected.removeAt(2);
        QCOMPARE(h.rows(), expected);
        QCOMPARE(h.selectedRows(), std::vector<int>{2});
        QCOMPARE(h.field("romTitleField")->text(), QStringLiteral("03"));
        QCOMPARE(h.label("infoPanel")->text(), QStringLiteral("Filesize : 76 Bytes\nMapper : 0\nBattery : no"));
        QCOMPARE(h.label("countLabel")->text(), QStringLiteral("8 NES Roms."));

        // The Delete key in the list; deleting the last row selects the new last one.
        h.clickRow(7);
        QTest::keyClick(h.list(), Qt::Key_Delete);
        QCOMPARE(h.rows().size(), 7);
        QCOMPARE(h.selectedRows(), std::vector<int>{6});
        QCOMPARE(h.field("romTitleField")->text(), QStringLiteral("08"));

        // Everything: the title and the panel are emptied.
        h.clickRow(0);
        h.clickRow(6, Qt::ShiftModifier);
        QTest::mouseClick(h.button("deleteButton"), Qt::LeftButton);
        QCOMPARE(h.rows(), QStringList());
        QCOMPARE(h.field("romTitleField")->text(), QString());
        QCOMPARE(h.label("infoPanel")->text(), QString());
        QCOMPARE(h.label("countLabel")->text(), QStringLiteral("0 NES Roms."));
        QCOMPARE(h.label("sizeLabel")->text(), QStringLiteral("GBA file size : %1 Bytes").arg(SHELL_V02_SIZE));
        QCOMPARE(h.dialog->romList()->totalSize, std::int64_t{0});
    }

    void movingBlocksUpAndDown()
    {
        WindowHarness h;
        const QStringList p = h.roms(6);
        QVERIFY(h.open());
        h.add(p);

        // A block touching the head moves not at all.
        h.clickRow(0);
        h.clickRow(3, Qt::ControlModifier);
        QTest::mouseClick(h.button("upButton"), Qt::LeftButton);
        QCOMPARE(h.rows(), p);
        QCOMPARE(h.selectedRows(), (std::vector<int>{0, 3}));
        for (RomEntry* e = h.dialog->romList()->head; e != nullptr; e = e->next) QCOMPARE(e->selected, 0);

        h.clickRow(2);
        h.clickRow(4, Qt::ControlModifier);
        const QString shownTitle = h.field("romTitleField")->text();
        QTest::mouseClick(h.button("upButton"), Qt::LeftButton);
        QCOMPARE(h.rows(), (QStringList{p[0], p[2], p[1], p[4], p[3], p[5]}));
        QCOMPARE(h.selectedRows(), (std::vector<int>{1, 3}));
        QCOMPARE(h.field("romTitleField")->text(), shownTitle);

        QTest::mouseClick(h.button("downButton"), Qt::LeftButton);
        QTest::mouseClick(h.button("downButton"), Qt::LeftButton);
        QCOMPARE(h.rows(), (QStringList{p[0], p[1], p[3], p[2], p[5], p[4]}));
        QCOMPARE(h.selectedRows(), (std::vector<int>{3, 5}));
        // The block now touches the tail.
        QTest::mouseClick(h.button("downButton"), Qt::LeftButton);
        QCOMPARE(h.rows(), (QStringList{p[0], p[1], p[3], p[2], p[5], p[4]}));
        QCOMPARE(h.label("countLabel")->text(), QStringLiteral("6 NES Roms."));

        // In a long list the view follows a block that starts at its top row
        // and otherwise stays where it was.
        h.add(h.roms(40, "more/"));
        h.list()->scrollToItem(h.list()->item(20), QAbstractItemView::PositionAtTop);
        h.clickRow(20);
        h.clickRow(22, Qt::ControlModifier);
        QTest::mouseClick(h.button("upButton"), Qt::LeftButton);
        QCOMPARE(h.selectedRows(), (std::vector<int>{19, 21}));
        QCOMPARE(h.firstVisibleRow(), 19);
        h.clickRow(23);
        QTest::mouseClick(h.button("upButton"), Qt::LeftButton);
        QCOMPARE(h.firstVisibleRow(), 19);
        QTest::mouseClick(h.button("downButton"), Qt::LeftButton);
        QCOMPARE(h.selectedRows(), std::vector<int>{23});
        QCOMPARE(h.firstVisibleRow(), 19);
    }

    void sortingAndDisplayModes()
    {
        WindowHarness h;
        const std::string b1 = h.rom("b/one.nes");
        const std::string a2 = h.rom("a/two.nes");
        const std::string a1 = h.rom("a/zzz.nes");
        h.setSetting("TITLE", "zzz.nes", "Aaa");
        QVERIFY(h.open());
        h.add({qs(b1), qs(a2), qs(a1)});

        // By file name the whole path counts: folder a before folder b.
        h.clickRow(2);
        QTest::mouseClick(h.button("sortButton"), Qt::LeftButton);
        QCOMPARE(h.rows(), (QStringList{qs(a2), qs(a1), qs(b1)}));
        QCOMPARE(h.selectedRows(), std::vector<int>{0});
        QCOMPARE(h.field("romTitleField")->text(), QStringLiteral("two"));

        QTest::mouseClick(h.radio("sortByTitle"), Qt::LeftButton);
        QCOMPARE(h.rows(), (QStringList{qs(a2), qs(a1), qs(b1)}));  // a sort key alone sorts nothing
        QTest::mouseClick(h.button("sortButton"), Qt::LeftButton);
        QCOMPARE(h.rows(), (QStringList{qs(a1), qs(b1), qs(a2)}));

        h.clickRow(1);
        h.clickRow(2, Qt::ControlModifier);
        QTest::mouseClick(h.radio("showRomTitle"), Qt::LeftButton);
        QCOMPARE(h.rows(), (QStringList{"Aaa", "one", "two"}));
        QCOMPARE(h.selectedRows(), (std::vector<int>{1, 2}));
        QTest::mouseClick(h.radio("showFilename"), Qt::LeftButton);
        QCOMPARE(h.rows(), (QStringList{"zzz.nes", "one.nes", "two.nes"}));
        QCOMPARE(h.selectedRows(), (std::vector<int>{1, 2}));

        // A long path gives the list a horizontal scroll range.
        QTest::mouseClick(h.radio("showFullPathname"), Qt::LeftButton);
        const std::string longPath = h.rom(std::string(120, 'x') + "/" + std::string(120, 'y') + ".nes");
        h.add({qs(longPath)});
        QVERIFY(h.list()->horizontalScrollBar()->maximum() > 0);
    }

    void committingTitles()
    {
        WindowHarness h;
        const QStringList p = h.roms(3);
        QVERIFY(h.open());
        h.add(p);
        QTest::mouseClick(h.radio("showRomTitle"), Qt::LeftButton);

        // Enter does not commit; leaving the field does.
        h.clickRow(1);
        h.field("romTitleField")->setFocus();
        h.field("romTitleField")->selectAll();
        QTest::keyClicks(h.field("romTitleField"), QStringLiteral("Castle Quest"));
        QTest::keyClick(h.field("romTitleField"), Qt::Key_Return);
        QCOMPARE(romListAt(h.dialog->romList(), 1)->title, std::optional<std::string>("01"));
        h.list()->setFocus();
        QCOMPARE(romListAt(h.dialog->romList(), 1)->title, std::optional<std::string>("Castle Quest"));
        QCOMPARE(h.setting("TITLE", "01.nes"), std::optional<std::string>("Castle Quest"));
        QCOMPARE(h.rows()[1], QStringLiteral("Castle Quest"));
        QVERIFY(h.prompts.texts().isEmpty());

        // Kana stay, a kanji is dropped, and so is a character CP932 lacks.
        h.clickRow(0);
        h.clickRow(2, Qt::ControlModifier);
        h.commitTitle(QStringLiteral("カ漢な😀x"));
        QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("Invalid Title \nFixed")});
        QCOMPARE(h.field("romTitleField")->text(), QStringLiteral("カなx"));
        const std::string cp932 = "\x83\x4a\x82\xc8x";
        QCOMPARE(romListAt(h.dialog->romList(), 0)->title, std::optional<std::string>(cp932));
        QCOMPARE(romListAt(h.dialog->romList(), 2)->title, std::optional<std::string>(cp932));
        QCOMPARE(h.setting("TITLE", "02.nes"), std::optional<std::string>("カなx"));

        // An empty title with two rows selected changes no entry.
        h.prompts.clear();
        h.commitTitle(QString());
        QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("Invalid Title \nCanceled")});
        QCOMPARE(h.field("romTitleField")->text(), QString());
        QCOMPARE(romListAt(h.dialog->romList(), 0)->title, std::optional<std::string>(cp932));

        // With one row the stored title comes back into the field.
        h.clickRow(1);
        h.prompts.clear();
        h.commitTitle(QString());
        QCOMPARE(h.field("romTitleField")->text(), QStringLiteral("Castle Quest"));

        // Without a selection only the field changes.
        h.list()->clearSelection();
        h.prompts.clear();
        h.commitTitle(QStringLiteral("Orphan"));
        QCOMPARE(h.field("romTitleField")->text(), QStringLiteral("Orphan"));
        QVERIFY(h.prompts.texts().isEmpty());
        QCOMPARE(h.setting("TITLE", "00.nes"), std::optional<std::string>("カなx"));

        // The committed title returns when the file is added again.
        h.clickRow(1);
        QTest::mouseClick(h.button("deleteButton"), Qt::LeftButton);
        h.add({p[1]});
        QCOMPARE(romListAt(h.dialog->romList(), 2)->title, std::optional<std::string>("Castle Quest"));
    }

    void rememberedPocketValues()
    {
        WindowHarness h;
        const std::string full = h.rom("Full.nes");
        const std::string two = h.rom("Two.nes");
        const std::string bare = h.rom("Bare.nes");
        h.setSetting("PocketNES", "Full.nes", "3|5|12|Demo");
        h.setSetting("PocketNES", "Two.nes", "3|5");
        h.setSetting("PocketNES", "Bare.nes", "7");
        QVERIFY(h.open());
        h.add({qs(full), qs(two), qs(bare)});
        const RomEntry* e = romListAt(h.dialog->romList(), 0);
        QCOMPARE((std::vector<int>{e->pocketFlags, e->pocketFollow, e->pocketSlot}), (std::vector<int>{3, 5, 8}));
        QCOMPARE(e->pocketTitle, std::optional<std::string>("Demo"));
        e = romListAt(h.dialog->romList(), 1);
        QCOMPARE((std::vector<int>{e->pocketFlags, e->pocketFollow, e->pocketSlot}), (std::vector<int>{3, 5, 0}));
        QCOMPARE(e->pocketTitle, std::optional<std::string>("Two"));
        e = romListAt(h.dialog->romList(), 2);
        QCOMPARE((std::vector<int>{e->pocketFlags, e->pocketFollow, e->pocketSlot}), (std::vector<int>{0, 0, 0}));
        QCOMPARE(e->pocketTitle, std::optional<std::string>("Bare"));
    }

    void gbaFileAndVariant()
    {
        WindowHarness h;
        QVERIFY(h.open());
        h.prompts.saveFileAnswers << std::nullopt;
        QTest::mouseClick(h.button("browseButton"), Qt::LeftButton);
        FileChooser chooser = h.prompts.callsOf("savefile").back().chooser;
        QCOMPARE(chooser.initialName, QStringLiteral("*.gba"));
        QCOMPARE(chooser.filter, QStringLiteral("GBA files(*.gba)|*.gba|All files(*,*)|*.*||"));
        QCOMPARE(chooser.defaultExtension, QStringLiteral("gba"));
        QVERIFY(chooser.confirmOverwrite);
        QCOMPARE(h.setting("CONFIG", "LastGBAFile"), std::nullopt);

        const std::string out = h.dir.file("out/cart.gba");
        h.prompts.saveFileAnswers << qs(out);
        QTest::mouseClick(h.button("browseButton"), Qt::LeftButton);
        QCOMPARE(h.field("gbaFileField")->text(), qs(out));
        QCOMPARE(h.setting("CONFIG", "LastGBAFile"), std::optional<std::string>(out));

        // A typed folder without a file name opens on its GBA files; typing is not stored.
        h.field("gbaFileField")->setText(qs(h.dir.file("out/")));
        h.prompts.saveFileAnswers << std::nullopt;
        QTest::mouseClick(h.button("browseButton"), Qt::LeftButton);
        QCOMPARE(h.prompts.callsOf("savefile").back().chooser.initialName, qs(h.dir.file("out/*.gba")));
        QCOMPARE(h.setting("CONFIG", "LastGBAFile"), std::optional<std::string>(out));

        // Choosing a variant stores its name and its size enters the label.
        h.add({qs(h.rom("One.nes", 100))});
        h.variantSelector()->setFocus();
        QTest::keyClick(h.variantSelector(), Qt::Key_Down);
        QCOMPARE(h.variantSelector()->currentText(), QStringLiteral("pocketnes"));
        QCOMPARE(h.setting("CONFIG", "KVLVersion"), std::optional<std::string>("pocketnes"));
        QCOMPARE(h.label("sizeLabel")->text(),
                 QStringLiteral("GBA file size : %1 Bytes").arg(SHELL_POCKET_SIZE + 100 + 44));
    }
};

QTEST_MAIN(RomListCommandsTest)
#include "rom_list_commands_test.moc"
