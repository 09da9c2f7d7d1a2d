// SPDX-License-Identifier: GPL-3.0-or-later
// The list the window keeps across a restart loses nothing the user did not
// remove: ROMs on a card not mounted yet, a kept file that can't be read,
// an image name too long to keep, and two windows closing one after the
// other.
#include "window_harness.h"

#include "list_file.h"

#include <QKeyEvent>
#include <QStatusBar>
#include <filesystem>

namespace {

QString statusOf(const WindowHarness& h)
{
    return h.child<QStatusBar>("statusLine")->currentMessage();
}

void createImage(WindowHarness& h, const std::string& output)
{
    h.field("gbaFileField")->setText(qs(output));
    h.click("createImageButton");
}

}  // namespace

class KeptListTest : public QObject {
    Q_OBJECT

private slots:
    void romsOnACardNotMountedStayGreyedAndAreLeftOutOfTheImage()
    {
        WindowHarness h;
        const std::string a = h.rom("Alpha.nes", 1024);
        const std::string b = h.rom("card/Beta.nes", 2048, 0x20);
        QVERIFY(h.open());
        h.add({qs(a), qs(b)});
        h.dialog->close();
        const std::string kept = readText(h.dir.file("romweld-window.lst"));

        std::filesystem::rename(h.dir.file("roms/card"), h.dir.file("roms/card.off"));
        QVERIFY(h.open());
        QCOMPARE(h.entryPaths(), (std::vector<std::string>{a, b}));
        QCOMPARE(h.messages(), QStringList{QStringLiteral("These ROMs can't be read now. They stay in the list, greyed, "
                                                          "and are left out of the image until they can be read:\n") +
                                           qs(b)});
        QCOMPARE(h.list()->item(1)->foreground().color(),
                 h.list()->palette().color(QPalette::Disabled, QPalette::Text));
        h.clickRow(1);
        QCOMPARE(h.label("infoPanel")->text(), QStringLiteral("Can't be read: No such file or directory\n"
                                                              "Left out of the image until it can be read."));
        QCOMPARE(h.label("sizeLabel")->text(), sizeText(SHELL_V02_SIZE + 44 + 1024 + END_RECORD_BYTES));
        // Closed unchanged, the kept list is as it was.
        h.dialog->close();
        QCOMPARE(readText(h.dir.file("romweld-window.lst")), kept);

        QVERIFY(h.open());
        h.messages();
        createImage(h, h.dir.file("out.gba"));
        QCOMPARE(h.messages(), QStringList{QStringLiteral("These ROMs can't be read and are left out of the image:\n") +
                                           qs(b)});
        QCOMPARE(statusOf(h), QStringLiteral("Image written: out.gba, %1 bytes, 1 ROMs")
                                  .arg(SHELL_V02_SIZE + 44 + 1024 + END_RECORD_BYTES));

        // The card is back: the next image has the ROM, and the row its colour.
        std::filesystem::rename(h.dir.file("roms/card.off"), h.dir.file("roms/card"));
        createImage(h, h.dir.file("out.gba"));
        QCOMPARE(h.messages(), QStringList());
        QCOMPARE(sizeOf(h.dir.file("out.gba")), SHELL_V02_SIZE + 44 + 1024 + 44 + 2048 + END_RECORD_BYTES);
        QVERIFY(h.list()->item(1)->foreground() != QBrush(h.list()->palette().color(QPalette::Disabled, QPalette::Text)));
        QCOMPARE(h.entry(1)->mapper, 2);
    }

    void aKeptListThatCantBeReadIsMovedAsideNotOverwritten()
    {
        WindowHarness h;
        const std::string keptPath = h.dir.file("romweld-window.lst");
        const std::string damaged = "### ROMWELD Window List ###\r\nshows=1\r\nimage=" + std::string(5000, 'x') + "\r\n";
        writeText(keptPath, damaged);
        writeText(keptPath + ".unreadable", "an earlier one");
        QVERIFY(h.open());
        QCOMPARE(h.messages(), QStringList{QStringLiteral("The ROM list kept from the last run can't be read (a line "
                                                          "is too long).\nIt was moved to %1, and this run starts "
                                                          "with an empty list.")
                                               .arg(qs(keptPath + ".unreadable-2"))});
        QCOMPARE(readText(keptPath + ".unreadable-2"), damaged);
        QCOMPARE(readText(keptPath + ".unreadable"), std::string("an earlier one"));
        h.add({qs(h.rom("Alpha.nes"))});
        h.dialog->close();
        WindowListState state;
        QVERIFY(readWindowList(keptPath, state).ok());
        QCOMPARE(state.paths.size(), std::size_t(1));
    }

    void anImageNameTooLongToKeepIsRefused()
    {
        WindowHarness h;
        QVERIFY(h.open());
        QLineEdit* field = h.field("gbaFileField");
        field->setText(QString(int(WINDOW_LIST_IMAGE_MAX) - 1, QLatin1Char('a')));
        field->setFocus();
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClick(field, Qt::Key_B);
        QKeyEvent eAcute(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("é"));  // two bytes: refused
        QCoreApplication::sendEvent(field, &eAcute);
        QCOMPARE(field->text().size(), int(WINDOW_LIST_IMAGE_MAX));
        const QString longName = QStringLiteral("/") + QString(5000, QLatin1Char('n')) + QStringLiteral(".gba");
        h.prompts.saveFileAnswers << longName;
        h.click("browseButton");
        QCOMPARE(h.messages().size(), 1);
        QCOMPARE(field->text().size(), int(WINDOW_LIST_IMAGE_MAX));
        // What the field holds is kept and read back.
        h.dialog->close();
        WindowListState state;
        QVERIFY(readWindowList(h.dir.file("romweld-window.lst"), state).ok());
        QCOMPARE(state.imageName.size(), WINDOW_LIST_IMAGE_MAX);
    }

    void aSecondWindowDoesNotUndoTheFirstOnesList()
    {
        WindowHarness h;
        const std::string a = h.rom("Alpha.nes");
        const std::string b = h.rom("Beta.nes");
        QVERIFY(h.open());
        MergeToolDialog other(h.prompts, h.exe(), h.env);
        h.add({qs(a)});
        h.dialog->close();
        // The other window changed nothing: it leaves the first one's list.
        other.close();
        WindowListState state;
        QVERIFY(readWindowList(h.dir.file("romweld-window.lst"), state).ok());
        QCOMPARE(state.paths, std::vector<std::string>{a});

        // Both changed it: the one closing last asks (No keeps the other's).
        QVERIFY(h.open());
        MergeToolDialog third(h.prompts, h.exe(), h.env);
        h.add({qs(b)});
        h.dialog->close();
        QVERIFY(showActive(&third));
        third.findChild<QListWidget*>(QStringLiteral("romList"))->selectAll();
        QTest::mouseClick(third.findChild<QPushButton*>(QStringLiteral("deleteButton")), Qt::LeftButton);
        h.prompts.clear();
        h.prompts.yesNoAnswers << false;
        third.close();
        QCOMPARE(h.prompts.callsOf("yesno").size(), 1);
        QVERIFY(readWindowList(h.dir.file("romweld-window.lst"), state).ok());
        QCOMPARE(state.paths, (std::vector<std::string>{a, b}));
    }
};

QTEST_MAIN(KeptListTest)
#include "kept_list_test.moc"
