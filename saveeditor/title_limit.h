// The title box holds at most 31 bytes of cartridge text (CP932), however
// many characters that is on screen. A typed character that no longer fits
// is refused, as a full text box refuses a key; a longer paste keeps the
// first 31 bytes' worth of whole characters.
#pragma once

#include <QValidator>

class TitleByteLimit : public QValidator {
public:
    explicit TitleByteLimit(int maxBytes, QObject* parent = nullptr)
        : QValidator(parent), maxBytes_(maxBytes) {}

    State validate(QString& input, int& pos) const override;
    int maxBytes() const { return maxBytes_; }

private:
    int maxBytes_;
    // The last text that passed, to tell one typed key from a paste.
    mutable QString accepted_;
};
