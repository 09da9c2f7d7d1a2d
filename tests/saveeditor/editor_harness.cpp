// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor_harness.h"

#include "ini_profile.h"

#include <QLineEdit>
#include <QTreeWidget>
#include <QPushButton>
#include <QTest>

EditorHarness::EditorHarness()
    : dialog(std::make_unique<SaveEditorDialog>(prompts, dir.file("sramedit.ini")))
{
}

std::string EditorHarness::setting(const char* key) const
{
    return iniReadString(ini(), "CONFIG", key, "<missing>", 4096);
}

std::string EditorHarness::put(const std::string& name, const Bytes& bytes) const
{
    writeBytes(dir.file(name), bytes);
    return dir.file(name);
}

bool EditorHarness::open(const std::string& path, QList<bool> yesNo)
{
    prompts.openFileAnswers << QString::fromStdString(path);
    prompts.yesNoAnswers << yesNo;
    return dialog->start();
}

bool EditorHarness::create(const std::string& path, int layout)
{
    prompts.openFileAnswers << QString::fromStdString(path);
    prompts.choiceAnswers << layout;
    return dialog->start();
}

bool EditorHarness::showActive()
{
    dialog->show();
    dialog->activateWindow();
    return QTest::qWaitForWindowActive(dialog.get());
}

QPushButton* EditorHarness::button(const char* name) const
{
    return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
}

void EditorHarness::click(const char* name) const
{
    QTest::mouseClick(button(name), Qt::LeftButton);
}

QTreeWidget* EditorHarness::list() const
{
    return dialog->findChild<QTreeWidget*>(QStringLiteral("slotList"));
}

QLineEdit* EditorHarness::titleBox() const
{
    return dialog->findChild<QLineEdit*>(QStringLiteral("titleBox"));
}

QStringList EditorHarness::lines() const
{
    QStringList out;
    for (int i = 0; i < list()->topLevelItemCount(); ++i) {
        out << list()->topLevelItem(i)->text(SaveEditorDialog::LINE_COLUMN);
    }
    return out;
}

int EditorHarness::selectedRow() const
{
    const QList<QTreeWidgetItem*> items = list()->selectedItems();
    return items.isEmpty() ? -1 : list()->indexOfTopLevelItem(items.front());
}

void EditorHarness::select(int row)
{
    list()->setCurrentItem(list()->topLevelItem(row));
}

void EditorHarness::typeOver(const QString& text)
{
    titleBox()->setFocus();
    titleBox()->selectAll();
    typeText(titleBox(), text);
}

void EditorHarness::retitle(const QString& text)
{
    typeOver(text);
    QTest::keyClick(titleBox(), Qt::Key_Tab);
}

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        const auto key = c.isLetterOrNumber() && c.unicode() < 0x80 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Press, widget, key, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, key, QString(c), Qt::NoModifier);
    }
}

PackedImageBytes::PackedImageBytes() : image_(65536, 0)
{
    putLeBytes(image_, 0, 0x57A731D7, 4);
}

PackedImageBytes& PackedImageBytes::add(std::uint16_t type, const std::string& cp932Title, std::size_t dataBytes)
{
    const std::size_t size = (48 + dataBytes + 3) & ~std::size_t{3};
    putLeBytes(image_, end_, static_cast<std::uint32_t>(size), 2);
    putLeBytes(image_, end_ + 2, type, 2);
    putLeBytes(image_, end_ + 4, static_cast<std::uint32_t>(dataBytes), 4);
    std::copy(cp932Title.begin(), cp932Title.end(), image_.begin() + static_cast<long>(end_ + 16));
    for (std::size_t i = 0; i < dataBytes; ++i) image_[end_ + 48 + i] = 0xFF;
    end_ += size;
    return *this;
}
