// SPDX-License-Identifier: GPL-3.0-or-later
// What the windows tell without a box to dismiss, and what they remember:
// a status line after each command that writes, a title cut to its limit
// said there, and each window reopening as it was left.
#include "editor_harness.h"
#include "window_harness.h"

#include "pocketnes_options_dialog.h"

#include <QStatusBar>

namespace {

QString statusOf(QWidget* window)
{
    return window->findChild<QStatusBar*>(QStringLiteral("statusLine"))->currentMessage();
}

// Shows window, gives it another size, closes it with button and gives the
// size it had.
QSize resizedAndClosed(QWidget* window, const char* button)
{
    if (!window->isVisible()) showActive(window);
    window->resize(window->size() + QSize(24, 16));
    QCoreApplication::processEvents();
    const QSize size = window->size();
    QTest::mouseClick(window->findChild<QAbstractButton*>(QLatin1String(button)), Qt::LeftButton);
    return size;
}

}  // namespace

class FeedbackTest : public QObject {
    Q_OBJECT

private slots:
    void everyCommandThatWritesLeavesALineNamingItsFile()
    {
        WindowHarness h;
        const QStringList paths = h.roms(2);
        QVERIFY(h.open());
        h.add(paths);
        const QString list = qs(h.dir.file("two.lst"));
        h.prompts.saveFileAnswers << list;
        h.click("saveListButton");
        QCOMPARE(statusOf(h.dialog.get()), QStringLiteral("List saved: two.lst, 2 ROMs"));
        h.prompts.openFileAnswers << list;
        h.click("loadListButton");
        QCOMPARE(statusOf(h.dialog.get()), QStringLiteral("List loaded: two.lst, 2 ROMs"));

        QTest::mouseClick(h.fixHeaderBox(), Qt::LeftButton);
        h.field("gbaTitleField")->setText(QStringLiteral("CART"));
        h.createImage(h.dir.file("out.gba"));
        QVERIFY(statusOf(h.dialog.get()).startsWith(QStringLiteral("Image written: out.gba, ")));
        QVERIFY(statusOf(h.dialog.get()).endsWith(QStringLiteral("; GBA header fixed, title \"CART\"")));
        // A line about the image is gone once the list changes.
        h.clickRow(1);
        h.click("upButton");
        QCOMPARE(statusOf(h.dialog.get()), QString());

        // sramedit: Extract beside the save, ".sav" added to a bare name.
        EditorHarness e;
        QVERIFY(e.open(e.put("cart.sav", SaveImageBytes().useSlot(1, "Quest", patternBytes(64)).bytes())));
        e.select(1);
        e.prompts.saveFileAnswers << QString::fromStdString(e.dir.file("backup"));
        e.click("extractButton");
        QVERIFY(fileExists(e.dir.file("backup.sav")));
        QCOMPARE(statusOf(e.dialog.get()), QStringLiteral("Extracted to backup.sav"));
        // Again: that name is taken now, and only the user may replace it.
        e.prompts.saveFileAnswers << QString::fromStdString(e.dir.file("backup"));
        e.click("extractButton");
        QCOMPARE(e.prompts.callsOf("yesno").size(), 1);
        QVERIFY(e.prompts.callsOf("yesno")[0].preset == DefaultAnswer::No);
    }

    void titlesAreNeverCutInSilence()
    {
        WindowHarness h;
        QVERIFY(h.open());
        h.add(h.roms(1));
        // A paste is cut to 21 characters, and the line says so; typing
        // stops there.
        QLineEdit* title = h.field("romTitleField");
        typeInto(title, QString(25, QLatin1Char('x')));
        QCOMPARE(title->text(), QString(21, QLatin1Char('x')));
        QCOMPARE(statusOf(h.dialog.get()),
                 QStringLiteral("Title cut to 21 characters or 32 bytes: \"%1\"").arg(QString(21, QLatin1Char('x'))));
        QTest::keyClick(title, Qt::Key_Y);
        QCOMPARE(title->text(), QString(21, QLatin1Char('x')));

        // The PocketNES title keeps 29 bytes of a paste, refuses a key more,
        // and says why.
        PocketNesOptionsDialog options(h.prompts, h.dialog->romList(), h.ini());
        QVERIFY(showActive(&options));
        auto* pocketTitle = options.findChild<QLineEdit*>(QStringLiteral("titleField"));
        typeInto(pocketTitle, QString(35, QLatin1Char('p')));
        QCOMPARE(pocketTitle->text(), QString(29, QLatin1Char('p')));
        QTest::keyClick(pocketTitle, Qt::Key_Q);
        QCOMPARE(pocketTitle->text(), QString(29, QLatin1Char('p')));
        QCOMPARE(statusOf(&options), QStringLiteral("A PocketNES title holds at most 29 bytes"));

        // sramedit's title box keeps 31 bytes of a paste, and says so.
        EditorHarness e;
        QVERIFY(e.open(e.put("cart.sav", SaveImageBytes().useSlot(0, "Old", {}).bytes())));
        QVERIFY(e.showActive());
        typeInto(e.titleBox(), QString(40, QLatin1Char('a')));
        QCOMPARE(e.titleBox()->text(), QString(31, QLatin1Char('a')));
        QVERIFY(statusOf(e.dialog.get()).startsWith(QStringLiteral("Title cut to 31 bytes: ")));
    }

    void windowsReopenAsTheyWereLeft()
    {
        WindowHarness h;
        QVERIFY(h.open());
        h.add(h.roms(1));
        const QSize options = [&h] {
            PocketNesOptionsDialog dialog(h.prompts, h.dialog->romList(), h.ini());
            return resizedAndClosed(&dialog, "cancelButton");
        }();
        const QSize romweld = resizedAndClosed(h.dialog.get(), "quitButton");
        QVERIFY(h.setting("CONFIG", "WindowGeometry").has_value());
        QVERIFY(h.open());
        QCOMPARE(h.dialog->size(), romweld);
        PocketNesOptionsDialog again(h.prompts, h.dialog->romList(), h.ini());
        QCOMPARE(again.size(), options);

        EditorHarness e;
        const std::string save = e.put("cart.sav", SaveImageBytes().bytes());
        QVERIFY(e.open(save));
        const QSize editor = resizedAndClosed(e.dialog.get(), "cancelButton");
        e.dialog = std::make_unique<SaveEditorDialog>(e.prompts, e.ini());
        QVERIFY(e.open(save));
        QCOMPARE(e.dialog->size(), editor);
    }
};

QTEST_MAIN(FeedbackTest)
#include "feedback_test.moc"
