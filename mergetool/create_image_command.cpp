// "Create Image": the window's list, variant, file name and GBA title become
// a cartridge image.
#include "merge_tool_dialog.h"

#include "error_output_capture.h"
#include "image_writer.h"
#include "pocketnes_options_dialog.h"
#include "prompts.h"
#include "qt_text.h"

#include <QGuiApplication>

namespace {

// The game and maker codes romweld puts into every fixed header.
constexpr std::string_view GAME_CODE = "KVL";
constexpr std::string_view MAKER_CODE = "ZQ";

// The wait cursor for as long as the object lives.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString reasonText(const std::string& errorOutput, const QString& fallback)
{
    const QString text = fromPlatform(errorOutput).trimmed();
    return text.isEmpty() ? fallback : text;
}

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
    if (variantIndex_ < 0 || static_cast<std::size_t>(variantIndex_) >= variants_.size()) return;
    const ShellVariant& variant = variants_[static_cast<std::size_t>(variantIndex_)];

    if (variant.isPocketNes == 1) {
        PocketNesOptionsDialog options(prompts_, list_.get(), settingsPath_, this);
        if (prompts_.runDialog(options) != QDialog::Accepted) return;
    }

    const std::string output = toPlatform(gbaFileName_);
    // The header is fixed before the image takes the file's place, so a
    // failure at any step leaves the previous image as it was.
    const GbaHeaderFields header{toPlatform(gbaTitle_), std::string(GAME_CODE), std::string(MAKER_CODE)};
    int written = 0;
    std::string writerErrors;
    {
        const WaitCursor wait;
        ErrorOutputCapture capture;
        written = writeImage(folders_.configDir, output, list_.get(), variant.name, fixHeader_ ? &header : nullptr);
        writerErrors = capture.finish();
    }

    // A failed image must never pass for a finished one.
    if (written != 0) {
        prompts_.showMessage(QStringLiteral("Can't write the GBA image\n%1\n\n%2")
                                 .arg(gbaFileName_, reasonText(writerErrors, QStringLiteral("The image is incomplete."))));
    }
}
