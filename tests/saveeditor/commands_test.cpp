// SPDX-License-Identifier: GPL-3.0-or-later
// The commands on single saves: Load, Append, Extract, Delete and Retitle,
// in both image kinds, down to the bytes that "Write!" puts on disk.
#include "editor_harness.h"
#include "file_io.h"
#include "file_lock.h"
#include "packed_test_support.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTreeWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <sys/stat.h>

namespace {

const QString SAV_FILTER = QStringLiteral("NES save files(*.sav)|*.sav|All files(*.*)|*.*||");
const QString ROM_FILTER = QStringLiteral("NES ROM files(*.nes)|*.nes|All files(*.*)|*.*||");

QString q(const std::string& s) { return QString::fromStdString(s); }

// The title field of slot s or of the packed record at offset, up to its NUL.
std::string titleAt(const Bytes& image, std::size_t offset)
{
    std::string out;
    for (std::size_t i = offset; i < offset + 32 && image[i] != 0; ++i) out.push_back(static_cast<char>(image[i]));
    return out;
}

std::uint32_t romChecksumOf(const Bytes& rom)
{
    std::uint32_t sum = 0;
    for (std::size_t k = 0; k < 128; ++k) sum += le32At(rom, 16 + 128 * k);
    return sum;
}

// Each message as "text|detail".
QStringList messagesWithDetail(const FakePrompts& prompts)
{
    QStringList out;
    for (const FakePrompts::Call& call : prompts.callsOf(QStringLiteral("message"))) out << call.text + "|" + call.detail;
    return out;
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void loadFillsTheSelectedSlot()
    {
        EditorHarness h;
        const std::string image = h.dir.file("image.sav");
        std::filesystem::create_directory(h.dir.file("saves"));
        const std::string big = h.put("saves/big.sav", patternBytes(9000));
        const std::string empty = h.put("saves/empty.sav", {});
        const std::string quest = h.put("saves/Quest.sav", patternBytes(100, 7));
        QVERIFY(h.create(image));
        h.select(2);

        h.prompts.openFileAnswers << q(big);
        h.click("loadButton");
        QCOMPARE(h.prompts.texts().last(), QStringLiteral("File size too big to savefile."));
        QCOMPARE(h.setting("SavPath"), h.dir.file("saves/"));
        QCOMPARE(h.lines()[2], QStringLiteral("EMPTY"));

        h.prompts.openFileAnswers << q(empty) << q(quest);
        h.click("loadButton");
        QCOMPARE(h.prompts.texts().last(), QStringLiteral("File not found."));
        h.click("loadButton");
        QCOMPARE(h.lines()[2], QStringLiteral("Quest"));
        QCOMPARE(h.selectedRow(), 2);
        QCOMPARE(h.titleBox()->text(), QStringLiteral("Quest"));

        const auto choosers = h.prompts.callsOf("openfile");
        QCOMPARE(choosers[1].chooser.filter, SAV_FILTER);
        QVERIFY(choosers[1].chooser.mustExist);
        QCOMPARE(choosers[1].chooser.initialFolder, QString());
        QCOMPARE(choosers[2].chooser.initialFolder, q(h.dir.file("saves/")));

        // Without a selection Load asks nothing.
        h.list()->clearSelection();
        const int calls = h.prompts.calls.size();
        h.click("loadButton");
        QCOMPARE(h.prompts.calls.size(), calls);

        h.click("writeButton");
        QCOMPARE(readBytes(image), SaveImageBytes().useSlot(2, "Quest", patternBytes(100, 7)).bytes());
        QVERIFY(h.prompts.unanswered.isEmpty());
    }

    void savFilesThatCantBeReadSayWhy()
    {
        // A FIFO or a folder given for a ".sav" file is no missing file: the
        // message says the file can't be read, and why.
        EditorHarness h;
        QVERIFY(::mkfifo(h.dir.file("fifo.sav").c_str(), 0644) == 0);
        std::filesystem::create_directory(h.dir.file("folder.sav"));
        QVERIFY(h.create(h.dir.file("image.sav")));
        h.select(1);
        h.prompts.openFileAnswers << q(h.dir.file("fifo.sav")) << q(h.dir.file("folder.sav"));
        h.click("loadButton");
        h.click("loadButton");
        QCOMPARE(messagesWithDetail(h.prompts),
                 (QStringList{"File read error|not a regular file", "File read error|Is a directory"}));
        QCOMPARE(h.lines()[1], QStringLiteral("EMPTY"));

        // The same in a packed image, for the .sav file and for the ROM.
        EditorHarness p;
        const std::string image = p.put("packed.sav", PackedImageBytes().add(2, "CFG", 0).bytes());
        QVERIFY(::mkfifo(p.dir.file("fifo.sav").c_str(), 0644) == 0);
        QVERIFY(::mkfifo(p.dir.file("fifo.nes").c_str(), 0644) == 0);
        const std::string sav = p.put("Hero.sav", patternBytes(200, 3));
        const std::string rom = p.put("game.nes", makeInesRom(16384));
        QVERIFY(p.open(image));
        p.prompts.openFileAnswers << q(p.dir.file("fifo.sav")) << q(rom) << q(sav) << q(p.dir.file("fifo.nes"));
        p.click("appendButton");
        p.click("appendButton");
        QCOMPARE(messagesWithDetail(p.prompts),
                 (QStringList{"File read error|not a regular file", "file open error.|not a regular file"}));
        QCOMPARE(p.lines(), QStringList{"CFG"});
    }

    void packedLoadAndAppendNeedTheRom()
    {
        EditorHarness h;
        const std::string image =
            h.put("packed.sav", PackedImageBytes().add(2, "CFG", 0).add(0, "state", 8).add(1, "keep", 8).bytes());
        std::filesystem::create_directory(h.dir.file("roms"));
        const std::string sav = h.put("Hero.sav", patternBytes(2000, 3));
        const std::string smallRom = h.put("roms/small.nes", makeInesRom(16383));
        const std::string rom = h.put("roms/game.nes", makeInesRom(16384, 0, 0, 9));
        QVERIFY(h.open(image));

        // A ROM one byte short of its checksum area is refused.
        h.prompts.openFileAnswers << q(sav) << q(smallRom);
        h.click("appendButton");
        QCOMPARE(h.prompts.texts(), QStringList{"File size too small."});
        QCOMPARE(h.setting("RomPath"), h.dir.file("roms/"));
        QCOMPARE(h.prompts.callsOf("openfile").last().chooser.filter, ROM_FILTER);

        // Cancelling the ROM chooser stores nothing.
        h.prompts.openFileAnswers << q(sav) << std::nullopt;
        h.click("appendButton");
        QCOMPARE(h.lines(), (QStringList{"CFG", "ST:state", "SV:keep"}));

        // Load replaces the selected record whatever its type.
        h.select(1);
        h.prompts.openFileAnswers << q(sav) << q(rom);
        h.click("loadButton");
        QCOMPARE(h.lines(), (QStringList{"CFG", "SV:Hero", "SV:keep"}));
        QCOMPARE(h.prompts.callsOf("openfile").last().chooser.initialFolder, q(h.dir.file("roms/")));

        // Appending for a game that has a battery save replaces it: PocketNES
        // would restore only the last one.
        h.select(2);
        h.prompts.openFileAnswers << q(sav) << q(rom);
        h.click("appendButton");
        QCOMPARE(h.lines(), (QStringList{"CFG", "SV:Hero", "SV:keep"}));
        QCOMPARE(h.selectedRow(), 1);
        QCOMPARE(h.prompts.texts().size(), 1);

        h.click("writeButton");
        const Bytes written = readBytes(image);
        QCOMPARE(le32At(written, 0), 0x57A731D7u);
        QCOMPARE(written[52 + 2], 1);  // RECORD_SV
        QCOMPARE(le32At(written, 52 + 4), 2000u);  // the save's size, as PocketNES writes it
        QCOMPARE(le32At(written, 52 + 12), romChecksumOf(makeInesRom(16384, 0, 0, 9)));
        QCOMPARE(titleAt(written, 52 + 16), std::string("Hero"));
        QVERIFY(h.prompts.unanswered.isEmpty());
    }

    void fullPackedImageSaysSo()
    {
        EditorHarness h;
        const Bytes original = PackedImageBytes().add(2, "big", 60000 - 48).bytes();
        const std::string image = h.put("full.sav", original);
        QVERIFY(h.open(image));
        h.prompts.openFileAnswers << q(h.put("six.sav", patternBytes(6000))) << q(h.put("game.nes", makeInesRom(16384)));
        h.click("appendButton");
        QCOMPARE(h.prompts.texts().size(), 1);
        QVERIFY(h.prompts.texts()[0].contains(QStringLiteral("six.sav")));
        QVERIFY(h.prompts.texts()[0].contains(QStringLiteral("Nothing was stored")));
        QCOMPARE(h.lines(), QStringList{"big"});
        h.click("writeButton");
        QCOMPARE(readBytes(image), original);
    }

    void extractWritesTheSelectedSave()
    {
        EditorHarness h;
        QVERIFY(h.open(h.put("image.sav", SaveImageBytes().useSlot(1, "Quest", patternBytes(8192, 5)).bytes())));

        h.select(0);  // empty: nothing to extract
        h.click("extractButton");
        QCOMPARE(h.prompts.calls.size(), 1);

        h.select(1);
        const std::string out = h.dir.file("out.sav");
        h.prompts.saveFileAnswers << q(out) << q(h.dir.file("gone/out.sav"));
        h.click("extractButton");
        const auto chooser = h.prompts.callsOf("savefile")[0].chooser;
        QCOMPARE(chooser.filter, QStringLiteral("NES save files(*.sav)|*.sav|All files(*,*)|*.*||"));
        QCOMPARE(chooser.initialName, q(h.dir.file("Quest.sav")));  // beside the save file
        QCOMPARE(chooser.defaultExtension, QStringLiteral("sav"));
        QVERIFY(chooser.confirmOverwrite);
        QCOMPARE(readBytes(out), patternBytes(8192, 5));
        QVERIFY(h.prompts.texts().isEmpty());

        // A failed extract is reported: the user would rely on the backup.
        h.click("extractButton");
        QCOMPARE(h.prompts.texts().size(), 1);
        QVERIFY(h.prompts.texts()[0].startsWith(QStringLiteral("Could not write\n")));
        QVERIFY(h.prompts.texts()[0].contains(q(h.dir.file("gone/out.sav"))));
        QVERIFY(h.prompts.texts()[0].contains(QStringLiteral("No such file or directory")));

        // The file being edited is never the place for one of its saves.
        const Bytes before = readBytes(h.dir.file("image.sav"));
        h.prompts.clear();
        h.prompts.saveFileAnswers << q(h.dir.file("image.sav"));
        h.click("extractButton");
        QCOMPARE(h.prompts.texts().size(), 1);
        QVERIFY(h.prompts.texts()[0].contains(QStringLiteral("is the save file you are editing")));
        QCOMPARE(readBytes(h.dir.file("image.sav")), before);
    }

    void extractFromPackedImage()
    {
        EditorHarness h;
        QVERIFY(h.open(h.put("packed.sav",
                             PackedImageBytes().add(2, "CFG", 0).add(0, "state", 8).add(1, "broken", 8).bytes())));
        h.prompts.openFileAnswers << q(h.put("a.sav", patternBytes(2000, 4))) << q(h.put("game.nes", makeInesRom(16384)));
        h.click("appendButton");
        QCOMPARE(h.lines(), (QStringList{"CFG", "ST:state", "SV:broken", "SV:a"}));

        // Snapshots and the configuration are not extracted.
        h.click("extractButton");
        h.select(1);
        h.click("extractButton");
        QVERIFY(h.prompts.callsOf("savefile").isEmpty());

        h.select(3);
        h.prompts.saveFileAnswers << q(h.dir.file("back.sav"));
        h.click("extractButton");
        QCOMPARE(h.prompts.callsOf("savefile")[0].chooser.initialName, q(h.dir.file("a.sav")));
        QCOMPARE(readBytes(h.dir.file("back.sav")), patternBytes(2000, 4));

        // Data that don't unpack give a message and no file.
        h.select(2);
        h.prompts.saveFileAnswers << q(h.dir.file("broken.sav"));
        h.click("extractButton");
        QVERIFY(!fileExists(h.dir.file("broken.sav")));
        QVERIFY(h.prompts.texts().last().contains(QStringLiteral("damaged")));
    }

    void pocketNesSaveOf32KiB()
    {
        // A 32 KiB memory saved twice, with a cheat list, and a game in the
        // live area that has no record yet: opening packs it as PocketNES will.
        EditorHarness h;
        const Bytes zelda = patternBytes(8192, 2), played = patternBytes(8192, 3);
        auto image = blankPacked(32768);
        std::size_t at = putConfig(*image, 4, 0x0BADCAFE);
        at = putCompressedRecord(*image, at, zelda, "Zelda", RECORD_SV, 0x1111);
        at = putRecord(*image, at, 64, RECORD_CHEAT, "cheats", 0, 0x1111);
        putEnd(*image, at);
        setLiveArea(*image, played);
        const Bytes half = imageBytes(*image);
        Bytes file = half;
        file.insert(file.end(), half.begin(), half.end());
        const std::string path = h.put("cart.sav", file);
        QVERIFY(h.open(path));
        QVERIFY(h.button("appendButton")->isVisibleTo(h.dialog.get()));
        QCOMPARE(h.lines(), (QStringList{"CFG", "SV:Zelda", "cheats", "SV:ROM 0BADCAFE"}));

        // A cheat list has no title to edit and is not extracted.
        h.select(2);
        QCOMPARE(h.titleBox()->text(), QString());
        h.click("extractButton");
        QVERIFY(h.prompts.callsOf("savefile").isEmpty());

        h.select(1);
        h.prompts.saveFileAnswers << q(h.dir.file("zelda.sav")) << q(h.dir.file("played.sav"));
        h.click("extractButton");
        QCOMPARE(readBytes(h.dir.file("zelda.sav")), zelda);
        h.select(3);
        h.click("extractButton");
        QCOMPARE(h.prompts.callsOf("savefile").last().chooser.initialName, q(h.dir.file("ROM 0BADCAFE.sav")));
        QCOMPARE(readBytes(h.dir.file("played.sav")), played);

        // Written back the way it came: 32 KiB twice.
        h.click("writeButton");
        const Bytes written = readBytes(path);
        QCOMPARE(written.size(), std::size_t{65536});
        QVERIFY(std::equal(written.begin(), written.begin() + 32768, written.begin() + 32768));
        auto back = blankPacked(32768);
        std::copy(written.begin(), written.begin() + 32768, back->begin());
        QCOMPARE(ownerOf(*back), 0u);
        QCOMPARE(liveArea(*back), Bytes(8192, 0));
        QCOMPARE(unpackRecord(*back, packedRecords(*back).at(3).offset), played);
        QVERIFY(h.prompts.texts().isEmpty());
        QVERIFY(h.prompts.unanswered.isEmpty());
    }

    void deleteAsksFirst()
    {
        EditorHarness h;
        QVERIFY(h.open(h.put("packed.sav",
                             PackedImageBytes().add(2, "CFG", 0).add(3, "cheats", 8).add(0, "state", 8).add(1, "save", 8).bytes())));
        const QString ask = QStringLiteral("Delete selected save data?");
        h.prompts.okCancelAnswers << false << true << true;
        // PocketNES needs its configuration record: refused before any question.
        h.click("deleteButton");
        QCOMPARE(h.prompts.texts().size(), 1);
        const QString config = h.prompts.texts()[0];
        QVERIFY(config.startsWith(QStringLiteral("This is the configuration record.")));
        // The question names the record; Cancel keeps it.
        h.select(1);
        h.click("deleteButton");
        QCOMPARE(h.prompts.callsOf("okcancel")[0].detail, QStringLiteral("Record 1: cheats"));
        QCOMPARE(h.lines(), (QStringList{"CFG", "cheats", "ST:state", "SV:save"}));
        QTest::keyClick(h.list(), Qt::Key_Delete);  // other record types go
        QTest::keyClick(h.list(), Qt::Key_Delete);
        QCOMPARE(h.lines(), (QStringList{"CFG", "SV:save"}));
        QCOMPARE(h.prompts.texts(), (QStringList{config, ask, ask, ask}));
        QCOMPARE(h.titleBox()->text(), QStringLiteral("save"));

        EditorHarness s;
        QVERIFY(s.create(s.dir.file("new.sav")));
        s.prompts.clear();
        QTest::keyClick(s.list(), Qt::Key_Delete);  // an EMPTY line asks nothing
        s.click("deleteButton");
        QVERIFY(s.prompts.calls.isEmpty());
    }

    void retitleSlotWhenLeavingTheBox()
    {
        EditorHarness h;
        // B4 C1 BB FA is 漢字 in EUC-JP: a title from a file name, not allowed when typed.
        const std::string image =
            h.put("image.sav", SaveImageBytes().useSlot(0, "Old", {}).useSlot(1, "\xB4\xC1\xBB\xFA", {}).bytes());
        QVERIFY(h.open(image));
        QVERIFY(h.showActive());

        h.retitle(QStringLiteral("Hero"));
        QVERIFY(!h.titleBox()->hasFocus());
        QCOMPARE(h.lines()[0], QStringLiteral("Hero"));
        QVERIFY(h.prompts.texts().isEmpty());

        // A kanji is dropped, and so is a character the cartridge can't hold.
        h.retitle(QStringLiteral("勇あé"));
        QCOMPARE(h.prompts.texts(), QStringList{"Invalid Title\nFixed"});
        QCOMPARE(h.prompts.calls.last().detail, QStringLiteral("Removed: 勇 é (the cartridge can't show these characters)"));
        QCOMPARE(h.lines()[0], QStringLiteral("あ"));
        QCOMPARE(h.titleBox()->text(), QStringLiteral("あ"));
        h.retitle(QStringLiteral("Xé"));
        QCOMPARE(h.prompts.texts().size(), 2);
        QCOMPARE(h.lines()[0], QStringLiteral("X"));

        h.retitle(QStringLiteral("勇"));
        QCOMPARE(h.prompts.texts().last(), QStringLiteral("Invalid Title\nCanceled"));
        QCOMPARE(h.prompts.calls.last().detail, QStringLiteral("Removed: 勇 (the cartridge can't show these characters)"));
        QCOMPARE(h.titleBox()->text(), QStringLiteral("X"));
        QCOMPARE(h.lines()[0], QStringLiteral("X"));

        // Passing through the box leaves a title from a file name alone.
        h.prompts.clear();
        h.select(1);
        h.titleBox()->setFocus();
        QTest::keyClick(h.titleBox(), Qt::Key_Tab);
        QCOMPARE(h.lines()[1], QStringLiteral("漢字"));
        QVERIFY(h.prompts.texts().isEmpty());

        // On an EMPTY line nothing is stored.
        h.select(3);
        h.retitle(QStringLiteral("Zed"));
        QCOMPARE(h.lines()[3], QStringLiteral("EMPTY"));
        QVERIFY(h.prompts.texts().isEmpty());

        // Enter (either key) applies the title and moves on to the list; it
        // never writes or closes.
        const Bytes onDisk = readBytes(image);
        for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
            h.select(0);
            h.typeOver(key == Qt::Key_Return ? QStringLiteral("あい") : QStringLiteral("Go"));
            QTest::keyClick(h.titleBox(), key);
            QVERIFY(h.dialog->isVisible());
            QVERIFY(h.list()->hasFocus());
            QCOMPARE(h.lines()[0], key == Qt::Key_Return ? QStringLiteral("あい") : QStringLiteral("Go"));
        }
        QCOMPARE(readBytes(image), onDisk);
        QVERIFY(h.prompts.texts().isEmpty());
        h.click("writeButton");
        QCOMPARE(titleAt(readBytes(image), 4 + 4), std::string("Go"));
        QVERIFY(h.prompts.unanswered.isEmpty());
    }

    void retitlePackedRecord()
    {
        EditorHarness h;
        const std::string image = h.put("packed.sav", PackedImageBytes().add(1, "save", 8).add(0, "state", 8).bytes());
        QVERIFY(h.open(image));
        QVERIFY(h.showActive());

        // Stored as typed, in CP932, without the title filter.
        h.retitle(QStringLiteral("セーブ漢"));
        QCOMPARE(h.lines()[0], QStringLiteral("SV:セーブ漢"));
        QVERIFY(h.prompts.texts().isEmpty());

        h.typeOver(QString());
        QTest::keyClick(h.titleBox(), Qt::Key_Backspace);
        QTest::keyClick(h.titleBox(), Qt::Key_Tab);
        QCOMPARE(h.prompts.texts(), QStringList{"Invalid Title\nCanceled"});
        QCOMPARE(h.prompts.calls.last().detail, QStringLiteral("A title can't be empty."));
        QCOMPARE(h.titleBox()->text(), QStringLiteral("セーブ漢"));

        // A snapshot has no title to edit.
        h.select(1);
        h.retitle(QStringLiteral("nope"));
        QCOMPARE(h.lines()[1], QStringLiteral("ST:state"));

        h.click("writeButton");
        QCOMPARE(titleAt(readBytes(image), 4 + 16), std::string("\x83\x5A\x81\x5B\x83\x75\x8A\xBF"));
    }

    void leavingWithUnwrittenChangesAsksFirst()
    {
        // Each way out: the Cancel button, Escape and the close box.
        const struct {
            const char* how;
            void (*leave)(EditorHarness&);
        } ways[] = {
            {"Cancel", [](EditorHarness& h) { h.click("cancelButton"); }},
            {"Escape", [](EditorHarness& h) { QTest::keyClick(h.list(), Qt::Key_Escape); }},
            {"close box", [](EditorHarness& h) { h.dialog->close(); }},
        };
        for (const auto& way : ways) {
            EditorHarness h;
            const Bytes old = SaveImageBytes().useSlot(2, "Old", patternBytes(8192)).bytes();
            const std::string image = h.put("keep.sav", old);
            QVERIFY(h.open(image));
            QVERIFY(h.showActive());
            h.select(2);
            h.prompts.okCancelAnswers << true;
            h.click("deleteButton");
            h.prompts.clear();

            // No keeps the window and the edit; Yes closes without writing.
            h.prompts.yesNoAnswers << false;
            way.leave(h);
            QVERIFY2(h.dialog->isVisible(), way.how);
            const QList<FakePrompts::Call> asked = h.prompts.callsOf("yesno");
            QVERIFY2(asked.size() == 1, way.how);
            QCOMPARE(asked[0].text, QStringLiteral("Discard the changes to %1?").arg(q(image)));
            QVERIFY(asked[0].preset == DefaultAnswer::No);
            QCOMPARE(h.lines()[2], QStringLiteral("EMPTY"));
            h.prompts.yesNoAnswers << true;
            way.leave(h);
            QVERIFY2(!h.dialog->isVisible(), way.how);
            QCOMPARE(readBytes(image), old);
        }
    }

    void leavingWithoutChangesClosesAtOnce()
    {
        EditorHarness h;
        const std::string image = h.put("keep.sav", SaveImageBytes().useSlot(0, "Old", {}).bytes());
        QVERIFY(h.open(image));
        QVERIFY(h.showActive());
        // Looking around changes nothing; a new blank image is no change either.
        h.select(0);
        h.titleBox()->setFocus();
        QTest::keyClick(h.titleBox(), Qt::Key_Tab);
        h.click("cancelButton");
        QVERIFY(!h.dialog->isVisible());
        QVERIFY(h.prompts.callsOf("yesno").isEmpty());

        EditorHarness fresh;
        QVERIFY(fresh.create(fresh.dir.file("new.sav")));
        QVERIFY(fresh.showActive());
        QTest::keyClick(fresh.list(), Qt::Key_Escape);
        QVERIFY(!fresh.dialog->isVisible());
        QVERIFY(fresh.prompts.callsOf("yesno").isEmpty());  // only "Create new savefile?", a choice

        // A title typed and not yet applied is a change too.
        EditorHarness typed;
        const std::string other = typed.put("keep.sav", SaveImageBytes().useSlot(0, "Old", {}).bytes());
        QVERIFY(typed.open(other));
        QVERIFY(typed.showActive());
        typed.select(0);
        typed.typeOver(QStringLiteral("New"));
        typed.prompts.yesNoAnswers << false;
        QTest::keyClick(typed.titleBox(), Qt::Key_Escape);
        QVERIFY(typed.dialog->isVisible());
        QCOMPARE(typed.prompts.callsOf("yesno").size(), 1);
    }

    void writeAsksBeforeReplacingAFileChangedSinceItWasOpened()
    {
        EditorHarness h;
        const Bytes mine = SaveImageBytes().useSlot(0, "Mine", {}).bytes();
        const std::string image = h.put("cart.sav", mine);
        QVERIFY(h.open(image));
        const Bytes theirs = SaveImageBytes().useSlot(1, "Theirs", {}).bytes();
        QCOMPARE(replaceFileWith(image, theirs.data(), theirs.size()), 0);
        h.prompts.yesNoAnswers << false;
        h.click("writeButton");
        const QList<FakePrompts::Call> asked = h.prompts.callsOf("yesno");
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, q(image) + QStringLiteral(" was changed by another program since it was opened "
                                                           "here.\nReplace it with what this window holds?"));
        QCOMPARE(asked[0].preset, DefaultAnswer::No);
        QCOMPARE(readBytes(image), theirs);
        QCOMPARE(h.dialog->result(), int(QDialog::Rejected));

        // While another program writes it, "Write!" says so and waits for the user.
        FileLock other;
        QCOMPARE(other.acquire(image), 0);
        h.click("writeButton");
        QCOMPARE(messagesWithDetail(h.prompts).size(), 1);
        QVERIFY(messagesWithDetail(h.prompts)[0].contains(QStringLiteral("another program is writing this file")));
        other.release();
        h.prompts.yesNoAnswers << true;
        h.click("writeButton");
        QCOMPARE(readBytes(image), mine);
        QCOMPARE(h.dialog->result(), int(QDialog::Accepted));
    }

    void aLongPasteKeepsWhatFits()
    {
        EditorHarness h;
        QVERIFY(h.open(h.put("keep.sav", SaveImageBytes().useSlot(0, "Old", {}).bytes())));
        QVERIFY(h.showActive());
        h.select(0);
        // 29 single bytes and then あ (two bytes) fill 31; the next い would split.
        const struct { QString pasted; QString kept; } cases[] = {
            {QString(40, QLatin1Char('p')), QString(31, QLatin1Char('p'))},
            {QString(29, QLatin1Char('a')) + QStringLiteral("あい"), QString(29, QLatin1Char('a')) + QStringLiteral("あ")},
            {QString(30, QLatin1Char('a')) + QStringLiteral("あb"), QString(30, QLatin1Char('a'))},
            {QStringLiteral("ｶﾀｶﾅ") + QString(30, QLatin1Char('z')), QStringLiteral("ｶﾀｶﾅ") + QString(27, QLatin1Char('z'))},
        };
        for (const auto& c : cases) {
            QGuiApplication::clipboard()->setText(c.pasted);
            h.titleBox()->setFocus();
            h.titleBox()->selectAll();
            QTest::keyClick(h.titleBox(), Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(h.titleBox()->text(), c.kept);
        }
        // Typing past the end is still refused one key at a time.
        h.titleBox()->end(false);
        typeText(h.titleBox(), QStringLiteral("q"));
        QCOMPARE(h.titleBox()->text(), cases[3].kept);
    }
};

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
