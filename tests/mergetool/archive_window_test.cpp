// SPDX-License-Identifier: GPL-3.0-or-later
// ROMs from archives, padding, clean titles and the list kept across a
// restart, through the romweld window.
#include "test_archives.h"
#include "window_harness.h"

#include "image_records.h"
#include "qt_text.h"

#include <QAction>
#include <QSignalSpy>

#include <filesystem>

namespace {

// Two ROMs and a text file in an archive of the harness folder; its path.
std::string archiveOf(WindowHarness& h, const std::string& name, ArchiveKind kind = ArchiveKind::Zip)
{
    const std::string path = h.dir.file(name);
    writeArchive(path, kind,
                 {{"Legend of Zelda, The (USA).nes", makeInesRom(24593, 0x12, 0x44, 1)},
                  {"USA/Metroid (USA) [!].nes", makeInesRom(40976, 0x10, 0x00, 2)},
                  {"readme.txt", {'h', 'i'}}});
    return path;
}

QAction* cleanTitlesAction(WindowHarness& h)
{
    return h.child<QAction>("cleanTitlesAction");
}

QCheckBox* padImageBox(WindowHarness& h)
{
    return h.child<QCheckBox>("padImageBox");
}

// "Create Image" into name in the harness folder; the image's bytes.
Bytes createImage(WindowHarness& h, const std::string& name)
{
    typeInto(h.field("gbaFileField"), qs(h.dir.file(name)));
    h.click("createImageButton");
    return readBytes(h.dir.file(name));
}

const QString SKIPPED_ONE = QStringLiteral("1 file inside an archive is not an NES ROM and was skipped.");

}  // namespace

class ArchiveWindowTest : public QObject {
    Q_OBJECT

private slots:
    void archivesAddDropAndBuildLikeTheSameRomsAsFiles()
    {
        WindowHarness h;
        const std::string zip = archiveOf(h, "sets.zip");
        const std::string sevenZip = archiveOf(h, "sets.7z", ArchiveKind::SevenZip);
        QVERIFY(h.open());
        h.add({qs(zip)});
        QCOMPARE(h.messages(), QStringList{SKIPPED_ONE});
        QCOMPARE(h.entryPaths(), (std::vector<std::string>{zip + "::Legend of Zelda, The (USA).nes",
                                                            zip + "::USA/Metroid (USA) [!].nes"}));
        QCOMPARE(h.panels(), (QStringList{"Legend of Zelda, The ", "Filesize : 24596 Bytes\nMapper : 65\nBattery : yes\n"
                                          "Mapper 1 in the image (damaged header repaired)",
                                          "2 NES Roms."}));
        QTest::mouseClick(h.radio("showFilename"), Qt::LeftButton);
        QCOMPARE(h.rows(), (QStringList{"Legend of Zelda, The (USA).nes", "Metroid (USA) [!].nes"}));

        // The same ROMs from a 7z, dropped: already listed only when the
        // name is the same, so they come in as entries of their own.
        h.drop({qs(sevenZip)});
        QCOMPARE(h.messages(), QStringList{SKIPPED_ONE});
        QCOMPARE(h.dialog->romList()->count, 4);
        const Bytes fromArchives = createImage(h, "archives.gba");
        QCOMPARE(h.messages(), QStringList());
        QCOMPARE(h.label("sizeLabel")->text(), sizeText(static_cast<long long>(fromArchives.size())));

        // The same four ROMs as plain files give the same image.
        WindowHarness plain;
        QStringList files;
        for (const char* folder : {"zip/", "7z/"}) {
            files << qs(plain.rom(std::string(folder) + "Legend of Zelda, The (USA).nes", 0))
                  << qs(plain.rom(std::string(folder) + "Metroid (USA) [!].nes", 0));
            writeBytes(files[files.size() - 2].toStdString(), makeInesRom(24593, 0x12, 0x44, 1));
            writeBytes(files.back().toStdString(), makeInesRom(40976, 0x10, 0x00, 2));
        }
        QVERIFY(plain.open());
        plain.add(files);
        QCOMPARE(createImage(plain, "plain.gba"), fromArchives);
    }

    void archiveProblemsAreToldInOneMessage()
    {
        WindowHarness h;
        const std::string good = h.rom("Good.nes");
        writeArchive(h.dir.file("locked.zip"), ArchiveKind::EncryptedZip, {{"Locked.nes", makeInesRom(100)}});
        writeArchive(h.dir.file("text.zip"), ArchiveKind::Zip, {{"a.txt", {'a'}}, {"b.txt", {'b'}}});
        writeText(h.dir.file("fake.zip"), "no archive\n");
        QVERIFY(h.open());
        h.add({qs(h.dir.file("locked.zip")), qs(good), qs(h.dir.file("text.zip")), qs(h.dir.file("fake.zip")),
               qs(h.dir.file("locked.zip") + "::Locked.nes"), qs(h.dir.file("text.zip") + "::a.txt")});
        // A member that is no NES ROM is told as a file is; the rest in one message.
        QCOMPARE(h.messages(),
                 (QStringList{qs(h.dir.file("text.zip") + "::a.txt") + "\nis not NES file.",
                              "These ROMs could not be read:\n" +
                                  qs(h.dir.file("locked.zip") +
                                     "::Locked.nes: encrypted, and romweld reads no encrypted archives\n" +
                                     h.dir.file("text.zip") + ": holds no NES ROM\n" + h.dir.file("fake.zip") +
                                     ": Unrecognized archive format\n" + h.dir.file("locked.zip") +
                                     "::Locked.nes: encrypted, and romweld reads no encrypted archives")}));
        QCOMPARE(h.entryPaths(), std::vector<std::string>{good});
    }

    void listFilesKeepArchiveMembers()
    {
        WindowHarness h;
        const std::string zip = archiveOf(h, "sets.zip");
        const std::string plainRom = h.rom("Plain.nes");
        QVERIFY(h.open());
        h.add({qs(zip), qs(plainRom)});
        h.messages();
        const std::string listPath = h.dir.file("sets.lst");
        h.prompts.saveFileAnswers << qs(listPath);
        h.click("saveListButton");
        QCOMPARE(readText(listPath), "### ROMWELD NES List ###\r\n" + zip + "::Legend of Zelda, The (USA).nes\r\n" +
                                         zip + "::USA/Metroid (USA) [!].nes\r\n" + plainRom + "\r\n");
        const std::vector<std::string> before = h.entryPaths();
        h.click("deleteButton");
        h.prompts.openFileAnswers << qs(listPath);
        h.click("loadListButton");
        QCOMPARE(h.entryPaths(), before);
        QCOMPARE(h.messages(), QStringList());
        QCOMPARE(h.entry(1)->sourceBytes, 40976);
    }

    void paddingIsACheckBoxThatIsRemembered()
    {
        WindowHarness h;
        const std::string rom = h.rom("Alpha.nes", 5000);
        QVERIFY(h.open());
        QVERIFY(!padImageBox(h)->isChecked());
        h.add({qs(rom)});
        const Bytes plain = createImage(h, "plain.gba");
        QCOMPARE(plain.size(), std::size_t(SHELL_V02_SIZE + 44 + 5000 + END_RECORD_BYTES));

        QTest::mouseClick(padImageBox(h), Qt::LeftButton);
        QCOMPARE(h.setting("CONFIG", "PadImage"), std::optional<std::string>("1"));
        QCOMPARE(h.label("sizeLabel")->text(), sizeText(8192));
        Bytes expected = plain;
        expected.resize(8192, 0xFF);
        QCOMPARE(createImage(h, "padded.gba"), expected);

        h.dialog->reject();
        QVERIFY(h.open());
        QVERIFY(padImageBox(h)->isChecked());
        QTest::mouseClick(padImageBox(h), Qt::LeftButton);
        QCOMPARE(h.setting("CONFIG", "PadImage"), std::optional<std::string>("0"));
    }

    void cleanTitlesSwitchNeverTouchesATypedTitle()
    {
        WindowHarness h;
        const std::string zelda = h.rom("Legend of Zelda, The (USA).nes");
        const std::string contra = h.rom("Contra (U) [!].nes");
        const std::string mario = h.rom("Super Mario Bros. (World).nes");
        h.setSetting("TITLE", "Contra (U) [!].nes", "Contra (J) [b]");
        QVERIFY(h.open());
        QVERIFY(!cleanTitlesAction(h)->isChecked());
        h.add({qs(zelda), qs(contra), qs(mario)});
        h.clickRow(2);
        h.commitTitle(QStringLiteral("Mario (mine)"));
        QTest::mouseClick(h.radio("showRomTitle"), Qt::LeftButton);
        QCOMPARE(h.rows(), (QStringList{"Legend of Zelda, The ", "Contra (J) [b]", "Mario (mine)"}));

        cleanTitlesAction(h)->trigger();
        QCOMPARE(h.setting("CONFIG", "CleanTitles"), std::optional<std::string>("1"));
        QCOMPARE(h.rows(), (QStringList{"The Legend of Zelda", "Contra (J) [b]", "Mario (mine)"}));
        QCOMPARE(fromCp932(h.entry(0)->pocketTitle.value_or("")), QStringLiteral("The Legend of Zelda"));

        // Remembered: the next window cleans the titles of what is added.
        h.dialog->reject();
        std::filesystem::remove(h.dir.file("romweld-window.lst"));
        QVERIFY(h.open());
        QVERIFY(cleanTitlesAction(h)->isChecked());
        h.add({qs(zelda), qs(h.rom("Kirby's Adventure (USA) (Rev A).nes"))});
        QTest::mouseClick(h.radio("showRomTitle"), Qt::LeftButton);
        QCOMPARE(h.rows(), (QStringList{"The Legend of Zelda", "Kirby's Adventure"}));
        cleanTitlesAction(h)->trigger();
        QCOMPARE(h.rows(), (QStringList{"Legend of Zelda, The ", "Kirby's Adventure (US"}));
    }

    void theListSurvivesARestartWithTheFilesThatWentAway()
    {
        WindowHarness h;
        const std::string zip = archiveOf(h, "sets.zip");
        const std::string a = h.rom("Alpha.nes");
        const std::string gone = h.rom("Gone.nes");
        const std::string b = h.rom("Beta.nes");
        QVERIFY(h.open());
        h.add({qs(b), qs(zip), qs(gone), qs(a)});
        h.messages();
        h.clickRow(0);
        QTest::mouseClick(h.button("upButton"), Qt::LeftButton);  // the head stays
        QTest::mouseClick(h.radio("showFilename"), Qt::LeftButton);
        typeInto(h.field("gbaFileField"), qs(h.dir.file("out/My Games.gba")));
        const std::vector<std::string> kept = h.entryPaths();
        h.dialog->close();
        QVERIFY(fileExists(h.dir.file("romweld-window.lst")));

        // A file that went away stays listed (greyed, see kept_list_test).
        const QString keptUnreadable = QStringLiteral("These ROMs can't be read now. They stay in the list, greyed, "
                                                      "and are left out of the image until they can be read:\n");
        std::filesystem::remove(gone);
        QVERIFY(h.open());
        QCOMPARE(h.entryPaths(), kept);
        QCOMPARE(h.messages(), QStringList{keptUnreadable + qs(gone)});
        QVERIFY(h.radio("showFilename")->isChecked());
        QCOMPARE(h.rows().front(), QStringLiteral("Beta.nes"));
        QCOMPARE(h.field("gbaFileField")->text(), qs(h.dir.file("out/My Games.gba")));
        QCOMPARE(h.selectedRows(), std::vector<int>{0});

        // So does an archive member that went away; a list the user emptied
        // stays empty.
        h.dialog->close();
        writeArchive(zip, ArchiveKind::Zip, {{"Other.nes", makeInesRom(64)}});
        QVERIFY(h.open());
        QCOMPARE(h.messages(), QStringList{keptUnreadable + qs(zip + "::Legend of Zelda, The (USA).nes\n" + zip +
                                                                "::USA/Metroid (USA) [!].nes\n" + gone)});
        QCOMPARE(h.entryPaths(), kept);
        h.list()->selectAll();
        h.click("deleteButton");
        h.dialog->close();
        QVERIFY(h.open());
        QCOMPARE(h.dialog->romList()->count, 0);
        QCOMPARE(h.messages(), QStringList());
    }

    void aWindowThatNeverStartedKeepsTheLastList()
    {
        WindowHarness h;
        const std::string a = h.rom("Alpha.nes");
        QVERIFY(h.open());
        h.add({qs(a)});
        h.dialog->close();
        const std::string kept = readText(h.dir.file("romweld-window.lst"));
        // Without a usable shell the window closes at once; the list it
        // never showed is not replaced by an empty one.
        for (const char* shell : {"kvl1.gba", "kvl2.gba", "pnes.gba"}) std::filesystem::remove(h.dir.file(shell));
        h.dialog = std::make_unique<MergeToolDialog>(h.prompts, h.exe(), h.env);
        QVERIFY(h.dialog->closePosted());
        QSignalSpy finished(h.dialog.get(), &QDialog::finished);
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(readText(h.dir.file("romweld-window.lst")), kept);
    }
};

QTEST_MAIN(ArchiveWindowTest)
#include "archive_window_test.moc"
