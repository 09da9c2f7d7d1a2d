// SPDX-License-Identifier: GPL-3.0-or-later
// Prompts answered by a script: every question, chooser and program start is
// recorded, and answers are taken from queues in order. A question without a
// scripted answer gets No / Cancel / a cancelled chooser and is noted in
// unanswered, so a test sees dialogs it did not expect.
#pragma once

#include "prompts.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class FakePrompts : public Prompts {
public:
    struct Call {
        QString kind;   // "message", "yesno", "okcancel", "choice", "openfiles", "openfile", "savefile", "start",
                        // "about", "dialog", "progress"
        QString text;   // message text, program path, about text, dialog caption, or progress text
        FileChooser chooser;
        QString detail;                             // a message's further line
        DefaultAnswer preset = DefaultAnswer::Yes;  // a Yes/No question's default
    };

    // Answers, taken from the front.
    QList<bool> yesNoAnswers;
    QList<bool> okCancelAnswers;
    QList<std::optional<int>> choiceAnswers;
    QList<QStringList> openFilesAnswers;
    QList<std::optional<QString>> openFileAnswers;
    QList<std::optional<QString>> saveFileAnswers;
    bool startResult = true;
    // Each script gets the dialog (not shown, not modal), may show it and
    // work its controls, and returns the result; without a script the dialog
    // counts as cancelled.
    QList<std::function<int(QDialog&)>> dialogScripts;
    // A progress display asks to stop at its update with this number
    // (counted from 1 over all displays); 0 never.
    int stopAtProgressUpdate = 0;

    // What happened.
    QList<Call> calls;
    // The answers each choice offered and the index of its default, in order.
    QList<QPair<QStringList, int>> choices;
    QStringList unanswered;
    // Every progress update (done, total), in order.
    QList<QPair<std::int64_t, std::int64_t>> progressUpdates;

    // Texts of every message box and question (choices too), in order.
    QStringList texts() const;
    // Calls of one kind.
    QList<Call> callsOf(const QString& kind) const;
    void clear();

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
};
