// SPDX-License-Identifier: GPL-3.0-or-later
// What the user reads in the dialogs both windows open: every file chooser
// says what it asks for, filter labels show their patterns once, and the real
// message boxes carry the default answer and the detail line they are given.
#include "editor_harness.h"
#include "window_harness.h"

#include "qt_prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

namespace {

// The captions of the choosers the calls opened, in order.
QStringList chooserTitles(const FakePrompts& prompts)
{
    QStringList titles;
    for (const FakePrompts::Call& call : prompts.calls) {
        if (call.kind.startsWith(QStringLiteral("open")) || call.kind == QStringLiteral("savefile")) {
            titles << call.chooser.title;
        }
    }
    return titles;
}

// Runs ask while a timer looks at the message box it opens, notes what the
// box shows and presses its default button.
struct SeenBox {
    QString text;
    QString detail;
    QString defaultButton;
};
SeenBox pressDefault(const std::function<void()>& ask)
{
    SeenBox seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&seen, &poll] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box == nullptr || !box->isVisible()) continue;
            poll.stop();
            seen.text = box->text();
            seen.detail = box->informativeText();
            QPushButton* preset = box->defaultButton();
            if (preset == nullptr) {
                box->reject();
                return;
            }
            seen.defaultButton = preset->text().remove(QLatin1Char('&'));
            preset->click();
            return;
        }
    });
    poll.start(10);
    ask();
    return seen;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void everyChooserSaysWhatItAsksFor()
    {
        WindowHarness w;
        QVERIFY(w.open());
        w.add({qs(w.rom("a.nes"))});
        w.click("browseButton");
        w.click("saveListButton");
        w.click("loadListButton");
        QCOMPARE(chooserTitles(w.prompts), (QStringList{"Add NES ROMs", "Save the GBA image as", "Save the ROM list",
                                                        "Load a ROM list"}));

        EditorHarness e;
        const std::string packed = e.put("cart.sav", PackedImageBytes().add(RECORD_SV, "Game", 100).bytes());
        const std::string sav = e.put("game.sav", patternBytes(100));
        QVERIFY(e.open(packed));
        e.select(0);
        e.prompts.openFileAnswers << QString::fromStdString(sav);
        e.click("loadButton");   // the save, then the ROM (cancelled)
        e.click("appendButton");
        e.click("extractButton");
        QCOMPARE(chooserTitles(e.prompts),
                 (QStringList{"Open save file", "Choose the NES save file to load", "Choose the game's NES ROM",
                              "Choose the NES save file to append", "Extract the save to"}));
    }

    void filterLabelsShowTheirPatternsOnce()
    {
        const struct { const char* classic; const char* qt; } cases[] = {
            {"NES files(*.nes)|*.nes|All files(*.*)|*.*||", "NES files (*.nes);;All files (*)"},
            {"GBA files(*.gba)|*.gba|All files(*,*)|*.*||", "GBA files (*.gba);;All files (*)"},
            {"List files|*.lst;*.txt||", "List files (*.lst *.txt)"},
        };
        for (const auto& c : cases) QCOMPARE(qtFileFilter(QString::fromUtf8(c.classic)), QString::fromUtf8(c.qt));
    }

    void messageBoxesCarryTheirDefaultAndDetail()
    {
        QtPrompts prompts(QStringLiteral("ROMWELD"), QIcon());
        // A question whose Yes could cost something answers No to Enter.
        bool answer = true;
        SeenBox seen = pressDefault([&] { answer = prompts.askYesNo(QStringLiteral("Create it anyway?"), DefaultAnswer::No); });
        QCOMPARE(seen.text, QStringLiteral("Create it anyway?"));
        QCOMPARE(seen.defaultButton, QStringLiteral("No"));
        QVERIFY(!answer);
        seen = pressDefault([&] { answer = prompts.askYesNo(QStringLiteral("Try another savefile?")); });
        QCOMPARE(seen.defaultButton, QStringLiteral("Yes"));
        QVERIFY(answer);
        // A choice can make Cancel the default, and carries a detail too.
        std::optional<int> chosen = 0;
        seen = pressDefault([&] {
            chosen = prompts.askChoice(QStringLiteral("Replace it?"), QStringLiteral("Korvalinde or PocketNES"),
                                       {QStringLiteral("A"), QStringLiteral("B")}, -1);
        });
        QCOMPARE(seen.defaultButton, QStringLiteral("Cancel"));
        QCOMPARE(seen.detail, QStringLiteral("Korvalinde or PocketNES"));
        QVERIFY(!chosen);

        seen = pressDefault([&] { prompts.showMessage(QStringLiteral("Invalid Title\nFixed"), QStringLiteral("Removed: 漢")); });
        QCOMPARE(seen.text, QStringLiteral("Invalid Title\nFixed"));
        QCOMPARE(seen.detail, QStringLiteral("Removed: 漢"));
    }

    void theProgressDialogShowsForLongWorkAndItsCancelStopsIt()
    {
        QWidget owner;
        owner.show();
        QtPrompts prompts(QStringLiteral("ROMWELD"), QIcon());
        prompts.setOwner(&owner);
        const auto dialog = [&owner] { return owner.findChild<QProgressDialog*>(QStringLiteral("progressDialog")); };

        // Work that goes at a pace to be done within half a second never
        // shows a dialog.
        {
            const std::unique_ptr<ProgressDisplay> display = prompts.startProgress(QStringLiteral("Writing quick.gba"));
            for (int done = 0; done <= 20; ++done) {
                QTest::qSleep(5);
                QVERIFY(display->update(done, 20));
                QVERIFY(dialog() == nullptr || !dialog()->isVisible());
            }
        }
        QVERIFY(dialog() == nullptr);

        // Longer work does (as soon as its pace shows it will last longer),
        // with its text, on the window; Cancel asks the work to stop, which
        // it learns at its next update.
        const std::unique_ptr<ProgressDisplay> display = prompts.startProgress(QStringLiteral("Writing slow.gba"));
        QElapsedTimer clock;
        clock.start();
        int done = 0;
        while ((dialog() == nullptr || !dialog()->isVisible()) && clock.elapsed() < 5000) {
            QTest::qSleep(20);  // the work, which processes no events of its own
            QVERIFY(display->update(++done, 1000));
        }
        QVERIFY(dialog() != nullptr && dialog()->isVisible());
        QCOMPARE(dialog()->labelText(), QStringLiteral("Writing slow.gba"));
        QVERIFY(dialog()->isModal());
        auto* cancel = dialog()->findChild<QPushButton*>();
        QVERIFY(cancel != nullptr);
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        QTest::mouseClick(cancel, Qt::LeftButton);
        QVERIFY(!display->update(++done, 1000));
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
