// SPDX-License-Identifier: GPL-3.0-or-later
// The sramedit window on saves the hosts leave: it asks which memory a file
// holds when the file can't tell, shows per record what PocketNES makes of
// it, warns of a save PocketNES would drop, and moves records between files.
#include "editor_harness.h"
#include "packed_test_support.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>

namespace {

constexpr std::uint32_t GAME = 0x0BADCAFE;
constexpr std::uint32_t OWNER = 0x77;

QString q(const std::string& s) { return QString::fromStdString(s); }

void trigger(EditorHarness& h, const char* action)
{
    h.dialog->findChild<QAction*>(QString::fromLatin1(action))->trigger();
}

// PocketNES's blank battery save of GAME, a second one, a state, and the
// owner's session in the live area, with 500 bytes left below it.
Bytes crowdedSave()
{
    auto image = blankPacked(32768);
    std::size_t at = putConfig(*image, 4, OWNER, 3);
    at = putCompressedRecord(*image, at, Bytes(4096, 0), "Zelda", RECORD_SV, GAME);
    at = putCompressedRecord(*image, at, Bytes(8192, 0x11), "Zelda", RECORD_SV, GAME);
    at = putRecord(*image, at, static_cast<std::uint16_t>(0x6000 - 8 - 500 - at), RECORD_ST, "state", 0, OWNER);
    putEnd(*image, at);
    setLiveArea(*image, patternBytes(8192, 4));
    return imageBytes(*image);
}

}  // namespace

class PackedHostsTest : public QObject {
    Q_OBJECT

private slots:
    void asksWhichMemoryWhenTheFileCantTell()
    {
        EditorHarness h;
        // Both live areas hold data, the owner's record below 0x6000.
        auto image = blankPacked(32768);
        putEnd(*image, putCompressedRecord(*image, putConfig(*image, 4, GAME, 3), Bytes(8192, 1), "U", RECORD_SV, GAME));
        Bytes file = imageBytes(*image);
        file.resize(65536, 0);
        const Bytes small = patternBytes(8192, 1), large = patternBytes(8192, 2);
        std::copy(small.begin(), small.end(), file.begin() + 0x6000);
        std::copy(large.begin(), large.end(), file.end() - 8192);
        const std::string path = h.put("cart.sav", file);

        // Cancel chooses the file again; then 64 KiB.
        h.prompts.openFileAnswers << q(path);
        h.prompts.choiceAnswers << std::nullopt << 1;
        QVERIFY(h.open(path));
        QCOMPARE(h.prompts.callsOf("openfile").size(), 2);
        QCOMPARE(h.prompts.choices.size(), 2);
        QCOMPARE(h.prompts.choices[0], qMakePair(QStringList{"32 KiB", "64 KiB"}, 0));
        QVERIFY(h.prompts.texts()[0].startsWith(q(path) + "\nholds a PocketNES save"));
        QVERIFY(h.dialog->packedMode());
        h.click("writeButton");
        auto written = blankPacked();
        QVERIFY(readPackedImage(path, *written, PackedMemory::Large).ok());
        QCOMPARE(pocketNesRestores(*written, GAME), large);
        QVERIFY(h.prompts.unanswered.isEmpty());
    }

    void listShowsWhatPocketNesRestoresAndWarns()
    {
        EditorHarness h;
        QVERIFY(h.open(h.put("cart.sav", crowdedSave())));
        const std::size_t toFree = recordSizeFor(patternBytes(8192, 4)) - 500;
        QCOMPARE(h.prompts.texts().size(), 1);
        QVERIFY(h.prompts.texts()[0].startsWith("The newest save of ROM 00000077 is only in the live area"));
        QVERIFY(h.prompts.texts()[0].contains(QStringLiteral("Free %1 bytes").arg(toFree)));

        QCOMPARE(h.lines(), (QStringList{"CFG", "SV:Zelda", "SV:Zelda", "ST:state", "SV:ROM 00000077"}));
        const auto row = [&](int r) {
            QStringList cells;
            for (int c = 0; c < h.list()->columnCount(); ++c) cells << h.list()->topLevelItem(r)->text(c);
            return cells;
        };
        QCOMPARE(row(1), (QStringList{"1", "SV:Zelda", "SV", "92 bytes", "older, PocketNES restores record 2"}));
        QCOMPARE(row(2).mid(2, 3), (QStringList{"SV", row(2)[3], ""}));
        QCOMPARE(row(4).mid(2), (QStringList{"SV", "no record yet", "live: the newest save is in the live area"}));
        QLabel* room = h.dialog->findChild<QLabel*>(QStringLiteral("roomLabel"));
        QVERIFY(room->isVisibleTo(h.dialog.get()));
        QVERIFY(room->text().startsWith("32 KiB, 4 records, "));
        QVERIFY(room->text().endsWith(", 500 bytes free"));

        h.prompts.clear();
        trigger(h, "removeOlderAction");
        QCOMPARE(h.prompts.texts(), QStringList{"Removed 1 older battery saves: 92 bytes freed."});
        QCOMPARE(h.lines(), (QStringList{"CFG", "SV:Zelda", "ST:state", "SV:ROM 00000077"}));
        QVERIFY(room->text().endsWith(", 592 bytes free"));
    }

    void copyToAndSaveAsOtherSize()
    {
        EditorHarness h;
        const std::string path = h.put("cart.sav", crowdedSave());
        auto empty = blankPacked(32768);
        QVERIFY(newPackedImage(*empty, 32768).ok());
        const std::string to = h.put("to.sav", imageBytes(*empty));
        QVERIFY(h.open(path));

        // The live session, copied as PocketNES will pack it.
        h.select(4);
        h.prompts.clear();
        h.prompts.openFileAnswers << q(to);
        trigger(h, "copyToAction");
        QCOMPARE(h.prompts.texts(), QStringList{"The record was copied into\n" + q(to) + "\nas record 1."});
        auto copied = blankPacked(32768);
        QVERIFY(readPackedImage(to, *copied).ok());
        QCOMPARE(pocketNesRestores(*copied, OWNER), patternBytes(8192, 4));
        // Never into the file being edited.
        h.prompts.openFileAnswers << q(path);
        trigger(h, "copyToAction");
        QVERIFY(h.prompts.texts().last().startsWith("That is the save file you are editing"));

        // Saved for 64 KiB as another file: there is room, the session is packed.
        h.prompts.clear();
        h.prompts.choiceAnswers << 1;
        h.prompts.saveFileAnswers << q(h.dir.file("cart64.sav"));
        trigger(h, "saveAsSizeAction");
        QCOMPARE(h.prompts.choices[0].second, 1);  // the other size is offered first
        const Bytes largeBytes = readBytes(h.dir.file("cart64.sav"));
        QCOMPARE(largeBytes.size(), 65536u);
        QCOMPARE(readBytes(path), crowdedSave());

        // The open file itself is laid out anew in memory; "Write!" writes it.
        h.prompts.choiceAnswers << 1;
        h.prompts.saveFileAnswers << q(path);
        trigger(h, "saveAsSizeAction");
        QVERIFY(h.prompts.texts().last().contains("\"Write!\" writes it"));
        QCOMPARE(readBytes(path), crowdedSave());
        h.click("writeButton");
        QCOMPARE(readBytes(path), largeBytes);
        QVERIFY(h.prompts.unanswered.isEmpty());
    }
};

QTEST_MAIN(PackedHostsTest)
#include "packed_hosts_test.moc"
