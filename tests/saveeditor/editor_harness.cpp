#include "editor_harness.h"

#include "ini_profile.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

void putLe(Bytes& bytes, std::size_t offset, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i) bytes[offset + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

std::uint32_t le32(const Bytes& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | bytes.at(offset + static_cast<std::size_t>(i));
    return value;
}

EditorHarness::EditorHarness()
    : dialog(std::make_unique<SaveEditorDialog>(prompts, dir.file("sramedit")))
{
}

std::string EditorHarness::setting(const char* key) const
{
    return iniReadString(ini(), "CONFIG", key, "<missing>", 4096);
}

bool EditorHarness::open(const std::string& path, QList<bool> yesNo)
{
    prompts.openFileAnswers << QString::fromStdString(path);
    prompts.yesNoAnswers << yesNo;
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

QListWidget* EditorHarness::list() const
{
    return dialog->findChild<QListWidget*>(QStringLiteral("slotList"));
}

QLineEdit* EditorHarness::titleBox() const
{
    return dialog->findChild<QLineEdit*>(QStringLiteral("titleBox"));
}

QStringList EditorHarness::lines() const
{
    QStringList out;
    for (int i = 0; i < list()->count(); ++i) out << list()->item(i)->text();
    return out;
}

int EditorHarness::selectedRow() const
{
    const QList<QListWidgetItem*> items = list()->selectedItems();
    return items.isEmpty() ? -1 : list()->row(items.front());
}

void EditorHarness::select(int row)
{
    list()->setCurrentRow(row);
}

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        const auto key = c.isLetterOrNumber() && c.unicode() < 0x80 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Press, widget, key, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, key, QString(c), Qt::NoModifier);
    }
}

SaveImageBytes::SaveImageBytes() : image_(65536, 0)
{
    putLe(image_, 0, 0xA838861A, 4);
    for (int s = 0; s < 7; ++s) putLe(image_, 4 + 40 * static_cast<std::size_t>(s), 0x41700417, 4);
}

SaveImageBytes& SaveImageBytes::useSlot(int s, const std::string& eucTitle, const Bytes& data)
{
    const std::size_t header = 4 + 40 * static_cast<std::size_t>(s);
    putLe(image_, header, 0x04174170, 4);
    std::copy(eucTitle.begin(), eucTitle.end(), image_.begin() + static_cast<long>(header + 4));
    const std::string ext = "sav";
    std::copy(ext.begin(), ext.end(), image_.begin() + static_cast<long>(header + 36));
    std::copy(data.begin(), data.end(), image_.begin() + 8192 * static_cast<long>(s + 1));
    return *this;
}

Bytes SaveImageBytes::bytes() const
{
    Bytes out = image_;
    std::uint32_t sum = 0;
    for (std::size_t offset = 0; offset <= 280; offset += 4) sum ^= le32(out, offset);
    putLe(out, 284, sum, 4);
    return out;
}

PackedImageBytes::PackedImageBytes() : image_(65536, 0)
{
    putLe(image_, 0, 0x57A731D7, 4);
}

PackedImageBytes& PackedImageBytes::add(std::uint16_t type, const std::string& cp932Title, std::size_t dataBytes)
{
    const std::size_t size = (48 + dataBytes + 3) & ~std::size_t{3};
    putLe(image_, end_, static_cast<std::uint32_t>(size), 2);
    putLe(image_, end_ + 2, type, 2);
    putLe(image_, end_ + 4, static_cast<std::uint32_t>(dataBytes), 4);
    std::copy(cp932Title.begin(), cp932Title.end(), image_.begin() + static_cast<long>(end_ + 16));
    for (std::size_t i = 0; i < dataBytes; ++i) image_[end_ + 48 + i] = 0xFF;
    end_ += size;
    return *this;
}
