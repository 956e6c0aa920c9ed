#include "platform/TextHelpers.h"

namespace tessel {

QString TrimChars(const QString &text, const QString &set)
{
    qsizetype left = 0;
    qsizetype right = text.size();
    while (left < right && set.contains(text[left]))
        ++left;
    while (right > left && set.contains(text[right - 1]))
        --right;
    return text.sliced(left, right - left);
}

QString TrimWhiteSpace(const QString &text)
{
    return TrimChars(text, WhiteSpaceChars);
}

QString NextToken(QString &text, const QString &separator)
{
    const qsizetype at = text.indexOf(separator);
    if (at < 0) {
        QString token = text;
        text.clear();
        return token;
    }
    QString token = text.left(at);
    text.remove(0, at + separator.size());
    return token;
}

} // namespace tessel
