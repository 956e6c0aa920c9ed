#include "controls/SingleLineText.h"

#include <QLineEdit>

namespace tessel {

namespace {

bool BreaksLine(QChar c)
{
    return c == u'\r' || c == u'\n' || c == QChar(0);
}

} // namespace

QValidator::State SingleLineValidator::validate(QString &input, int &position) const
{
    if (std::none_of(input.cbegin(), input.cend(), BreaksLine))
        return Acceptable;
    QString joined;
    joined.reserve(input.size());
    int newPosition = position;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input[i];
        if (c == u'\r' && i + 1 < input.size() && input[i + 1] == u'\n') {
            if (i < position)
                --newPosition;
            continue; // the LF that follows stands for the whole break
        }
        joined.append(BreaksLine(c) ? QChar(u' ') : c);
    }
    input = joined;
    position = newPosition;
    return Acceptable;
}

void SingleLineValidator::fixup(QString &input) const
{
    int position = 0;
    validate(input, position);
}

void KeepOnOneLine(QLineEdit *box)
{
    box->setValidator(new SingleLineValidator(box));
}

} // namespace tessel
