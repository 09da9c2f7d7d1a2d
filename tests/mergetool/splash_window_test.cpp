// SPDX-License-Identifier: GPL-3.0-or-later
// The splash screen and the dump checks in the window: the chooser, its
// preview and setting, the info panel, the questions before a build, the
// trim box, and an image equal to romweld-cli's.
#include "window_harness.h"

#include "test_pictures.h"

#include <QProcess>
#include <QToolButton>

namespace {

constexpr int SPLASH = 76800;

}  // namespace

class SplashWindowTest : public QObject {
    Q_OBJECT

private slots:
    void splashIsChosenPreviewedRememberedAndCleared()
    {
        WindowHarness h;
        const std::string picture = h.dir.file("title.png");
        writeText(picture, pictureBytes(PictureKind::Png, 3, 2, solidRgba(3, 2, 255, 0, 0)));
        writeText(h.dir.file("notes.png"), "plain text");
        QVERIFY(h.open());
        QCOMPARE(h.label("splashPreview")->text(), QStringLiteral("PocketNES only"));
        QVERIFY(!h.button("splashButton")->isEnabled());

        h.chooseVariant(2);
        h.prompts.openFileAnswers << qs(picture) << qs(h.dir.file("notes.png"));
        h.click("splashButton");
        // What the cartridge shows: red, from its 15-bit pixels.
        const QImage shown = h.label("splashPreview")->pixmap().toImage();
        QCOMPARE(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(255, 0, 0));
        QCOMPARE(h.label("sizeLabel")->text(), sizeText(SHELL_POCKET_SIZE + SPLASH + END_RECORD_BYTES));
        // A picture that can't be used is named, and the choice stays.
        h.click("splashButton");
        QCOMPARE(h.messages(), QStringList{qs(h.dir.file("notes.png")) +
                                           QStringLiteral(": can't be used as a splash screen: not a PNG, JPEG, BMP "
                                                          "or GIF picture")});
        QCOMPARE(h.setting("CONFIG", "SplashScreen"), std::optional<std::string>(picture));

        QVERIFY(h.open());  // the next start brings it back
        QVERIFY(!h.label("splashPreview")->pixmap().isNull());
        QTest::mouseClick(h.child<QToolButton>("clearSplashButton"), Qt::LeftButton);
        QCOMPARE(h.label("splashPreview")->text(), QStringLiteral("No splash screen"));
        QCOMPARE(h.setting("CONFIG", "SplashScreen"), std::optional<std::string>(""));
    }

    void dumpChecksAreShownAskedAboutAndTrimmed()
    {
        WindowHarness h;
        writeBytes(h.dir.file("over.nes"), makePromisingRom(1, 0, 100));
        writeBytes(h.dir.file("short.nes"), makePromisingRom(1, 1, -16));
        QVERIFY(h.open());
        h.chooseVariant(2);
        h.add({qs(h.dir.file("over.nes")), qs(h.dir.file("short.nes"))});
        QVERIFY(h.panels()[1].endsWith(QStringLiteral("\noverdump: 100 bytes beyond what its header says")));

        const std::string out = h.dir.file("out.gba");
        h.prompts.yesNoAnswers << false;
        h.createImage(out);
        const QList<FakePrompts::Call> asked = h.prompts.callsOf("yesno");
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral(
            "These ROMs are shorter than their headers say; their records would be broken:\n\n"
            "short.nes: bad dump: 16 bytes shorter than its header says\n\n"
            "These ROMs hold bytes beyond what their headers say; they are written as they are (\"Trim overdumps to "
            "size\" leaves those bytes out):\n\nover.nes: overdump: 100 bytes beyond what its header says\n\n"
            "Create the image anyway?"));
        QVERIFY(asked[0].preset == DefaultAnswer::No);
        QVERIFY(!fileExists(out));

        // Trimmed, the overdump asks nothing and is written as far as its header promises.
        QTest::mouseClick(h.child<QCheckBox>("trimOverdumpsBox"), Qt::LeftButton);
        QCOMPARE(h.setting("CONFIG", "TrimOverdumps"), std::optional<std::string>("1"));
        QVERIFY(h.panels()[1].endsWith(QStringLiteral("\nTrimmed to 16400 bytes in the image")));
        h.clickRow(1);
        h.click("deleteButton");
        h.prompts.clear();
        h.prompts.dialogScripts << [](QDialog&) { return int(QDialog::Accepted); };
        h.createImage(out);
        QCOMPARE(h.prompts.callsOf("yesno").size(), 0);
        QCOMPARE(sizeOf(out), std::int64_t{SHELL_POCKET_SIZE + 48 + 16400 + END_RECORD_BYTES});
    }

    void splashImageEqualsTheCommandLineImage()
    {
#ifndef ROMWELD_CLI
        QSKIP("romweld-cli is not part of this build");
#else
        WindowHarness h;
        const std::string picture = h.dir.file("title.gif");
        writeText(picture, ONE_PIXEL_GIF);
        writeBytes(h.dir.file("over.nes"), makePromisingRom(1, 1, 333));
        const QStringList roms = {qs(h.rom("Alpha.nes", 777)), qs(h.dir.file("over.nes"))};
        QVERIFY(h.open());
        h.add(roms);
        h.chooseVariant(2);
        h.prompts.openFileAnswers << qs(picture);
        h.click("splashButton");
        QTest::mouseClick(h.child<QCheckBox>("trimOverdumpsBox"), Qt::LeftButton);
        h.prompts.dialogScripts << [](QDialog&) { return int(QDialog::Accepted); };
        const std::string windowImage = h.dir.file("window.gba");
        h.createImage(windowImage);
        QCOMPARE(h.messages(), QStringList());

        const std::string cliImage = h.dir.file("cli.gba");
        QProcess cli;
        cli.start(QStringLiteral(ROMWELD_CLI), QStringList{"--dir", qs(h.dir.path()), "build", "-o", qs(cliImage),
                                                          "--variant", "pocketnes", "--splash", qs(picture),
                                                          "--trim-overdumps"} + roms);
        QVERIFY(cli.waitForFinished(30000));
        QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
        QCOMPARE(sizeOf(windowImage), std::int64_t{SHELL_POCKET_SIZE + SPLASH + 48 + 777 + 48 + 24592 + 44});
        QVERIFY(readBytes(windowImage) == readBytes(cliImage));
#endif
    }
};

QTEST_MAIN(SplashWindowTest)
#include "splash_window_test.moc"
