// Every modal question, file chooser and program start of the windows goes
// through Prompts, so that tests can answer them and no test ever opens a
// real modal dialog.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QDialog;

// One file chooser. The filter is given in the classic form
// "NES files(*.nes)|*.nes|All files(*.*)|*.*||"; the first choice is in force.
struct FileChooser {
    QString title;              // what the chooser asks for, as its caption
    QString filter;
    QString defaultExtension;   // added to a typed name without one; empty for none
    QString initialFolder;      // may be empty
    QString initialName;        // preset file name, may be empty or a pattern like "*.gba"
    bool multiple = false;      // open chooser: several files at once
    bool mustExist = true;      // open chooser: only existing files
    bool confirmOverwrite = false;  // save chooser: ask before replacing a file
};

// The answer a question offers as its default: the one Enter gives.
enum class DefaultAnswer { Yes, No };

class Prompts {
public:
    virtual ~Prompts() = default;

    // A message with the single button "OK"; a detail that is not empty is
    // shown as a further line under the text.
    virtual void showMessage(const QString& text, const QString& detail) = 0;
    void showMessage(const QString& text) { showMessage(text, QString()); }
    // A question with "Yes" and "No"; true for Yes. A question whose Yes
    // could cost the user something offers No as its default.
    virtual bool askYesNo(const QString& text, DefaultAnswer preset) = 0;
    bool askYesNo(const QString& text) { return askYesNo(text, DefaultAnswer::Yes); }
    // A question with "OK" and "Cancel"; true for OK.
    virtual bool askOkCancel(const QString& text) = 0;

    // Open chooser for several files: the chosen paths, empty when cancelled.
    virtual QStringList chooseOpenFiles(const FileChooser& chooser) = 0;
    // Open chooser for one file: the chosen path, nullopt when cancelled.
    virtual std::optional<QString> chooseOpenFile(const FileChooser& chooser) = 0;
    // Save chooser: the chosen path, nullopt when cancelled.
    virtual std::optional<QString> chooseSaveFile(const FileChooser& chooser) = 0;

    // Starts a program detached, without arguments and without waiting.
    virtual bool startProgram(const QString& program) = 0;

    // The about box: caption, one line of text and "OK".
    virtual void showAbout(const QString& caption, const QString& text) = 0;

    // Runs one of the program's own dialogs modally and gives its result
    // (QDialog::Accepted or QDialog::Rejected).
    virtual int runDialog(QDialog& dialog) = 0;
};
