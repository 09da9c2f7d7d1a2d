// SPDX-License-Identifier: GPL-3.0-or-later
// A title field holds at most so many bytes of cartridge text (CP932), and
// at most so many characters where the title has a character limit too (a
// double-byte character counts as one), however many characters that is on
// screen. A typed character that no longer fits is refused, as a full text
// box refuses a key; a longer paste keeps the first whole characters that
// fit, and the field's owner can ask whether that happened, to say so.
#pragma once

#include <QValidator>

class TitleByteLimit : public QValidator {
public:
    // maxChars 0: no character limit, only the bytes.
    explicit TitleByteLimit(int maxBytes, QObject* parent = nullptr, int maxChars = 0)
        : QValidator(parent), maxBytes_(maxBytes), maxChars_(maxChars) {}

    State validate(QString& input, int& pos) const override;

    // True once after a paste (or any text put in at once) was cut to fit.
    bool takeCut() const;

private:
    bool fits(const QString& text) const;

    int maxBytes_;
    int maxChars_;
    // The last text that passed, to tell one typed key from a paste.
    mutable QString accepted_;
    mutable bool cut_ = false;
};
