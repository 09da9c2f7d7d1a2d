// The title box holds at most 31 bytes of cartridge text (CP932), however
// many characters that is on screen: an edit that would make the title
// longer is refused, as a full text box refuses a key.
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
};
