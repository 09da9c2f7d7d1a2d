// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <algorithm>

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

// A modal progress dialog on the owner. Each new value lets the window
// process its events (Qt does so for a modal progress dialog), so the Cancel
// button works while the work runs on this thread.
class QtProgressDisplay : public ProgressDisplay {
public:
    QtProgressDisplay(const QString& text, QWidget* owner)
        : dialog_(text, QStringLiteral("Cancel"), 0, STEPS, owner)
    {
        dialog_.setObjectName(QStringLiteral("progressDialog"));
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(PROGRESS_DELAY_MS);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.setValue(0);
    }

    bool update(std::int64_t done, std::int64_t total) override
    {
        const int step = total > 0 ? static_cast<int>(std::clamp<std::int64_t>(done * STEPS / total, 0, STEPS)) : 0;
        if (step != dialog_.value()) dialog_.setValue(step);
        return !dialog_.wasCanceled();
    }

private:
    // The dialog's steps: fine enough for a smooth bar, few enough that
    // showing each costs nothing next to the work.
    static constexpr int STEPS = 1000;
    QProgressDialog dialog_;
};

}  // namespace

void QtPrompts::showMessage(const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::NoIcon, caption_, text, QMessageBox::Ok, owner_);
    if (!detail.isEmpty()) box.setInformativeText(detail);
    box.exec();
}

bool QtPrompts::askYesNo(const QString& text, const QString& detail, DefaultAnswer preset)
{
    QMessageBox box(QMessageBox::Question, caption_, text, QMessageBox::Yes | QMessageBox::No, owner_);
    if (!detail.isEmpty()) box.setInformativeText(detail);
    box.setDefaultButton(preset == DefaultAnswer::No ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool QtPrompts::askOkCancel(const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::Question, caption_, text, QMessageBox::Ok | QMessageBox::Cancel, owner_);
    if (!detail.isEmpty()) box.setInformativeText(detail);
    return box.exec() == QMessageBox::Ok;
}

std::optional<int> QtPrompts::askChoice(const QString& text, const QString& detail, const QStringList& answers,
                                        int preset)
{
    QMessageBox box(QMessageBox::Question, caption_, text, QMessageBox::Cancel, owner_);
    if (!detail.isEmpty()) box.setInformativeText(detail);
    QList<QAbstractButton*> buttons;
    for (const QString& answer : answers) buttons << box.addButton(answer, QMessageBox::AcceptRole);
    if (preset >= 0 && preset < buttons.size()) {
        box.setDefaultButton(static_cast<QPushButton*>(buttons[preset]));
    } else {
        box.setDefaultButton(QMessageBox::Cancel);
    }
    box.exec();
    const int chosen = static_cast<int>(buttons.indexOf(box.clickedButton()));
    return chosen >= 0 ? std::optional<int>(chosen) : std::nullopt;
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

std::unique_ptr<ProgressDisplay> QtPrompts::startProgress(const QString& text)
{
    return std::make_unique<QtProgressDisplay>(text, owner_);
}

void QtPrompts::showAbout(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner_);
    if (!icon_.isNull()) box.setIconPixmap(icon_.pixmap(32, 32));
    box.exec();
}
