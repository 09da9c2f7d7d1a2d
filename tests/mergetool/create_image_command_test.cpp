// SPDX-License-Identifier: GPL-3.0-or-later
// "Create Image" through the window: the checks before writing, the
// PocketNES options dialog, the header fix, failures the user is told about,
// and an image equal to the one romweld-cli builds from the same input.
#include "window_harness.h"

#include "gba_header.h"
#include "system_limits.h"

#include <QProcess>
#include <QStatusBar>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace {

// Shows the options dialog, lets edit work its controls, then presses the button.
std::function<int(QDialog&)> answerOptions(const char* button, std::function<void(QDialog&)> edit = {})
{
    return [button, edit](QDialog& dialog) {
        if (!showActive(&dialog)) return int(QDialog::Rejected);
        if (edit) edit(dialog);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
        return dialog.result();
    };
}

QString statusOf(const WindowHarness& h)
{
    return h.child<QStatusBar>("statusLine")->currentMessage();
}

Bytes headerOf(const std::string& path)
{
    Bytes bytes = readBytes(path);
    bytes.resize(192);
    return bytes;
}

}  // namespace

class CreateImageCommandTest : public QObject {
    Q_OBJECT

private slots:
    void nothingIsWrittenWithoutNameOrRoms()
    {
        WindowHarness h;
        QVERIFY(h.open());
        h.createImage("");
        QCOMPARE(h.messages(), QStringList{QStringLiteral("Set GBA Filename ")});
        h.createImage(h.dir.file("out.gba"));
        QCOMPARE(h.messages(), QStringList{QStringLiteral("NES FileList is Empty")});
        QVERIFY(!fileExists(h.dir.file("out.gba")));
    }

    void korvalindeImageWithAndWithoutHeaderFix()
    {
        WindowHarness h;
        const std::string rom = h.rom("Game.nes", 300);
        QVERIFY(h.open());
        h.add({qs(rom)});
        h.chooseVariant(0);

        const std::string plain = h.dir.file("plain.gba");
        h.createImage(plain);
        QVERIFY(h.prompts.callsOf("dialog").isEmpty());
        QCOMPARE(headerOf(plain), headerOf(h.dir.file("kvl1.gba")));
        QCOMPARE(sizeOf(plain), std::int64_t{1000 + 44 + 300 + 44});

        QTest::mouseClick(h.fixHeaderBox(), Qt::LeftButton);
        h.field("gbaTitleField")->setText(QStringLiteral("MYCART"));
        const std::string fixedPath = h.dir.file("fixed.gba");
        h.createImage(fixedPath);
        // The branch, the boot logo, the title, "KVL", "ZQ", 0x96 and the checksum over 0xA0 to 0xBC.
        Bytes expected = {0x2E, 0x00, 0x00, 0xEA};
        expected.insert(expected.end(), GBA_BOOT_LOGO.begin(), GBA_BOOT_LOGO.end());
        expected.insert(expected.end(),
                        {'M', 'Y', 'C', 'A', 'R', 'T', 0, 0, 0, 0, 0, 0, 'K', 'V', 'L', 0, 'Z', 'Q', 0x96});
        expected.resize(192, 0);
        unsigned sum = 0;
        for (std::size_t i = 0xA0; i < 0xBD; ++i) sum += expected[i];
        expected[0xBD] = static_cast<unsigned char>(0xE7 - sum);
        QCOMPARE(headerOf(fixedPath), expected);
        QCOMPARE(sizeOf(fixedPath), sizeOf(plain));
        QCOMPARE(h.messages(), QStringList());
    }

    void pocketNesOptionsComeFirst()
    {
        WindowHarness h;
        const std::string rom = h.rom("Game.nes", 300, 0x02);
        QVERIFY(h.open());
        h.add({qs(rom)});
        h.chooseVariant(2);

        // Cancelled: the dialog was shown, and no image is written.
        const std::string out = h.dir.file("pocket.gba");
        h.prompts.dialogScripts << answerOptions("cancelButton");
        h.createImage(out);
        QCOMPARE(h.prompts.callsOf("dialog").size(), 1);
        QCOMPARE(h.prompts.callsOf("dialog").front().text, QStringLiteral("PocketNES Options"));
        QVERIFY(!fileExists(out));

        h.prompts.dialogScripts << answerOptions("writeButton", [](QDialog& d) {
            QTest::mouseClick(d.findChild<QCheckBox*>(QStringLiteral("speedHack3Box")), Qt::LeftButton);
        });
        h.createImage(out);
        QCOMPARE(h.dialog->romList()->head->pocketFlags, 0x04);
        QCOMPARE(sizeOf(out), std::int64_t{3000 + 48 + 300 + 44});
        QCOMPARE(h.messages(), QStringList());
    }

    void aTypedTitleReachesThePocketNesImage()
    {
        WindowHarness h;
        const std::string rom = h.rom("Alpha.nes", 300);
        QVERIFY(h.open());
        h.add({qs(rom)});
        typeInto(h.field("romTitleField"), QStringLiteral("Typed Title"));
        QTest::keyClick(h.field("romTitleField"), Qt::Key_Return);
        h.chooseVariant(2);
        QString shown;
        h.prompts.dialogScripts << answerOptions("writeButton", [&shown](QDialog& d) {
            shown = d.findChild<QLineEdit*>(QStringLiteral("titleField"))->text();
            QTest::mouseClick(d.findChild<QCheckBox*>(QStringLiteral("speedHack1Box")), Qt::LeftButton);
        });
        const std::string out = h.dir.file("pocket.gba");
        h.createImage(out);
        QCOMPARE(shown, QStringLiteral("Typed Title"));
        const Bytes image = readBytes(out);
        QCOMPARE(std::string(image.begin() + 3000, image.begin() + 3012), std::string("Typed Title\0", 12));
        // The options stored leave the PocketNES title to follow the title.
        QCOMPARE(h.setting("PocketNES", "Alpha.nes"), std::optional<std::string>("1|0|0"));

        // A PocketNES title typed in the dialog is the ROM's own from then on.
        h.prompts.dialogScripts << answerOptions("writeButton", [](QDialog& d) {
            typeInto(d.findChild<QLineEdit*>(QStringLiteral("titleField")), QStringLiteral("Own"));
        });
        h.createImage(out);
        h.commitTitle(QStringLiteral("Retyped"));
        QCOMPARE(pocketOf(h.entry(0)), QStringLiteral("1|0|0|Own"));
        QCOMPARE(h.setting("PocketNES", "Alpha.nes"), std::optional<std::string>("1|0|0|Own"));
    }

    void failuresAreReported()
    {
        WindowHarness h;
        const std::string rom = h.rom("Game.nes");
        QVERIFY(h.open());
        h.add({qs(rom)});
        QTest::mouseClick(h.fixHeaderBox(), Qt::LeftButton);

        // The shell went away after start-up.
        std::remove(h.dir.file("kvl2.gba").c_str());
        const std::string out = h.dir.file("broken.gba");
        h.createImage(out);
        const QStringList messages = h.messages();
        QCOMPARE(messages.size(), 1);
        const QString message = messages.front();
        QVERIFY2(message.startsWith(QStringLiteral("Can't write the GBA image\n") + qs(out)), qPrintable(message));
        QVERIFY2(message.contains(qs(h.dir.file("kvl2.gba"))), qPrintable(message));
        QVERIFY(!fileExists(out));  // no partial image is left

        // An output folder that does not exist.
        writeBytes(h.dir.file("kvl2.gba"), patternBytes(2000, 12));
        h.createImage(h.dir.file("no/such/dir.gba"));
        const QStringList noFolder = h.messages();
        QVERIFY2(noFolder.size() == 1 && noFolder.front().contains(QStringLiteral("No such file or directory")),
                 qPrintable(noFolder.join('|')));

        // romweld's own settings file is never taken for an image, and keeps
        // what it remembers; nor is its name before the file exists.
        const std::string settings = h.dialog->settingsPath();
        const std::string refused = QStringLiteral("Can't write the GBA image\n%1\n\nIt is romweld's settings file.")
                                        .arg(qs(settings)).toStdString();
        const std::string before = readText(settings);
        h.createImage(settings);
        QCOMPARE(h.messages(), QStringList{qs(refused)});
        QCOMPARE(readText(settings), before);
        std::remove(settings.c_str());
        h.createImage(settings);
        QCOMPARE(h.messages(), QStringList{qs(refused)});
        QVERIFY(!fileExists(settings));
    }

    void progressIsShownAndCancelKeepsThePreviousImage()
    {
        WindowHarness h;
        const QStringList roms = {qs(h.rom("Alpha.nes", 5000)), qs(h.rom("Beta.nes", 300))};
        QVERIFY(h.open());
        h.add(roms);
        const std::string out = h.dir.file("out.gba");
        h.createImage(out);
        QCOMPARE(h.prompts.texts(), QStringList());
        // The display got the image's bytes, from none to all of them.
        QCOMPARE(h.prompts.callsOf("progress").size(), 1);
        QCOMPARE(h.prompts.callsOf("progress").front().text, QStringLiteral("Writing ") + qs(out));
        QVERIFY(h.prompts.progressUpdates.size() >= 4);
        QCOMPARE(h.prompts.progressUpdates.front(), qMakePair(std::int64_t{0}, sizeOf(out)));
        QCOMPARE(h.prompts.progressUpdates.back(), qMakePair(sizeOf(out), sizeOf(out)));
        const Bytes previous = readBytes(out);
        const auto namesBefore = std::filesystem::directory_iterator(h.dir.path());
        std::vector<std::string> before;
        for (const auto& e : namesBefore) before.push_back(e.path().filename().string());

        // Cancel part way: another image was on its way (a new title).
        h.clickRow(0);
        h.commitTitle(QStringLiteral("Changed"));
        h.prompts.clear();
        h.prompts.stopAtProgressUpdate = 3;
        h.createImage(out);
        QCOMPARE(h.prompts.progressUpdates.size(), 3);
        QCOMPARE(h.prompts.texts(), QStringList());  // no message: the user asked for it
        QCOMPARE(statusOf(h), QStringLiteral("Cancelled: out.gba was left as it was"));
        QCOMPARE(readBytes(out), previous);
        std::vector<std::string> after;
        for (const auto& e : std::filesystem::directory_iterator(h.dir.path())) after.push_back(e.path().filename().string());
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        QCOMPARE(after, before);  // no partial file beside it

        // Without an earlier image a cancel leaves none.
        h.prompts.clear();
        h.prompts.stopAtProgressUpdate = 1;
        h.createImage(h.dir.file("new.gba"));
        QVERIFY(!fileExists(h.dir.file("new.gba")));
    }

    void aFailedHeaderFixNamesTheReason()
    {
        // An image shorter than the 192 header bytes grows when the header is
        // fixed; the size limit stands in for a full disk right then.
        WindowHarness h(false);
        writeText(h.dir.file("romweld.cfg"), "[list]\nnum=1\nlist0=tiny\n[tiny]\nshell=tiny.gba\n");
        writeBytes(h.dir.file("tiny.gba"), patternBytes(4));
        const std::string rom = h.rom("Game.nes", 16);
        QVERIFY(h.open());
        h.add({qs(rom)});
        const std::string out = h.dir.file("tiny-out.gba");
        const long long plainSize = 4 + 44 + 16 + 44;
        {
            const FileSizeLimit limit(plainSize);
            h.createImage(out);
        }
        QCOMPARE(h.messages(), QStringList());
        QCOMPARE(sizeOf(out), std::int64_t{plainSize});
        const Bytes previous = readBytes(out);

        QTest::mouseClick(h.fixHeaderBox(), Qt::LeftButton);
        {
            const FileSizeLimit limit(plainSize);
            h.createImage(out);
        }
        QCOMPARE(h.messages(), QStringList{QStringLiteral("Can't write the GBA image\n%1\n\n%1: File too large").arg(qs(out))});
        QCOMPARE(readBytes(out), previous);
    }

    void anImageLargerThanACartridgeIsMarkedAndAskedAbout()
    {
        WindowHarness h;
        // A sparse ROM: only its size matters.
        const std::string big = h.rom("Big.nes", 64);
        const long long romSize = 32LL * 1024 * 1024 - 1000 - 2 * 44;
        QVERIFY(::truncate(big.c_str(), romSize) == 0);
        QVERIFY(h.open());
        h.chooseVariant(0);  // a 1000-byte shell, no extra files
        h.add({qs(big)});
        QLabel* size = h.label("sizeLabel");
        QCOMPARE(size->text(), sizeText(33554432));
        QCOMPARE(size->toolTip(), QString());

        // Four more bytes than a cartridge holds.
        QVERIFY(::truncate(big.c_str(), romSize + 1) == 0);
        h.click("deleteButton");
        h.add({qs(big)});
        QCOMPARE(size->text(), sizeText(33554436));
        QVERIFY(size->toolTip().contains(QStringLiteral("33554436 bytes, more than the 32 MiB")));
        QVERIFY(size->palette().color(QPalette::WindowText) != h.dialog->palette().color(QPalette::WindowText));

        const std::string out = h.dir.file("big.gba");
        h.prompts.yesNoAnswers << false;
        h.createImage(out);
        QCOMPARE(h.prompts.callsOf("yesno").size(), 1);
        const FakePrompts::Call question = h.prompts.callsOf("yesno").front();
        QCOMPARE(question.text, QStringLiteral("The image would be 33554436 bytes, more than the 32 MiB a GBA "
                                               "cartridge can hold; it will not run. Create it anyway?"));
        QVERIFY(question.preset == DefaultAnswer::No);
        QVERIFY(!fileExists(out));
        QCOMPARE(statusOf(h), QString());

        h.prompts.yesNoAnswers << true;
        h.createImage(out);
        QCOMPARE(sizeOf(out), std::int64_t{33554436});
        QCOMPARE(statusOf(h), QStringLiteral("Image written: big.gba, 33554436 bytes, 1 ROMs"));

        // A smaller list takes the mark away.
        h.click("deleteButton");
        QCOMPARE(size->toolTip(), QString());
        QCOMPARE(size->palette().color(QPalette::WindowText), h.dialog->palette().color(QPalette::WindowText));
    }

    void mappersTheEmulatorLacksAreShownAndAskedAbout()
    {
        WindowHarness h;
        const std::string six = h.rom("Six.nes", 64, 0x60);        // mapper 6
        const std::string one = h.rom("One.nes", 64, 0x12);        // mapper 1, battery
        const std::string nes20 = h.rom("Two.nes", 64, 0x50, 0x48);  // NES 2.0, mapper 69
        QVERIFY(h.open());
        h.add({qs(six), qs(one), qs(nes20)});
        h.chooseVariant(2);  // PocketNES, without a mapper list: PocketNES's own
        QCOMPARE(h.panels()[1], QStringLiteral("Filesize : 64 Bytes\nMapper : 6\nBattery : no\n"
                                               "Mapper not supported by pocketnes"));
        h.clickRow(2);
        QCOMPARE(h.panels()[1], QStringLiteral("Filesize : 64 Bytes\nMapper : 69 (NES 2.0)\nBattery : no"));
        // A Korvalinde variant without a list checks nothing.
        h.clickRow(0);
        h.chooseVariant(0);
        QCOMPARE(h.panels()[1], QStringLiteral("Filesize : 64 Bytes\nMapper : 6\nBattery : no"));

        h.chooseVariant(2);
        const std::string out = h.dir.file("pocket.gba");
        h.prompts.yesNoAnswers << false;
        h.createImage(out);
        const QList<FakePrompts::Call> asked = h.prompts.callsOf("yesno");
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral("pocketnes does not support the mapper of these ROMs; they will show a "
                                               "black screen:\n\nSix.nes (mapper 6)\n\nCreate the image anyway?"));
        QVERIFY(asked[0].preset == DefaultAnswer::No);
        QVERIFY(h.prompts.callsOf("dialog").isEmpty());
        QVERIFY(!fileExists(out));

        h.prompts.yesNoAnswers << true;
        h.prompts.dialogScripts << answerOptions("writeButton");
        h.prompts.clear();
        h.createImage(out);
        QCOMPARE(h.prompts.callsOf("dialog").size(), 1);
        QVERIFY(fileExists(out));
        QCOMPARE(statusOf(h), QStringLiteral("Image written: pocket.gba, %1 bytes, 3 ROMs").arg(sizeOf(out)));
    }

    void wildcardNamesAndFailuresLeaveNoSuccessBehind()
    {
        WindowHarness h;
        const std::string rom = h.rom("Game.nes");
        QVERIFY(h.open());
        h.add({qs(rom)});
        h.createImage(h.dir.file("first.gba"));
        QCOMPARE(statusOf(h), QStringLiteral("Image written: first.gba, %1 bytes, 1 ROMs").arg(sizeOf(h.dir.file("first.gba"))));

        // A typed pattern is no file name.
        h.createImage(h.dir.file("*.gba"));
        const QStringList messages = h.messages();
        QVERIFY2(messages.size() == 1 && messages[0].startsWith(QStringLiteral("Invalid GBA Filename\n")),
                 qPrintable(messages.join('|')));
        QVERIFY(!fileExists(h.dir.file("*.gba")));

        // A failure clears the line of the last success.
        h.createImage(h.dir.file("no/such/dir.gba"));
        QCOMPARE(h.messages().size(), 1);
        QCOMPARE(statusOf(h), QString());
    }

    void windowImageEqualsTheCommandLineImage()
    {
#ifndef ROMWELD_CLI
        QSKIP("romweld-cli is not part of this build");
#else
        for (const int variant : {1, 2}) {
            WindowHarness h;
            const QStringList roms = {qs(h.rom("Alpha.nes", 777, 0x12, 0x44)), qs(h.rom("b/Beta.NES", 1024, 0x02)),
                                      qs(h.rom("Gamma.nes", 333))};
            QVERIFY(h.open());
            h.add(roms);
            h.commitTitle(QStringLiteral("タイトル One"));
            h.chooseVariant(variant);
            QTest::mouseClick(h.fixHeaderBox(), Qt::LeftButton);
            h.field("gbaTitleField")->setText(QStringLiteral("WELDED"));
            h.prompts.dialogScripts << answerOptions("writeButton", [](QDialog& d) {
                auto* rows = d.findChild<QTreeWidget*>(QStringLiteral("rowsView"));
                QTest::mouseClick(d.findChild<QCheckBox*>(QStringLiteral("followMemoryBox")), Qt::LeftButton);
                typeInto(d.findChild<QLineEdit*>(QStringLiteral("followMemoryField")), QStringLiteral("42"));
                const QRect second = rows->visualItemRect(rows->topLevelItem(1));
                QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
                typeInto(d.findChild<QLineEdit*>(QStringLiteral("saveSlotField")), QStringLiteral("5"));
            });
            const std::string windowImage = h.dir.file("window.gba");
            h.createImage(windowImage);
            QCOMPARE(h.messages(), QStringList());

            const std::string cliImage = h.dir.file("cli.gba");
            QStringList args = {"--dir", qs(h.dir.path()), "build", "-o", qs(cliImage), "--variant",
                                h.variantSelector()->currentText(), "--fix-header", "--gba-title", "WELDED"};
            args << roms;
            QProcess cli;
            cli.start(QStringLiteral(ROMWELD_CLI), args);
            QVERIFY(cli.waitForFinished(30000));
            QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
            QVERIFY(sizeOf(windowImage) > 4000);
            QVERIFY(readBytes(windowImage) == readBytes(cliImage));
            // The typed title reached the PocketNES header too.
            QCOMPARE(h.entry(0)->pocketTitle, h.entry(0)->title);
        }
#endif
    }
};

QTEST_MAIN(CreateImageCommandTest)
#include "create_image_command_test.moc"
