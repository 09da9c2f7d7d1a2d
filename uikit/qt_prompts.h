// SPDX-License-Identifier: GPL-3.0-or-later
// Prompts for real: message boxes, file dialogs and detached processes.
#pragma once

#include "prompts.h"

#include <QIcon>
#include <QPointer>
#include <QWidget>

class QtPrompts : public Prompts {
public:
    // caption: the title of message boxes; icon: shown in the about box.
    QtPrompts(QString caption, QIcon icon);

    // The window the dialogs belong to.
    void setOwner(QWidget* owner) { owner_ = owner; }

    using Prompts::askChoice;
    using Prompts::askOkCancel;
    using Prompts::askYesNo;
    using Prompts::showMessage;
    void showMessage(const QString& text, const QString& detail) override;
    bool askYesNo(const QString& text, const QString& detail, DefaultAnswer preset) override;
    bool askOkCancel(const QString& text, const QString& detail) override;
    std::optional<int> askChoice(const QString& text, const QString& detail, const QStringList& answers,
                                 int preset) override;
    QStringList chooseOpenFiles(const FileChooser& chooser) override;
    std::optional<QString> chooseOpenFile(const FileChooser& chooser) override;
    std::optional<QString> chooseSaveFile(const FileChooser& chooser) override;
    bool startProgram(const QString& program) override;
    void showAbout(const QString& caption, const QString& text) override;
    int runDialog(QDialog& dialog) override;
    std::unique_ptr<ProgressDisplay> startProgress(const QString& text) override;

private:
    QString caption_;
    QIcon icon_;
    QPointer<QWidget> owner_;
};

// "NES files(*.nes)|*.nes|All files(*.*)|*.*||" in Qt's form
// "NES files (*.nes);;All files (*)": each label shows the patterns the
// choice really uses, once ("*.*" means every file, and a label's own
// parenthesised patterns, such as the "(*,*)" of an old label, give way).
QString qtFileFilter(const QString& classicFilter);

// How long work runs before its progress dialog shows, in milliseconds.
constexpr int PROGRESS_DELAY_MS = 500;
