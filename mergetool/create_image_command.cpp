// SPDX-License-Identifier: GPL-3.0-or-later
// "Create Image": the window's list, variant, file name and GBA title become
// a cartridge image.
#include "merge_tool_dialog.h"

#include "archive_path.h"
#include "file_io.h"
#include "create_image_report.h"
#include "gba_file_name.h"
#include "gba_header.h"
#include "image_messages.h"
#include "image_writer.h"
#include "path_text.h"
#include "pocketnes_options_dialog.h"
#include "prompts.h"
#include "qt_text.h"
#include "rom_admission.h"
#include "rom_dump_check.h"
#include "splash_screen.h"

#include <QGuiApplication>
#include <QStatusBar>

namespace {

// The busy cursor for as long as the object lives: the window is at work,
// yet its progress dialog's Cancel button still answers.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::BusyCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

void MergeToolDialog::onCreateImage()
{
    if (!list_ || variants_.empty()) return;
    takeFields();
    if (gbaFileName_.isEmpty()) {
        prompts_.showMessage(QStringLiteral("Set GBA Filename "));
        return;
    }
    if (list_->count == 0) {
        prompts_.showMessage(QStringLiteral("NES FileList is Empty"));
        return;
    }
    if (hasWildcard(gbaFileName_)) {
        prompts_.showMessage(wildcardNameText(gbaFileName_));
        return;
    }
    // The writer refuses the files the image is made of; romweld's own
    // settings and kept list are not among them, and would be lost.
    const std::string output = toPlatform(gbaFileName_);
    const std::string windowList = windowListPath();
    const bool isSettings = namesSameFile(output, settingsPath_);
    if (isSettings || (!windowList.empty() && namesSameFile(output, windowList))) {
        prompts_.showMessage(QStringLiteral("Can't write the GBA image\n%1\n\n%2")
                                 .arg(gbaFileName_, isSettings ? QStringLiteral("It is romweld's settings file.")
                                                               : QStringLiteral("It is where romweld keeps its list.")));
        return;
    }
    const ShellVariant* chosen = currentVariant();
    if (chosen == nullptr) return;
    if (!leaveOutUnreadableRoms()) return;
    const ShellVariant& variant = *chosen;
    // The last success no longer describes what is on disk.
    statusLine_->clearMessage();
    // romweld.cfg is read once for the command: the size asked about is the
    // size written.
    config_ = IniSnapshot::load(configPathOf(folders_.configDir));
    // The picture is read again, so the splash screen written is the
    // picture as it is now; one that can't be read writes nothing.
    if (variant.isPocketNes == 1 && !readSplash()) {
        updateSizeLabels();
        showFields();
        prompts_.showMessage(QStringLiteral("Can't write the GBA image\n%1\n\n%2").arg(gbaFileName_, splashProblem_));
        return;
    }
    if (!confirmImageSize(variant) || !confirmMappers(variant) || !confirmDumps()) return;

    if (variant.isPocketNes == 1) {
        PocketNesOptionsDialog options(prompts_, list_.get(), settingsPath_, this);
        if (prompts_.runDialog(options) != QDialog::Accepted) return;
    }

    // The header is fixed before the image takes the file's place, so a
    // failure at any step leaves the previous image as it was.
    const GbaHeaderFields header{toPlatform(gbaTitle_), std::string(GBA_DEFAULT_GAME_CODE),
                                 std::string(GBA_DEFAULT_MAKER_CODE)};
    CreateImageReport report(prompts_, QStringLiteral("Writing %1").arg(gbaFileName_));
    ImageWrite written = ImageWrite::Failed;
    {
        const BusyCursor busy;
        written = writeImage(folders_.configDir, config_, output, list_.get(), variant.name,
                             fixHeader_ ? &header : nullptr, report, padImage_,
                             ImageExtras{splashForImage(), trimOverdumps_});
        report.finish();
    }

    // A failed image must never pass for a finished one.
    if (written == ImageWrite::Cancelled) {
        statusLine_->showMessage(QStringLiteral("Cancelled: %1 was left as it was").arg(fromPlatform(fileNameOf(output))));
        statusLine_->setToolTip(gbaFileName_);
    } else if (written == ImageWrite::Written) {
        QString written = QStringLiteral("Image written: %1, %2 bytes, %3 ROMs")
                              .arg(fromPlatform(fileNameOf(output)))
                              .arg(static_cast<long long>(fileFactsOf(output).size))
                              .arg(list_->count - unreadableCount());
        if (fixHeader_) written += QStringLiteral("; GBA header fixed, title \"%1\"").arg(gbaTitle_);
        statusLine_->showMessage(written);
        statusLine_->setToolTip(gbaFileName_);
    } else {
        prompts_.showMessage(QStringLiteral("Can't write the GBA image\n%1\n\n%2")
                                 .arg(gbaFileName_, report.reasons(QStringLiteral("The image is incomplete."))));
    }
}

bool MergeToolDialog::leaveOutUnreadableRoms()
{
    // ROMs that could not be read at start may be back (a card mounted
    // since); those still unreadable are left out, and said so once.
    QStringList left;
    bool back = false;
    ArchiveMemberReader archives;
    for (RomEntry* e = list_->head; e != nullptr; e = e->next) {
        if (e->unreadable.empty()) continue;
        if (readmitRomEntry(list_.get(), e, &archives)) {
            back = true;
        } else {
            left << fromPlatform(e->path);
        }
    }
    if (back) {
        afterAdding(beforeAdding());
        showFields();
    }
    if (left.isEmpty()) return true;
    const bool anyLeft = left.size() < list_->count;
    prompts_.showMessage(QStringLiteral("These ROMs can't be read and are left out of the image:\n%1%2")
                             .arg(namesWithCount(left),
                                  anyLeft ? QString() : QStringLiteral("\n\nNo ROM is left to make an image of.")));
    return anyLeft;
}

int MergeToolDialog::unreadableCount() const
{
    int count = 0;
    for (const RomEntry* e = list_ ? list_->head : nullptr; e != nullptr; e = e->next) count += e->unreadable.empty() ? 0 : 1;
    return count;
}

bool MergeToolDialog::confirmImageSize(const ShellVariant& variant)
{
    const long long size = exactImageSize(folders_.configDir, config_, list_.get(), variant.name,
                                          ImageExtras{splashForImage(), trimOverdumps_});
    if (size <= GBA_CARTRIDGE_MAX) return true;
    return prompts_.askYesNo(QStringLiteral("The image would be %1 bytes, more than the 32 MiB a GBA cartridge can "
                                            "hold; it will not run. Create it anyway?")
                                 .arg(size),
                             DefaultAnswer::No);
}

bool MergeToolDialog::confirmDumps()
{
    QStringList bad;
    QStringList over;
    for (const RomEntry* e = list_->head; e != nullptr; e = e->next) {
        const DumpCheck check = checkRomDump(*e);
        const QString line = fromPlatform(romFileNameOf(e->path) + ": " + dumpCheckText(check));
        if (check.verdict == DumpVerdict::Bad) bad << line;
        if (check.verdict == DumpVerdict::Over && !trimOverdumps_) over << line;
    }
    if (bad.isEmpty() && over.isEmpty()) return true;
    QStringList parts;
    if (!bad.isEmpty()) {
        parts << QStringLiteral("These ROMs are shorter than their headers say; their records would be broken:\n\n") +
                     namesWithCount(bad);
    }
    if (!over.isEmpty()) {
        parts << QStringLiteral("These ROMs hold bytes beyond what their headers say; they are written as they are "
                                "(\"Trim overdumps to size\" leaves those bytes out):\n\n") +
                     namesWithCount(over);
    }
    // A broken record is refused unless the user says otherwise.
    const bool broken = !bad.isEmpty();
    parts << (broken ? QStringLiteral("Create the image anyway?") : QStringLiteral("Create the image?"));
    return prompts_.askYesNo(parts.join(QStringLiteral("\n\n")), broken ? DefaultAnswer::No : DefaultAnswer::Yes);
}

bool MergeToolDialog::confirmMappers(const ShellVariant& variant)
{
    QStringList lacking;
    for (const RomEntry* e = list_->head; e != nullptr; e = e->next) {
        if (e->unreadable.empty() && variantLacksMapper(variant, romImageMapper(*e))) {
            lacking << QStringLiteral("%1 (mapper %2)").arg(fromPlatform(romFileNameOf(e->path))).arg(romImageMapper(*e));
        }
    }
    if (lacking.isEmpty()) return true;
    return prompts_.askYesNo(QStringLiteral("%1 does not support the mapper of these ROMs; they will show a black "
                                            "screen:\n\n%2\n\nCreate the image anyway?")
                                 .arg(fromPlatform(variant.name), namesWithCount(lacking)),
                             DefaultAnswer::No);
}
