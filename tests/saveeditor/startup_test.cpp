// SPDX-License-Identifier: GPL-3.0-or-later
// The window from its start to "Write!" or "Cancel": the start-up
// questions, the two image kinds, the controls, and writing the image.
#include "editor_harness.h"
#include "romweld_version.h"

#include <QAction>
#include <QLineEdit>
#include <QTreeWidget>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QStringList SEVEN_EMPTY(7, QStringLiteral("EMPTY"));
const QString ASK_MISSING = QStringLiteral("File not found.\nCreate new savefile?");
const QString ASK_INVALID = QStringLiteral("Not a valid Korvalinde savefile.\nCreate new image and overwrite it?");
const QString ASK_ANOTHER = QStringLiteral("File read error\nTry another savefile?");

// Holds a resource limit for the life of the object.
class LimitFor {
public:
    LimitFor(int resource, rlim_t soft) : resource_(resource)
    {
        ::getrlimit(resource_, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = soft;
        ::setrlimit(resource_, &limited);
    }
    ~LimitFor() { ::setrlimit(resource_, &saved_); }

private:
    int resource_;
    rlimit saved_{};
};

// No file can be opened while this limit holds: the lowest free descriptor
// is already past it.
rlim_t noMoreFiles()
{
    const int fd = ::open("/dev/null", O_RDONLY);
    ::close(fd);
    return static_cast<rlim_t>(fd);
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void cancellingTheFirstChooserChangesNothing()
    {
        EditorHarness h;
        writeText(h.ini(), "[CONFIG]\nLastKvlSaveFile=/old/place/game.sav\n");
        QCOMPARE(h.dialog->windowTitle(), QStringLiteral("kvl savefile editor"));
        QVERIFY(!h.button("appendButton")->isVisibleTo(h.dialog.get()));
        QVERIFY(!h.button("appendButton")->isEnabled());

        h.prompts.openFileAnswers << std::nullopt;
        QVERIFY(!h.dialog->start());
        const auto choosers = h.prompts.callsOf("openfile");
        QCOMPARE(choosers.size(), 1);
        QCOMPARE(choosers[0].chooser.filter, QStringLiteral("GBA save files(*.sav)|*.sav|All files(*.*)|*.*||"));
        QCOMPARE(choosers[0].chooser.initialName, QStringLiteral("/old/place/game.sav"));
        QVERIFY(!choosers[0].chooser.mustExist);
        QCOMPARE(readText(h.ini()), std::string("[CONFIG]\nLastKvlSaveFile=/old/place/game.sav\n"));
    }

    void missingFileBecomesANewImage()
    {
        EditorHarness h;
        const std::string path = h.dir.file("new.sav");
        QVERIFY(h.create(path));
        QCOMPARE(h.prompts.texts(), QStringList{ASK_MISSING});
        // Either layout, Korvalinde first and the default; Cancel chooses again.
        QCOMPARE(h.prompts.choices[0],
                 qMakePair(QStringList{"Korvalinde", "PocketNES 32 KiB", "PocketNES 64 KiB"}, 0));
        QVERIFY(h.prompts.callsOf("choice")[0].detail.contains(QStringLiteral("mGBA")));
        QCOMPARE(h.lines(), SEVEN_EMPTY);
        QCOMPARE(h.selectedRow(), 0);
        QCOMPARE(h.dialog->windowTitle(), QStringLiteral("new.sav[*]"));  // the name, not the path
        QCOMPARE(h.setting("LastKvlSaveFile"), path);
        QVERIFY(!fileExists(path));

        h.click("writeButton");
        QCOMPARE(h.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(readBytes(path), SaveImageBytes().bytes());
        QVERIFY(h.prompts.unanswered.isEmpty());

        // PocketNES saves as sramedit-cli new --packed makes them.
        for (const int layout : {1, 2}) {
            EditorHarness p;
            const std::string packed = p.dir.file("pocket.sav");
            QVERIFY(p.create(packed, layout));
            QVERIFY(p.dialog->packedMode());
            QCOMPARE(p.lines(), QStringList{"CFG"});
            p.click("writeButton");
            PackedSaveImage image;
            QVERIFY(readPackedImage(packed, image).ok());
            QCOMPARE(sizeOf(packed), std::int64_t{65536});
            QCOMPARE(image.size(), layout == 1 ? PACKED_SMALL_IMAGE_SIZE : PACKED_IMAGE_SIZE);
            QCOMPARE(image.mirrored, layout == 1);
        }
    }

    void cancelWritesNothing()
    {
        EditorHarness h;
        const std::string path = h.dir.file("new.sav");
        QVERIFY(h.create(path));
        h.click("cancelButton");
        QCOMPARE(h.dialog->result(), int(QDialog::Rejected));
        QVERIFY(!fileExists(path));
    }

    void answeringNoReturnsToTheChooser()
    {
        EditorHarness h;
        const std::string missing = h.dir.file("missing.sav");
        const std::string other = h.put("other.sav", SaveImageBytes().useSlot(1, "Quest", patternBytes(100)).bytes());
        h.prompts.openFileAnswers << QString::fromStdString(missing);
        h.prompts.choiceAnswers << std::nullopt;
        QVERIFY(h.open(other));
        const auto choosers = h.prompts.callsOf("openfile");
        QCOMPARE(choosers.size(), 2);
        QCOMPARE(choosers[1].chooser.initialName, QString::fromStdString(missing));
        QCOMPARE(h.lines()[1], QStringLiteral("Quest"));
        QCOMPARE(h.setting("LastKvlSaveFile"), other);

        // No to an invalid file chooses again too; a later cancel still ends the window.
        EditorHarness again;
        const std::string invalid = again.put("short.sav", patternBytes(100));
        again.prompts.openFileAnswers << QString::fromStdString(invalid) << std::nullopt;
        again.prompts.yesNoAnswers << false;
        QVERIFY(!again.dialog->start());
        QCOMPARE(again.prompts.texts(), QStringList{ASK_INVALID});
    }

    void unreadableFile()
    {
        // No: carry on with a blank image under the same path.
        EditorHarness h;
        const std::string path = h.put("locked.sav", SaveImageBytes().useSlot(0, "Kept", patternBytes(10)).bytes());
        {
            LimitFor files(RLIMIT_NOFILE, noMoreFiles());
            QVERIFY(h.open(path, {false}));
        }
        QCOMPARE(h.prompts.texts(), QStringList{ASK_ANOTHER});
        QCOMPARE(h.lines(), SEVEN_EMPTY);
        QCOMPARE(h.dialog->windowTitle(), QStringLiteral("locked.sav[*]"));

        // Yes: choose again.
        EditorHarness y;
        y.prompts.openFileAnswers << QString::fromStdString(path) << std::nullopt;
        y.prompts.yesNoAnswers << true;
        LimitFor files(RLIMIT_NOFILE, noMoreFiles());
        QVERIFY(!y.dialog->start());
        QCOMPARE(y.prompts.callsOf("openfile").size(), 2);
    }

    void invalidFilesAreOfferedAsNewImages()
    {
        EditorHarness h;
        const std::string shortFile = h.put("short.sav", patternBytes(100));
        QVERIFY(h.open(shortFile, {true}));
        QCOMPARE(h.prompts.texts(), QStringList{ASK_INVALID});
        h.click("writeButton");
        QCOMPARE(readBytes(shortFile), SaveImageBytes().bytes());

        // Enter must not overwrite a file the editor did not understand, and
        // the question names both layouts it does understand.
        QCOMPARE(h.prompts.callsOf("yesno")[0].preset, DefaultAnswer::No);
        const QString detail = h.prompts.callsOf("yesno")[0].detail;
        QVERIFY(detail.contains(QStringLiteral("Korvalinde save")) && detail.contains(QStringLiteral("PocketNES save")));

        // A packed image with a record type no one knows is no packed image.
        EditorHarness p;
        const std::string badType = p.put("bad.sav", PackedImageBytes().add(1, "fine", 8).add(4, "odd", 8).bytes());
        QVERIFY(p.open(badType, {true}));
        QCOMPARE(p.prompts.texts(), QStringList{ASK_INVALID});
        QCOMPARE(p.lines(), SEVEN_EMPTY);
        p.click("writeButton");
        QCOMPARE(readBytes(badType), SaveImageBytes().bytes());
    }

    void slotImageLines()
    {
        EditorHarness h;
        // EUC-JP A4 A2 A4 A4 is あい.
        const SaveImageBytes image = SaveImageBytes().useSlot(0, "\xA4\xA2\xA4\xA4", patternBytes(10)).useSlot(6, "Last", {});
        QVERIFY(h.open(h.put("slots.sav", image.bytes())));
        QVERIFY(h.prompts.texts().isEmpty());
        QCOMPARE(h.lines(), (QStringList{"あい", "EMPTY", "EMPTY", "EMPTY", "EMPTY", "EMPTY", "Last"}));
        QCOMPARE(h.titleBox()->text(), QStringLiteral("あい"));
        QVERIFY(!h.button("appendButton")->isVisibleTo(h.dialog.get()));
        QVERIFY(!h.button("appendButton")->isEnabled());
    }

    void packedImageLines()
    {
        EditorHarness h;
        // 82 A0 is あ in CP932; the line is cut after 32 bytes, never inside a character.
        QVERIFY(h.open(h.put("packed.sav", PackedImageBytes()
                                               .add(0, "state", 8)
                                               .add(1, "\x82\xA0save", 8)
                                               .add(2, "plain", 8)
                                               .add(1, std::string(31, 'L'), 8)
                                               .add(1, std::string(28, 'x') + "\x82\xA0\x82\xA0", 8)
                                               .bytes())));
        QVERIFY(h.button("appendButton")->isVisibleTo(h.dialog.get()));
        QVERIFY(h.button("appendButton")->isEnabled());
        QCOMPARE(h.lines(), (QStringList{"ST:state", "SV:あsave", "plain",
                                         QString::fromStdString("SV:" + std::string(29, 'L')),
                                         QString::fromStdString("SV:" + std::string(28, 'x'))}));
        // Only battery saves have a title to edit.
        QCOMPARE(h.titleBox()->text(), QString());
        h.select(1);
        QCOMPARE(h.titleBox()->text(), QStringLiteral("あsave"));
        h.select(2);
        QCOMPARE(h.titleBox()->text(), QString());
    }

    void controlsAndAbout()
    {
        EditorHarness h;
        QVERIFY(h.create(h.dir.file("new.sav")));
        QVERIFY(h.button("writeButton")->isDefault());

        QStringList labels;
        for (const char* name : {"writeButton", "cancelButton", "loadButton", "deleteButton", "extractButton", "appendButton"}) {
            labels << h.button(name)->text();
        }
        QCOMPARE(labels, (QStringList{"&Write!", "&Cancel", "&Load", "&Delete", "E&xtract", "&Append"}));

        // The title box holds 31 bytes of cartridge text: あ takes two.
        typeText(h.titleBox(), QString(40, QLatin1Char('a')));
        QCOMPARE(h.titleBox()->text().size(), 31);
        h.titleBox()->clear();
        typeText(h.titleBox(), QString(20, QChar(0x3042)));
        QCOMPARE(h.titleBox()->text().size(), 15);

        auto* about = h.dialog->findChild<QAction*>(QStringLiteral("aboutAction"));
        QVERIFY(about);
        QCOMPARE(about->text(), QStringLiteral("sramedit のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
        QVERIFY(h.dialog->actions().contains(about));
        about->trigger();
        QCOMPARE(h.prompts.callsOf("about").size(), 1);
        QCOMPARE(h.prompts.callsOf("about")[0].text,
                 QStringLiteral("srameditのﾊﾞｰｼﾞｮﾝ情報|Korvalinde Save Data Editor Ver. " ROMWELD_VERSION));
    }

    void failedWriteKeepsWindowAndFile()
    {
        EditorHarness h;
        const Bytes old = SaveImageBytes().useSlot(2, "Old", patternBytes(8192)).bytes();
        const std::string path = h.put("keep.sav", old);
        QVERIFY(h.open(path));
        QVERIFY(h.showActive());
        h.select(2);
        h.prompts.okCancelAnswers << true;
        QTest::keyClick(h.list(), Qt::Key_Delete);
        QCOMPARE(h.prompts.texts(), QStringList{"Delete selected save data?"});
        QCOMPARE(h.lines()[2], QStringLiteral("EMPTY"));

        // A file-size limit makes the write itself fail, even for root.
        std::signal(SIGXFSZ, SIG_IGN);
        {
            LimitFor size(RLIMIT_FSIZE, 1000);
            h.click("writeButton");
        }
        QVERIFY(h.dialog->isVisible());
        QCOMPARE(h.dialog->result(), int(QDialog::Rejected));
        QCOMPARE(readBytes(path), old);
        const QStringList texts = h.prompts.texts();
        QVERIFY(texts.last().startsWith(QStringLiteral("Could not write\n")));
        QVERIFY(texts.last().contains(QString::fromStdString(path)));
        QVERIFY2(texts.last().contains(QStringLiteral("File too large")), qPrintable(texts.last()));
        QCOMPARE(h.lines()[2], QStringLiteral("EMPTY"));

        // The edits are still there to be written.
        h.click("writeButton");
        QVERIFY(!h.dialog->isVisible());
        QCOMPARE(readBytes(path), SaveImageBytes().bytes());
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
