// SPDX-License-Identifier: GPL-3.0-or-later
// The ROM list commands driven through the window's widgets: adding by
// chooser and by dropping, deleting, moving, sorting, the display modes,
// the selection, title commits and the remembered values of each ROM.
#include "system_limits.h"
#include "window_harness.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QScrollBar>
#include <QTreeWidget>

class RomListCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void addingThreeFilesToAnEmptyList()
    {
        WindowHarness h;
        const std::string a = h.rom("Zeta.nes", 40977, 0x12, 0x40);  // mapper 65, battery, size rounds up
        const std::string b = h.rom("sub/Alpha.nes");
        const std::string c = h.rom("Mid.NES");
        const std::string aAgain = h.dir.file("roms/Zeta.NES");  // the same file, through a link
        QVERIFY(::symlink(a.c_str(), aAgain.c_str()) == 0);
        const std::string text = h.dir.file("roms/readme.txt");
        writeText(text, "not a ROM");
        h.setSetting("CONFIG", "NesPath", h.dir.file("roms/"));
        QVERIFY(h.open());

        h.add({qs(a), qs(b), qs(text), qs(c), qs(aAgain)});
        const FileChooser chooser = h.prompts.callsOf("openfiles").front().chooser;
        QCOMPARE(chooser.filter, QStringLiteral("NES files(*.nes;*.zip;*.7z;*.gz)|*.nes;*.zip;*.7z;*.gz|All files(*.*)|*.*||"));
        QCOMPARE(chooser.defaultExtension, QStringLiteral("nes"));
        QCOMPARE(chooser.initialFolder, qs(h.dir.file("roms/")));
        QVERIFY(chooser.multiple && chooser.mustExist);
        // One message for the text file; the same file by another name is skipped silently.
        QCOMPARE(h.messages(), QStringList{qs(text) + QStringLiteral("\nis not NES file.")});

        QCOMPARE(h.rows(), (QStringList{qs(a), qs(b), qs(c)}));
        QCOMPARE(h.selectedRows(), std::vector<int>{0});
        QCOMPARE(h.panels(), (QStringList{"Zeta", "Filesize : 40980 Bytes\nMapper : 65\nBattery : yes", "3 NES Roms."}));
        QCOMPARE(h.label("sizeLabel")->text(), sizeText(SHELL_V02_SIZE + (40980 + 44) + 2 * (1024 + 44) + END_RECORD_BYTES));
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
        QCOMPARE(h.panels(), (QStringList{"", "", "36 NES Roms."}));

        h.add(paths.mid(36, 2));
        QCOMPARE(h.selectedRows(), (std::vector<int>{11, 13}));
        QCOMPARE(h.firstVisibleRow(), 10);
        QCOMPARE(h.panels(), (QStringList{"", "", "38 NES Roms."}));

        // Dropped files: the message lacks the full stop of "Add".
        writeText(h.dir.file("junk.bin"), "junk");
        h.drop({paths[38], qs(h.dir.file("junk.bin")), paths[39]});
        QCOMPARE(h.messages(), QStringList{qs(h.dir.file("junk.bin")) + QStringLiteral("\nis not NES file")});
        QCOMPARE(h.rows(), paths);
        QCOMPARE(h.selectedRows(), (std::vector<int>{11, 13}));
        QCOMPARE(h.firstVisibleRow(), 10);
        QCOMPARE(h.panels(), (QStringList{"", "", "40 NES Roms."}));
    }

    void deletingRows()
    {
        WindowHarness h;
        const QStringList paths = h.roms(10);
        QVERIFY(h.open());
        h.add(paths);
        h.clickRow(2);
        h.clickRow(5, Qt::ControlModifier);
        h.click("deleteButton");
        QStringList expected = paths;
        expected.removeAt(5);
        expected.removeAt(2);
        QCOMPARE(h.rows(), expected);
        QCOMPARE(h.selectedRows(), std::vector<int>{2});
        QCOMPARE(h.panels(), (QStringList{"03", "Filesize : 76 Bytes\nMapper : 0\nBattery : no", "8 NES Roms."}));

        // The Delete key in the list; deleting the last row selects the new last one.
        h.clickRow(7);
        QTest::keyClick(h.list(), Qt::Key_Delete);
        QCOMPARE(h.rows().size(), 7);
        QCOMPARE(h.selectedRows(), std::vector<int>{6});
        QCOMPARE(h.field("romTitleField")->text(), QStringLiteral("08"));

        // Everything: the title and the panel are emptied.
        h.clickRow(0);
        h.clickRow(6, Qt::ShiftModifier);
        h.click("deleteButton");
        QCOMPARE(h.rows(), QStringList());
        QCOMPARE(h.panels(), (QStringList{"", "", "0 NES Roms."}));
        QCOMPARE(h.label("sizeLabel")->text(), sizeText(SHELL_V02_SIZE + END_RECORD_BYTES));
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
        h.click("upButton");
        QCOMPARE(h.rows(), p);
        QCOMPARE(h.selectedRows(), (std::vector<int>{0, 3}));
        for (RomEntry* e = h.dialog->romList()->head; e != nullptr; e = e->next) QCOMPARE(e->selected, 0);

        h.clickRow(2);
        h.clickRow(4, Qt::ControlModifier);
        const QString shownTitle = h.field("romTitleField")->text();
        h.click("upButton");
        QCOMPARE(h.rows(), (QStringList{p[0], p[2], p[1], p[4], p[3], p[5]}));
        QCOMPARE(h.selectedRows(), (std::vector<int>{1, 3}));
        QCOMPARE(h.field("romTitleField")->text(), shownTitle);

        h.click("downButton");
        h.click("downButton");
        QCOMPARE(h.rows(), (QStringList{p[0], p[1], p[3], p[2], p[5], p[4]}));
        QCOMPARE(h.selectedRows(), (std::vector<int>{3, 5}));
        // The block now touches the tail.
        h.click("downButton");
        QCOMPARE(h.rows(), (QStringList{p[0], p[1], p[3], p[2], p[5], p[4]}));

        // In a long list the view follows a block that starts at its top row
        // and otherwise stays where it was.
        h.add(h.roms(40, "more/"));
        h.list()->scrollToItem(h.list()->item(20), QAbstractItemView::PositionAtTop);
        h.clickRow(20);
        h.clickRow(22, Qt::ControlModifier);
        h.click("upButton");
        QCOMPARE(h.selectedRows(), (std::vector<int>{19, 21}));
        QCOMPARE(h.firstVisibleRow(), 19);
        h.clickRow(23);
        h.click("upButton");
        QCOMPARE(h.firstVisibleRow(), 19);
        h.click("downButton");
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
        h.click("sortButton");
        QCOMPARE(h.rows(), (QStringList{qs(a2), qs(a1), qs(b1)}));
        QCOMPARE(h.selectedRows(), std::vector<int>{0});
        QCOMPARE(h.field("romTitleField")->text(), QStringLiteral("two"));

        QTest::mouseClick(h.radio("sortByTitle"), Qt::LeftButton);
        QCOMPARE(h.rows(), (QStringList{qs(a2), qs(a1), qs(b1)}));  // a sort key alone sorts nothing
        h.click("sortButton");
        QCOMPARE(h.rows(), (QStringList{qs(a1), qs(b1), qs(a2)}));

        // Each display mode keeps the selection.
        h.clickRow(1);
        h.clickRow(2, Qt::ControlModifier);
        const struct {
            const char* radio;
            QStringList rows;
        } modes[] = {{"showRomTitle", {"Aaa", "one", "two"}}, {"showFilename", {"zzz.nes", "one.nes", "two.nes"}}};
        for (const auto& mode : modes) {
            QTest::mouseClick(h.radio(mode.radio), Qt::LeftButton);
            QCOMPARE(h.rows(), mode.rows);
            QCOMPARE(h.selectedRows(), (std::vector<int>{1, 2}));
        }

        // A long path gives the list a horizontal scroll range.
        QTest::mouseClick(h.radio("showFullPathname"), Qt::LeftButton);
        h.add({qs(h.rom(std::string(120, 'x') + "/" + std::string(120, 'y') + ".nes"))});
        QVERIFY(h.list()->horizontalScrollBar()->maximum() > 0);
    }

    void committingTitles()
    {
        WindowHarness h;
        const QStringList p = h.roms(3);
        QVERIFY(h.open());
        h.add(p);
        QTest::mouseClick(h.radio("showRomTitle"), Qt::LeftButton);

        // Enter commits, as leaving the field does.
        h.clickRow(1);
        typeInto(h.field("romTitleField"), QStringLiteral("Castle Quest"));
        QTest::keyClick(h.field("romTitleField"), Qt::Key_Return);
        QCOMPARE(h.entry(1)->title, std::optional<std::string>("Castle Quest"));
        QCOMPARE(h.dialog->focusWidget(), h.field("romTitleField"));
        h.list()->setFocus();
        QCOMPARE(h.entry(1)->title, std::optional<std::string>("Castle Quest"));
        QCOMPARE(h.setting("TITLE", "01.nes"), std::optional<std::string>("Castle Quest"));
        QCOMPARE(h.rows()[1], QStringLiteral("Castle Quest"));
        QCOMPARE(h.messages(), QStringList());

        // Kana stay, a kanji is dropped, and so is a character CP932 lacks.
        h.clickRow(0);
        h.clickRow(2, Qt::ControlModifier);
        h.commitTitle(QStringLiteral("カ漢な😀x漢"));
        QCOMPARE(h.prompts.calls.size(), 1);
        // The message names what was removed, and why, under its own text.
        QCOMPARE(h.prompts.calls[0].detail,
                 QStringLiteral("Removed: 漢 😀 (the cartridge can't show these characters)"));
        QCOMPARE(h.messages(), QStringList{QStringLiteral("Invalid Title \nFixed")});
        QCOMPARE(h.field("romTitleField")->text(), QStringLiteral("カなx"));
        const std::string cp932 = "\x83\x4a\x82\xc8x";
        QCOMPARE(h.entry(0)->title, std::optional<std::string>(cp932));
        QCOMPARE(h.entry(2)->title, std::optional<std::string>(cp932));
        QCOMPARE(h.setting("TITLE", "02.nes"), std::optional<std::string>("カなx"));

        // A character CP932 lacks is reported even when the filter keeps the rest.
        h.clickRow(2);
        h.commitTitle(QStringLiteral("な😀"));
        QCOMPARE(h.messages(), QStringList{QStringLiteral("Invalid Title \nFixed")});
        QCOMPARE(h.entry(2)->title, std::optional<std::string>("\x82\xc8"));
        // So is one that CP932 keeps in its extension area (ⅰ = FA 40): a
        // title would hold 0xFA as a character of its own and could be cut
        // after it.
        h.commitTitle(QStringLiteral("x").repeated(20) + QStringLiteral("ⅰ"));
        QCOMPARE(h.messages(), QStringList{QStringLiteral("Invalid Title \nFixed")});
        QCOMPARE(h.entry(2)->title, std::optional<std::string>(std::string(20, 'x')));

        // An empty title with two rows selected changes no entry.
        h.clickRow(0);
        h.clickRow(2, Qt::ControlModifier);
        h.commitTitle(QString());
        QCOMPARE(h.prompts.calls.value(0).detail, QStringLiteral("A title can't be empty."));
        QCOMPARE(h.messages(), QStringList{QStringLiteral("Invalid Title \nCanceled")});
        QCOMPARE(h.field("romTitleField")->text(), QString());
        QCOMPARE(h.entry(0)->title, std::optional<std::string>(cp932));
        // Nothing left after the removals cancels too, and says what went.
        h.commitTitle(QStringLiteral("漢字"));
        QCOMPARE(h.prompts.calls.value(0).detail,
                 QStringLiteral("Removed: 漢 字 (the cartridge can't show these characters)"));
        QCOMPARE(h.messages(), QStringList{QStringLiteral("Invalid Title \nCanceled")});
        QCOMPARE(h.entry(0)->title, std::optional<std::string>(cp932));

        // With one row the stored title comes back into the field.
        h.clickRow(1);
        h.commitTitle(QString());
        QCOMPARE(h.messages(), QStringList{QStringLiteral("Invalid Title \nCanceled")});
        QCOMPARE(h.field("romTitleField")->text(), QStringLiteral("Castle Quest"));

        // Without a selection only the field changes.
        h.list()->clearSelection();
        h.commitTitle(QStringLiteral("Orphan"));
        QCOMPARE(h.field("romTitleField")->text(), QStringLiteral("Orphan"));
        QCOMPARE(h.messages(), QStringList());
        QCOMPARE(h.setting("TITLE", "00.nes"), std::optional<std::string>("カなx"));

        // The committed title returns when the file is added again.
        h.clickRow(1);
        h.click("deleteButton");
        h.add({p[1]});
        QCOMPARE(h.entry(2)->title, std::optional<std::string>("Castle Quest"));

        // A title that can't be remembered says why; the entry keeps it.
        {
            const std::string settings = h.ini();
            const std::string kept = readText(settings);
            ::unlink(settings.c_str());
            QVERIFY(::mkfifo(settings.c_str(), 0644) == 0);
            const HangGuard guard(30);
            h.clickRow(0);
            h.clickRow(2, Qt::ControlModifier);
            h.commitTitle(QStringLiteral("Lost"));
            QCOMPARE(h.messages(), QStringList{"Can't write the settings file\n" + qs(settings) +
                                               "\n\nnot a regular file"});
            QCOMPARE(h.entry(0)->title, std::optional<std::string>("Lost"));
            QCOMPARE(h.entry(2)->title, std::optional<std::string>("Lost"));
            ::unlink(settings.c_str());
            writeText(settings, kept);
        }
        QCOMPARE(h.setting("TITLE", "00.nes"), std::optional<std::string>("カなx"));
    }

    void rememberedPocketValues()
    {
        // Flags, follow value, slot (at most 8) and title; the entry's title
        // where the value has none.
        const struct {
            const char* rom;
            const char* value;
            const char* held;
        } cases[] = {{"Full.nes", "3|5|12|Demo", "3|5|8|Demo"}, {"Two.nes", "3|5", "3|5|0|Two"},
                     {"Bare.nes", "7", "0|0|0|Bare"}};
        WindowHarness h;
        QStringList paths;
        for (const auto& c : cases) {
            paths << qs(h.rom(c.rom));
            h.setSetting("PocketNES", c.rom, c.value);
        }
        QVERIFY(h.open());
        h.add(paths);
        for (int i = 0; i < 3; ++i) QVERIFY2(pocketOf(h.entry(i)) == cases[i].held, cases[i].value);
    }

    void pocketNesOptionsWithoutBuilding()
    {
        WindowHarness h;
        const QStringList roms = h.roms(3);
        QVERIFY(h.open());
        auto* action = h.list()->findChild<QAction*>(QStringLiteral("pocketOptionsAction"));
        QVERIFY(action != nullptr);
        QCOMPARE(h.list()->contextMenuPolicy(), Qt::ActionsContextMenu);
        QVERIFY(h.list()->actions().contains(action));
        QVERIFY(!action->isEnabled());  // nothing to set up in an empty list
        h.add(roms);
        QVERIFY(action->isEnabled());

        // From the context menu, whatever the variant: the dialog opens on
        // the selected row and stores what it stores before a build.
        h.clickRow(1);
        QString firstButton;
        int startRow = -1;
        h.prompts.dialogScripts << [&](QDialog& d) {
            auto* rows = d.findChild<QTreeWidget*>(QStringLiteral("rowsView"));
            startRow = rows->currentIndex().row();
            auto* ok = d.findChild<QPushButton*>(QStringLiteral("writeButton"));
            firstButton = ok->text();
            if (!showActive(&d)) return int(QDialog::Rejected);
            auto* profiling = d.findChild<QCheckBox*>(QStringLiteral("profilingBox"));
            QTest::mouseClick(profiling, Qt::LeftButton, Qt::NoModifier, QPoint(4, profiling->height() / 2));
            QTest::mouseClick(ok, Qt::LeftButton);
            return d.result();
        };
        action->trigger();
        QCOMPARE(h.prompts.callsOf("dialog").size(), 1);
        QCOMPARE(startRow, 1);
        QCOMPARE(firstButton, QStringLiteral("&OK"));  // nothing is written but the settings
        QCOMPARE(h.setting("PocketNES", "01.nes"), std::optional<std::string>("64|0|0"));
        QCOMPARE(h.entry(1)->pocketFlags, 0x40);

        // A double-click opens it only while a PocketNES variant is chosen.
        const auto doubleClick = [&h](int row) {
            const QRect rect = h.list()->visualItemRect(h.list()->item(row));
            QTest::mouseDClick(h.list()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        };
        h.prompts.clear();
        doubleClick(2);
        QVERIFY(h.prompts.callsOf("dialog").isEmpty());
        h.variantSelector()->setFocus();
        QTest::keyClick(h.variantSelector(), Qt::Key_Down);
        QCOMPARE(h.variantSelector()->currentText(), QStringLiteral("pocketnes"));
        h.prompts.dialogScripts << [&](QDialog& d) {
            startRow = d.findChild<QTreeWidget*>(QStringLiteral("rowsView"))->currentIndex().row();
            return int(QDialog::Rejected);
        };
        doubleClick(2);
        QCOMPARE(h.prompts.callsOf("dialog").size(), 1);
        QCOMPARE(startRow, 2);
        QVERIFY(!fileExists(h.dir.file("out.gba")));
    }

    void aTypedTitleIsCommittedWhenTheWindowCloses()
    {
        // Escape, the close box and "Quit" each close with a title typed and not committed.
        const struct {
            const char* how;
            void (*close)(WindowHarness&);
        } closings[] = {
            {"Escape", [](WindowHarness& h) { QTest::keyClick(h.field("romTitleField"), Qt::Key_Escape); }},
            {"close box", [](WindowHarness& h) { h.dialog->close(); }},
            {"Quit", [](WindowHarness& h) { h.click("quitButton"); }},
        };
        for (const auto& c : closings) {
            WindowHarness h;
            QVERIFY(h.open());
            h.add(h.roms(1));
            typeInto(h.field("romTitleField"), QStringLiteral("Typed ") + c.how);
            c.close(h);
            QVERIFY2(!h.dialog->isVisible(), c.how);
            QVERIFY2(h.setting("TITLE", "00.nes") == std::optional<std::string>(std::string("Typed ") + c.how), c.how);
        }

        // A title that was not touched is not written at close.
        WindowHarness h;
        QVERIFY(h.open());
        h.add(h.roms(1));
        QTest::keyClick(h.list(), Qt::Key_Escape);
        QCOMPARE(h.setting("TITLE", "00.nes"), std::nullopt);
    }

    void gbaFileAndVariant()
    {
        WindowHarness h;
        QVERIFY(h.open());
        h.prompts.saveFileAnswers << std::nullopt;
        h.click("browseButton");
        FileChooser chooser = h.prompts.callsOf("savefile").back().chooser;
        // Never a pattern that Enter would take for a name.
        QCOMPARE(chooser.initialName, QString());
        QCOMPARE(chooser.title, QStringLiteral("Save the GBA image as"));
        QCOMPARE(chooser.filter, QStringLiteral("GBA files(*.gba)|*.gba|All files(*,*)|*.*||"));
        QCOMPARE(chooser.defaultExtension, QStringLiteral("gba"));
        QVERIFY(chooser.confirmOverwrite);
        QCOMPARE(h.setting("CONFIG", "LastGBAFile"), std::nullopt);

        const std::string out = h.dir.file("out/cart.gba");
        h.prompts.saveFileAnswers << qs(out);
        h.click("browseButton");
        QCOMPARE(h.field("gbaFileField")->text(), qs(out));
        QCOMPARE(h.setting("CONFIG", "LastGBAFile"), std::optional<std::string>(out));

        // The next chooser starts on the last image's name.
        h.prompts.saveFileAnswers << std::nullopt;
        h.click("browseButton");
        QCOMPARE(h.prompts.callsOf("savefile").back().chooser.initialName, qs(out));

        // A name with a wildcard is refused; the old name stays.
        for (const char* pattern : {"out/*.gba", "out/cart?.gba"}) {
            h.prompts.saveFileAnswers << qs(h.dir.file(pattern));
            h.click("browseButton");
            const QStringList messages = h.messages();
            QVERIFY2(messages.size() == 1 && messages[0].startsWith(QStringLiteral("Invalid GBA Filename\n")),
                     qPrintable(messages.join('|')));
            QCOMPARE(h.field("gbaFileField")->text(), qs(out));
            QCOMPARE(h.setting("CONFIG", "LastGBAFile"), std::optional<std::string>(out));
        }

        // A typed folder, or a typed pattern, starts with no name in that folder.
        for (const char* typed : {"out/", "out/*.gba"}) {
            h.field("gbaFileField")->setText(qs(h.dir.file(typed)));
            h.prompts.saveFileAnswers << std::nullopt;
            h.click("browseButton");
            chooser = h.prompts.callsOf("savefile").back().chooser;
            QCOMPARE(chooser.initialName, QString());
            QCOMPARE(chooser.initialFolder, qs(h.dir.file("out/")));
        }
        // An emptied field starts in the folder of the last image.
        h.field("gbaFileField")->clear();
        h.prompts.saveFileAnswers << std::nullopt;
        h.click("browseButton");
        QCOMPARE(h.prompts.callsOf("savefile").back().chooser.initialFolder, qs(h.dir.file("out/")));
        QCOMPARE(h.setting("CONFIG", "LastGBAFile"), std::optional<std::string>(out));

        // Choosing a variant stores its name and its size enters the label.
        h.add({qs(h.rom("One.nes", 100))});
        h.variantSelector()->setFocus();
        QTest::keyClick(h.variantSelector(), Qt::Key_Down);
        QCOMPARE(h.variantSelector()->currentText(), QStringLiteral("pocketnes"));
        QCOMPARE(h.setting("CONFIG", "KVLVersion"), std::optional<std::string>("pocketnes"));
        // The PocketNES layout: 48-byte headers, no padding, the end record.
        QCOMPARE(h.label("sizeLabel")->text(), sizeText(SHELL_POCKET_SIZE + 48 + 100 + END_RECORD_BYTES));
    }
};

QTEST_MAIN(RomListCommandsTest)
#include "rom_list_commands_test.moc"
