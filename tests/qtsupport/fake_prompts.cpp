// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_prompts.h"

namespace {

template <typename T>
T takeOr(QList<T>& queue, T fallback, QStringList& unanswered, const QString& what)
{
    if (queue.isEmpty()) {
        unanswered << what;
        return fallback;
    }
    return queue.takeFirst();
}

// Records each update in its prompts and asks to stop when told to.
class FakeProgress : public ProgressDisplay {
public:
    explicit FakeProgress(FakePrompts& prompts) : prompts_(prompts) {}
    bool update(std::int64_t done, std::int64_t total) override
    {
        prompts_.progressUpdates << qMakePair(done, total);
        return prompts_.progressUpdates.size() != prompts_.stopAtProgressUpdate;
    }

private:
    FakePrompts& prompts_;
};

}  // namespace

QStringList FakePrompts::texts() const
{
    QStringList out;
    for (const Call& c : calls) {
        if (c.kind == "message" || c.kind == "yesno" || c.kind == "okcancel" || c.kind == "choice") out << c.text;
    }
    return out;
}

QList<FakePrompts::Call> FakePrompts::callsOf(const QString& kind) const
{
    QList<Call> out;
    for (const Call& c : calls) {
        if (c.kind == kind) out << c;
    }
    return out;
}

void FakePrompts::clear()
{
    calls.clear();
    choices.clear();
    unanswered.clear();
    progressUpdates.clear();
}

void FakePrompts::showMessage(const QString& text, const QString& detail)
{
    calls << Call{"message", text, {}, detail, DefaultAnswer::Yes};
}

bool FakePrompts::askYesNo(const QString& text, const QString& detail, DefaultAnswer preset)
{
    calls << Call{"yesno", text, {}, detail, preset};
    return takeOr(yesNoAnswers, false, unanswered, "yesno: " + text);
}

bool FakePrompts::askOkCancel(const QString& text, const QString& detail)
{
    calls << Call{"okcancel", text, {}, detail, DefaultAnswer::Yes};
    return takeOr(okCancelAnswers, false, unanswered, "okcancel: " + text);
}

std::optional<int> FakePrompts::askChoice(const QString& text, const QString& detail, const QStringList& answers,
                                          int preset)
{
    calls << Call{"choice", text, {}, detail, DefaultAnswer::Yes};
    choices << qMakePair(answers, preset);
    return takeOr(choiceAnswers, std::optional<int>(), unanswered, "choice: " + text);
}

QStringList FakePrompts::chooseOpenFiles(const FileChooser& chooser)
{
    calls << Call{"openfiles", chooser.filter, chooser, {}, DefaultAnswer::Yes};
    return takeOr(openFilesAnswers, QStringList(), unanswered, "openfiles: " + chooser.filter);
}

std::optional<QString> FakePrompts::chooseOpenFile(const FileChooser& chooser)
{
    calls << Call{"openfile", chooser.filter, chooser, {}, DefaultAnswer::Yes};
    return takeOr(openFileAnswers, std::optional<QString>(), unanswered, "openfile: " + chooser.filter);
}

std::optional<QString> FakePrompts::chooseSaveFile(const FileChooser& chooser)
{
    calls << Call{"savefile", chooser.filter, chooser, {}, DefaultAnswer::Yes};
    return takeOr(saveFileAnswers, std::optional<QString>(), unanswered, "savefile: " + chooser.filter);
}

bool FakePrompts::startProgram(const QString& program)
{
    calls << Call{"start", program, {}, {}, DefaultAnswer::Yes};
    return startResult;
}

int FakePrompts::runDialog(QDialog& dialog)
{
    calls << Call{"dialog", dialog.windowTitle(), {}, {}, DefaultAnswer::Yes};
    if (dialogScripts.isEmpty()) {
        unanswered << "dialog: " + dialog.windowTitle();
        return QDialog::Rejected;
    }
    return dialogScripts.takeFirst()(dialog);
}

void FakePrompts::showAbout(const QString& caption, const QString& text)
{
    calls << Call{"about", caption + "|" + text, {}, {}, DefaultAnswer::Yes};
}

std::unique_ptr<ProgressDisplay> FakePrompts::startProgress(const QString& text)
{
    calls << Call{"progress", text, {}, {}, DefaultAnswer::Yes};
    return std::make_unique<FakeProgress>(*this);
}
