// SPDX-License-Identifier: GPL-3.0-or-later
// Both windows worked with real key presses: the list is reached by its Alt
// key and by Tab, its focused row is the selected one and in view, Enter on
// a ROM opens its PocketNES options, and Tab goes as the eye does.
#include "editor_harness.h"
#include "window_harness.h"

#include <QToolButton>
#include <QTreeWidget>

namespace {

// The focused row of a list: the selected one, and in view.
bool focusedRowShows(QAbstractItemView* view, int row)
{
    const QModelIndex current = view->currentIndex();
    return current.row() == row && view->selectionModel()->isRowSelected(row, QModelIndex()) &&
           view->viewport()->rect().contains(view->visualRect(current));
}

// The object names of the widgets Tab visits from start, count of them.
QStringList tabbedFrom(QWidget* window, QWidget* start, int count)
{
    QStringList names;
    start->setFocus(Qt::OtherFocusReason);
    for (int i = 0; i < count; ++i) {
        names << window->focusWidget()->objectName();
        QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
    }
    return names;
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void romweldList()
    {
        WindowHarness h;
        const QStringList paths = h.roms(30);
        QVERIFY(h.open());
        h.add(paths);
        QTest::keyClick(h.dialog.get(), Qt::Key_M, Qt::AltModifier);
        QCOMPARE(h.dialog->focusWidget(), h.list());
        QVERIFY(focusedRowShows(h.list(), 0));
        for (int i = 0; i < 25; ++i) QTest::keyClick(h.list(), Qt::Key_Down);
        QVERIFY(focusedRowShows(h.list(), 25));
        // Refilled after a Delete, the list goes on from the row selected.
        QTest::keyClick(h.list(), Qt::Key_Delete);
        QVERIFY(focusedRowShows(h.list(), 25));
        QTest::keyClick(h.list(), Qt::Key_Up);
        QVERIFY(focusedRowShows(h.list(), 24));

        // Enter opens the ROM's PocketNES options while a PocketNES variant
        // is chosen, and nothing otherwise.
        QTest::keyClick(h.list(), Qt::Key_Return);
        QVERIFY(h.prompts.callsOf("dialog").isEmpty());
        h.chooseVariant(2);
        int shownRow = -1;
        h.prompts.dialogScripts << [&shownRow](QDialog& d) {
            shownRow = d.findChild<QTreeWidget*>(QStringLiteral("rowsView"))->currentIndex().row();
            return int(QDialog::Rejected);
        };
        h.list()->setFocus();
        QTest::keyClick(h.list(), Qt::Key_Return);
        QCOMPARE(shownRow, 24);
        QVERIFY(h.dialog->isVisible());

        // "?" is on the way of Tab, between the editor button and the title.
        QCOMPARE(tabbedFrom(h.dialog.get(), h.button("editorButton"), 3),
                 (QStringList{"editorButton", "aboutButton", "romTitleField"}));
    }

    void srameditTabOrder()
    {
        EditorHarness e;
        QVERIFY(e.open(e.put("cart.sav", PackedImageBytes().add(RECORD_SV, "Game", 100).bytes())));
        QVERIFY(e.showActive());
        QCOMPARE(e.dialog->focusWidget(), e.list());  // where the work starts
        QVERIFY(focusedRowShows(e.list(), 0));
        QCOMPARE(tabbedFrom(e.dialog.get(), e.list(), 10),
                 (QStringList{"slotList", "titleBox", "loadButton", "extractButton", "appendButton", "deleteButton",
                              "writeButton", "cancelButton", "aboutButton", "slotList"}));
    }
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
