// SPDX-License-Identifier: GPL-3.0-or-later
// The romweld window from start to close: the initial state, the settings it
// reads and writes, the two start-up failures, the keys that close it or
// don't, the about box and the save-data editor button.
#include "romweld_version.h"
#include "window_harness.h"

#include <QAction>
#include <QSignalSpy>

class WindowStartupTest : public QObject {
    Q_OBJECT

private slots:
    void withoutSettingsFileTheDefaultsApply()
    {
        WindowHarness h;
        QVERIFY(!fileExists(h.ini()));
        QVERIFY(h.open());
        QVERIFY(h.prompts.calls.isEmpty());
        QCOMPARE(h.dialog->windowTitle(), QStringLiteral("ROMWELD"));
        QVERIFY(!h.fixHeaderBox()->isChecked());
        QVERIFY(!h.field("gbaTitleField")->isEnabled());
        QCOMPARE(h.field("gbaTitleField")->text(), QStringLiteral("Korvalinde"));
        QCOMPARE(h.field("gbaFileField")->text(), QString());
        QCOMPARE(h.field("romTitleField")->maxLength(), 31);
        QVERIFY(h.radio("showFullPathname")->isChecked());
        QVERIFY(h.radio("sortByFilename")->isChecked());

        // The selector lists the variants in table order; "kvl-v02" is a
        // case-insensitive prefix of the second one.
        QComboBox* selector = h.variantSelector();
        QCOMPARE(selector->count(), 3);
        QCOMPARE(selector->itemText(0), QStringLiteral("kvl-v01"));
        QCOMPARE(selector->currentText(), QStringLiteral("KVL-V02b"));
        QCOMPARE(h.setting("CONFIG", "KVLVersion"), std::optional<std::string>("KVL-V02b"));
        QCOMPARE(h.panels()[2], QStringLiteral("0 NES Roms."));
        QCOMPARE(h.label("sizeLabel")->text(), sizeText(SHELL_V02_SIZE + END_RECORD_BYTES));

        // Closing without "FixHeaderCheckBox" leaves "FixHeader" alone.
        h.dialog->reject();
        QCOMPARE(h.setting("CONFIG", "FixHeader"), std::nullopt);
    }

    void storedSettingsAreTakenAtSetUp()
    {
        WindowHarness h;
        h.setSetting("CONFIG", "KVLVersion", "KVL");
        h.setSetting("CONFIG", "LastGBAFile", "/out/cart.gba");
        h.setSetting("CONFIG", "LastGBATitle", "MyCart");
        QVERIFY(h.open());
        QCOMPARE(h.variantSelector()->currentIndex(), 0);
        QCOMPARE(h.setting("CONFIG", "KVLVersion"), std::optional<std::string>("kvl-v01"));
        QCOMPARE(h.field("gbaFileField")->text(), QStringLiteral("/out/cart.gba"));
        QCOMPARE(h.field("gbaTitleField")->text(), QStringLiteral("MyCart"));
        QCOMPARE(h.label("sizeLabel")->text(), sizeText(SHELL_V01_SIZE + END_RECORD_BYTES));

        // A name that matches no variant gives the first one.
        WindowHarness unknown;
        unknown.setSetting("CONFIG", "KVLVersion", "gone-v9");
        QVERIFY(unknown.open());
        QCOMPARE(unknown.variantSelector()->currentIndex(), 0);
        QCOMPARE(unknown.setting("CONFIG", "KVLVersion"), std::optional<std::string>("kvl-v01"));
    }

    void fixHeaderIsStoredAtCloseOnlyWhenAskedFor()
    {
        // The box is clicked once, then the window is closed in one of its ways.
        const struct {
            const char* fixHeader;
            bool askedFor;  // "FixHeaderCheckBox" is 1
            bool startsChecked;
            void (*close)(WindowHarness&);
            const char* storedAtClose;
        } cases[] = {
            // Without "FixHeaderCheckBox" unchecking is forgotten.
            {"1", false, true, [](WindowHarness& h) { h.click("quitButton"); }, "1"},
            {"1", true, true, [](WindowHarness& h) { h.dialog->close(); }, "0"},
            {"2", true, false, [](WindowHarness& h) { QTest::keyClick(h.dialog.get(), Qt::Key_Escape); }, "1"},
        };
        for (const auto& c : cases) {
            WindowHarness h;
            h.setSetting("CONFIG", "FixHeader", c.fixHeader);
            if (c.askedFor) h.setSetting("CONFIG", "FixHeaderCheckBox", "1");
            QVERIFY(h.open());
            const QByteArray name = QByteArray("FixHeader=") + c.fixHeader + (c.askedFor ? ", asked for" : "");
            QVERIFY2(h.fixHeaderBox()->isChecked() == c.startsChecked, name);
            QVERIFY2(h.field("gbaTitleField")->isEnabled() == c.startsChecked, name);
            QTest::mouseClick(h.fixHeaderBox(), Qt::LeftButton);
            QVERIFY2(h.field("gbaTitleField")->isEnabled() != c.startsChecked, name);
            c.close(h);
            QVERIFY2(!h.dialog->isVisible(), name);
            QVERIFY2(h.setting("CONFIG", "FixHeader") == std::optional<std::string>(c.storedAtClose), name);
        }
    }

    void withoutUsableVariantTheWindowClosesItself()
    {
        WindowHarness h(false);
        h.setSetting("CONFIG", "FixHeaderCheckBox", "1");
        h.dialog = std::make_unique<MergeToolDialog>(h.prompts, h.exe(), h.env);
        QCOMPARE(h.messages(), QStringList{QStringLiteral("Put Korvalinde files on same directory.\nAbort Program.\n\n"
                                                          "romweld.cfg was looked for in:\n") +
                                           qs(h.dir.path() + "\n" + h.dir.path() + "home/.local/share/romweld/\n" +
                                              h.dir.path() + "system/romweld/")});
        QVERIFY(h.dialog->closePosted());
        QSignalSpy finished(h.dialog.get(), &QDialog::finished);
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(h.dialog->result(), int(QDialog::Rejected));
        // Only the key that closing always writes.
        QCOMPARE(h.setting("CONFIG", "KVLVersion"), std::nullopt);
        QCOMPARE(h.setting("CONFIG", "FixHeader"), std::optional<std::string>("0"));
    }

    void withoutListNoCommandRuns()
    {
        WindowHarness h;
        const std::string rom = h.rom("Alpha.nes");
        QVERIFY(h.open([] { return std::unique_ptr<RomList>(); }));
        QCOMPARE(h.messages(), QStringList{QStringLiteral("Memory 不足です。")});
        QVERIFY(!h.dialog->closePosted());
        h.add({qs(rom)});
        h.drop({qs(rom)});
        for (const char* name : {"deleteButton", "upButton", "downButton", "sortButton", "saveListButton",
                                 "loadListButton", "createImageButton"}) {
            h.click(name);
        }
        h.commitTitle(QStringLiteral("Title"));
        QVERIFY(h.prompts.calls.isEmpty());
        QCOMPARE(h.list()->count(), 0);
    }

    void enterKeepsTheWindowOpenEscapeClosesIt()
    {
        WindowHarness h;
        QVERIFY(h.open());
        for (const char* name : {"romTitleField", "gbaFileField"}) {
            h.field(name)->setFocus();
            QTest::keyClick(h.field(name), Qt::Key_Return);
            QTest::keyClick(h.field(name), Qt::Key_Enter);
        }
        h.list()->setFocus();
        QTest::keyClick(h.list(), Qt::Key_Return);
        QVERIFY(h.dialog->isVisible());
        QVERIFY(h.prompts.calls.isEmpty());

        QTest::keyClick(h.list(), Qt::Key_Escape);
        QVERIFY(!h.dialog->isVisible());
        QCOMPARE(h.dialog->result(), int(QDialog::Rejected));
    }

    void aboutBoxAndEditorGoThroughThePrompts()
    {
        WindowHarness h;
        QVERIFY(h.open());
        QAction* about = h.dialog->findChild<QAction*>(QStringLiteral("aboutAction"));
        QVERIFY(about != nullptr);
        QCOMPARE(about->text(), QStringLiteral("About ROMWELD(&A)..."));
        QVERIFY(h.dialog->actions().contains(about));
        about->trigger();
        h.prompts.startResult = false;  // a missing sramedit shows nothing
        h.click("editorButton");
        QCOMPARE(h.prompts.calls.size(), 2);
        QCOMPARE(h.prompts.calls[0].kind + ": " + h.prompts.calls[0].text,
                 QStringLiteral("about: About ROMWELD|ROMWELD Version " ROMWELD_VERSION));
        QCOMPARE(h.prompts.calls[1].kind + ": " + h.prompts.calls[1].text, "start: " + qs(h.dir.file("sramedit")));
        QVERIFY(h.dialog->isVisible());
    }

    void overlongStoredGbaTitleIsReportedWhenFieldsAreTaken()
    {
        WindowHarness h;
        h.setSetting("CONFIG", "LastGBATitle", "ABCDEFGHIJKLMNOP");
        h.setSetting("CONFIG", "FixHeader", "1");
        QVERIFY(h.open());
        QCOMPARE(h.field("gbaTitleField")->text(), QStringLiteral("ABCDEFGHIJKLMNOP"));
        h.click("sortButton");
        QCOMPARE(h.messages(), QStringList{QStringLiteral("12 文字以内で入力してください。")});
        QCOMPARE(h.dialog->focusWidget(), h.field("gbaTitleField"));

        // Typing is held at the limit.
        h.field("gbaTitleField")->clear();
        QTest::keyClicks(h.field("gbaTitleField"), QStringLiteral("0123456789ABCDEF"));
        QCOMPARE(h.field("gbaTitleField")->text(), QStringLiteral("0123456789AB"));
    }
};

QTEST_MAIN(WindowStartupTest)
#include "window_startup_test.moc"
