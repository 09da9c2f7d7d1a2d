// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and Redo of the ROM list, worked with their keys: every command that
// changes the list is one step, titles go back into the settings too, and
// values changed outside the history stay as they are.
#include "window_harness.h"

#include <QAction>
#include <QStatusBar>

namespace {

void keys(WindowHarness& h, QKeySequence sequence)
{
    h.list()->setFocus();
    QTest::keySequence(h.list(), sequence);
}

const QKeySequence UNDO(Qt::CTRL | Qt::Key_Z);
const QKeySequence REDO(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
const QKeySequence REDO_Y(Qt::CTRL | Qt::Key_Y);

}  // namespace

class ListHistoryTest : public QObject {
    Q_OBJECT

private slots:
    void everyListCommandIsOneStepBackAndForth()
    {
        WindowHarness h;
        const QStringList paths = h.roms(4);
        const std::string listFile = h.dir.file("two.lst");
        writeText(listFile, "### ROMWELD NES List ###\r\n" + paths[3].toStdString() + "\r\n" +
                                paths[0].toStdString() + "\r\n");
        QVERIFY(h.open());
        QList<QStringList> states{h.rows()};
        const auto step = [&](const std::function<void()>& command) {
            command();
            states << h.rows();
        };
        step([&] { h.add(paths); });
        step([&] { h.clickRow(1); h.click("deleteButton"); });
        step([&] { h.clickRow(2); h.click("upButton"); });
        step([&] { QTest::mouseClick(h.radio("sortByTitle"), Qt::LeftButton); h.click("sortButton"); });
        step([&] { h.click("downButton"); });
        step([&] { h.prompts.openFileAnswers << qs(listFile); h.click("loadListButton"); });
        QCOMPARE(states[3], (QStringList{paths[0], paths[3], paths[2]}));
        QCOMPARE(states[5], (QStringList{paths[2], paths[0], paths[3]}));
        // No command asked anything on the way.
        QCOMPARE(h.messages(), QStringList());
        QCOMPARE(states.back(), (QStringList{paths[3], paths[0]}));

        for (int i = states.size() - 1; i > 0; --i) {
            keys(h, UNDO);
            QCOMPARE(h.rows(), states[i - 1]);
        }
        QCOMPARE(h.child<QStatusBar>("statusLine")->currentMessage(), QStringLiteral("Undone: Add"));
        for (int i = 1; i < states.size(); ++i) {
            keys(h, i % 2 != 0 ? REDO : REDO_Y);
            QCOMPARE(h.rows(), states[i]);
        }
        QCOMPARE(h.child<QStatusBar>("statusLine")->currentMessage(), QStringLiteral("Redone: Load List"));
        // Undone, a delete brings its row back selected, as it was.
        for (int i = 0; i < 5; ++i) keys(h, UNDO);
        QCOMPARE(h.rows(), states[1]);
        QCOMPARE(h.selectedRows(), std::vector<int>{1});
        // A new command drops what could have been redone.
        h.click("deleteButton");
        QVERIFY(!h.dialog->findChild<QAction*>(QStringLiteral("redoAction"))->isEnabled());
    }

    void aTitleGoesBackIntoTheSettingsAndOtherValuesStay()
    {
        WindowHarness h;
        const QStringList paths = h.roms(2);
        h.setSetting("TITLE", "01.nes", "Stored");
        QVERIFY(h.open());
        h.add(paths);
        h.clickRow(0);
        h.clickRow(1, Qt::ControlModifier);
        h.commitTitle(QStringLiteral("Mine"));
        QCOMPARE(h.setting("TITLE", "00.nes"), std::optional<std::string>("Mine"));

        // Undone, the key that was not there is gone again, and the one that
        // was holds its old value; the PocketNES titles follow.
        keys(h, UNDO);
        QCOMPARE(h.setting("TITLE", "00.nes"), std::nullopt);
        QCOMPARE(h.setting("TITLE", "01.nes"), std::optional<std::string>("Stored"));
        QCOMPARE(pocketOf(h.entry(0)), QStringLiteral("0|0|0|00"));
        QCOMPARE(pocketOf(h.entry(1)), QStringLiteral("0|0|0|Stored"));
        keys(h, REDO);
        QCOMPARE(h.setting("TITLE", "01.nes"), std::optional<std::string>("Mine"));
        QCOMPARE(pocketOf(h.entry(0)), QStringLiteral("0|0|0|Mine"));

        // PocketNES options set after the add come back with the ROM.
        h.setSetting("PocketNES", "00.nes", "4|0|0");
        keys(h, UNDO);
        keys(h, UNDO);
        QCOMPARE(h.rows(), QStringList());
        keys(h, REDO);
        QCOMPARE(h.rows(), paths);
        QCOMPARE(pocketOf(h.entry(0)), QStringLiteral("4|0|0|00"));
    }
};

QTEST_MAIN(ListHistoryTest)
#include "list_history_test.moc"
