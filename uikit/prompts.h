// SPDX-License-Identifier: GPL-3.0-or-later
// Every modal question, file chooser and program start of the windows goes
// through Prompts, so that tests can answer them and no test ever opens a
// real modal dialog.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

class QDialog;

// How far a long piece of work is, while it runs. It goes away with its
// object.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    // done of total units are done. False once the user asked to stop: the
    // work then ends, leaving nothing half done behind.
    virtual bool update(std::int64_t done, std::int64_t total) = 0;
};

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
    // could cost the user something offers No as its default. A detail that
    // is not empty is shown under the text, as for a message.
    virtual bool askYesNo(const QString& text, const QString& detail, DefaultAnswer preset) = 0;
    bool askYesNo(const QString& text, DefaultAnswer preset) { return askYesNo(text, QString(), preset); }
    bool askYesNo(const QString& text) { return askYesNo(text, QString(), DefaultAnswer::Yes); }
    // A question with "OK" and "Cancel"; true for OK.
    virtual bool askOkCancel(const QString& text, const QString& detail) = 0;
    bool askOkCancel(const QString& text) { return askOkCancel(text, QString()); }
    // A question with a button for each answer, then "Cancel": the index of
    // the answer chosen, nullopt for Cancel (or the close box). preset is the
    // index of the answer Enter gives; -1 makes Cancel the default.
    virtual std::optional<int> askChoice(const QString& text, const QString& detail, const QStringList& answers,
                                         int preset) = 0;
    std::optional<int> askChoice(const QString& text, const QStringList& answers, int preset)
    {
        return askChoice(text, QString(), answers, preset);
    }

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

    // A progress display with text and a "Cancel" button for work about to
    // start. It shows itself only when the work runs longer than about half
    // a second; until then the work goes on without it.
    virtual std::unique_ptr<ProgressDisplay> startProgress(const QString& text) = 0;
};
