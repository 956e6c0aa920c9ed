#pragma once

#include <QValidator>

class QLineEdit;

namespace tessel {

// Keeps a text box's text on one line however it arrives (typed, pasted,
// dropped): each line break (CR, LF or CR LF) and each NUL becomes a single
// blank, as the registry file cannot store them in a value.
class SingleLineValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;

    State validate(QString &input, int &position) const override;
    void fixup(QString &input) const override;
};

// Gives box a SingleLineValidator.
void KeepOnOneLine(QLineEdit *box);

} // namespace tessel
