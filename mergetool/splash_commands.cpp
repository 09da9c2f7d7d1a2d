// SPDX-License-Identifier: GPL-3.0-or-later
// PocketNES's splash screen in the window: choosing the picture, clearing
// it, and the preview of what the cartridge shows. The picture becomes a
// splash screen in the core (splash_screen.h), exactly as romweld-cli makes it.
#include "merge_tool_dialog.h"

#include "image_messages.h"
#include "ini_profile.h"
#include "merge_tool_settings.h"
#include "path_text.h"
#include "prompts.h"
#include "qt_text.h"
#include "splash_screen.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace {

// The splash screen as the GBA shows it, from its 15-bit pixels.
QImage splashImage(const std::vector<unsigned char>& splash)
{
    QImage image(SPLASH_WIDTH, SPLASH_HEIGHT, QImage::Format_RGB32);
    unsigned char rgb[3];
    for (int y = 0; y < SPLASH_HEIGHT; ++y) {
        for (int x = 0; x < SPLASH_WIDTH; ++x) {
            splashPixelRgb(splash, x, y, rgb);
            image.setPixel(x, y, qRgb(rgb[0], rgb[1], rgb[2]));
        }
    }
    return image;
}

}  // namespace

bool MergeToolDialog::readSplash()
{
    splash_.clear();
    splashProblem_.clear();
    splashThumbnail_ = QPixmap();
    if (splashPath_.isEmpty()) return true;
    const SplashLoad load = loadSplashScreen(toPlatform(splashPath_));
    if (load.code != SplashCode::Ok) {
        splashProblem_ = fromPlatform(splashProblemText(toPlatform(splashPath_), load));
        return false;
    }
    splash_ = load.bytes;
    splashThumbnail_ = QPixmap::fromImage(splashImage(splash_).scaled(
        splashPreview_->contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return true;
}

const std::vector<unsigned char>* MergeToolDialog::splashForImage() const
{
    const ShellVariant* variant = currentVariant();
    return variant != nullptr && variant->isPocketNes == 1 && !splash_.empty() ? &splash_ : nullptr;
}

void MergeToolDialog::showSplashPreview()
{
    const ShellVariant* variant = currentVariant();
    const bool pocketNes = variant != nullptr && variant->isPocketNes == 1;
    splashButton_->setEnabled(pocketNes);
    clearSplashButton_->setEnabled(pocketNes && !splashPath_.isEmpty());
    splashPreview_->setEnabled(pocketNes);
    splashPreview_->setPixmap(QPixmap());
    if (!pocketNes) {
        // Korvalinde's layout has no place for a picture; a chosen one waits
        // for a PocketNES variant.
        splashPreview_->setText(QStringLiteral("PocketNES only"));
        splashPreview_->setToolTip(variant != nullptr ? fromPlatform(splashNeedsPocketNesText(variant->name)) : QString());
    } else if (splashPath_.isEmpty()) {
        splashPreview_->setText(QStringLiteral("No splash screen"));
        splashPreview_->setToolTip(QString());
    } else if (!splashProblem_.isEmpty()) {
        splashPreview_->setText(QStringLiteral("Can't be read"));
        splashPreview_->setToolTip(splashProblem_);
    } else {
        splashPreview_->setPixmap(splashThumbnail_);
        splashPreview_->setToolTip(splashPath_);
    }
}

void MergeToolDialog::onChooseSplash()
{
    if (!list_) return;
    takeFields();
    FileChooser chooser;
    chooser.title = QStringLiteral("Splash screen");
    chooser.filter = QStringLiteral("Pictures(*.png;*.jpg;*.jpeg;*.bmp;*.gif)|*.png;*.jpg;*.jpeg;*.bmp;*.gif|"
                                    "All files(*.*)|*.*||");
    chooser.initialFolder = fromPlatform(folderOf(toPlatform(splashPath_)));
    const std::optional<QString> chosen = prompts_.chooseOpenFile(chooser);
    if (!chosen || chosen->isEmpty()) return;
    // A picture that can't be used leaves the last choice as it was.
    const QString before = splashPath_;
    splashPath_ = *chosen;
    if (!readSplash()) {
        prompts_.showMessage(splashProblem_);
        splashPath_ = before;
        readSplash();
        return;
    }
    iniWriteString(settingsPath_, SETTINGS_CONFIG, "SplashScreen", toPlatform(splashPath_));
    updateSizeLabels();
    showFields();
}

void MergeToolDialog::onClearSplash()
{
    if (!list_) return;
    takeFields();
    splashPath_.clear();
    readSplash();
    iniWriteString(settingsPath_, SETTINGS_CONFIG, "SplashScreen", "");
    updateSizeLabels();
    showFields();
}
