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

    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text, YesNoDefault preset = YesNoDefault::Yes) override;
    bool askOkCancel(const QString& text) override;
    QStringList chooseOpenFiles(const FileChooser& chooser) override;
    std::optional<QString> chooseOpenFile(const FileChooser& chooser) override;
    std::optional<QString> chooseSaveFile(const FileChooser& chooser) override;
    bool startProgram(const QString& program) override;
    void showAbout(const QString& caption, const QString& text) override;
    int runDialog(QDialog& dialog) override;

private:
    QString caption_;
    QIcon icon_;
    QPointer<QWidget> owner_;
};

// "NES files(*.nes)|*.nes|All files(*.*)|*.*||" in Qt's form
// "NES files(*.nes) (*.nes);;All files(*.*) (*)". "*.*" means every file.
QString qtFileFilter(const QString& classicFilter);
