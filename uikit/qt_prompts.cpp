#include "qt_prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>

QtPrompts::QtPrompts(QString caption, QIcon icon) : caption_(std::move(caption)), icon_(std::move(icon)) {}

QString qtFileFilter(const QString& classicFilter)
{
    const QStringList parts = classicFilter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
        }
        QString label = parts[i].trimmed();
        if (label.endsWith(QLatin1Char(')')) && label.contains(QLatin1Char('('))) {
            label = label.left(label.lastIndexOf(QLatin1Char('('))).trimmed();
        }
        filters << label + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

namespace {

// Sets up a file dialog the way every chooser of the tools is set up.
void prepare(QFileDialog& dialog, const FileChooser& chooser)
{
    if (!chooser.title.isEmpty()) dialog.setWindowTitle(chooser.title);
    dialog.setNameFilter(qtFileFilter(chooser.filter));
    if (!chooser.defaultExtension.isEmpty()) dialog.setDefaultSuffix(chooser.defaultExtension);
    if (!chooser.initialFolder.isEmpty()) dialog.setDirectory(chooser.initialFolder);
    if (!chooser.initialName.isEmpty()) {
        // A preset name may carry its folder.
        const QFileInfo info(chooser.initialName);
        if (chooser.initialName.contains(QLatin1Char('/'))) dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    dialog.setOption(QFileDialog::ReadOnly, false);
}

}  // namespace

void QtPrompts::showMessage(const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::NoIcon, caption_, text, QMessageBox::Ok, owner_);
    if (!detail.isEmpty()) box.setInformativeText(detail);
    box.exec();
}

bool QtPrompts::askYesNo(const QString& text, DefaultAnswer preset)
{
    QMessageBox box(QMessageBox::Question, caption_, text, QMessageBox::Yes | QMessageBox::No, owner_);
    box.setDefaultButton(preset == DefaultAnswer::No ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool QtPrompts::askOkCancel(const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption_, text, QMessageBox::Ok | QMessageBox::Cancel, owner_);
    return box.exec() == QMessageBox::Ok;
}

QStringList QtPrompts::chooseOpenFiles(const FileChooser& chooser)
{
    QFileDialog dialog(owner_);
    prepare(dialog, chooser);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(chooser.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

std::optional<QString> QtPrompts::chooseOpenFile(const FileChooser& chooser)
{
    QFileDialog dialog(owner_);
    prepare(dialog, chooser);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(chooser.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.front();
}

std::optional<QString> QtPrompts::chooseSaveFile(const FileChooser& chooser)
{
    QFileDialog dialog(owner_);
    prepare(dialog, chooser);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !chooser.confirmOverwrite);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.front();
}

bool QtPrompts::startProgram(const QString& program)
{
    return QProcess::startDetached(program, {});
}

int QtPrompts::runDialog(QDialog& dialog)
{
    return dialog.exec();
}

void QtPrompts::showAbout(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner_);
    if (!icon_.isNull()) box.setIconPixmap(icon_.pixmap(32, 32));
    box.exec();
}
