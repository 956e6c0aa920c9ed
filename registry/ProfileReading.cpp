#include "registry/ProfileReading.h"

#include "registry/ProfileDocument.h"
#include "registry/ProfileStore.h"

namespace tessel {

namespace {

// A value is cut at the buffer size less one character, a list at the buffer
// size less two; a text as long as that fills the buffer even when whole.
constexpr qsizetype ValueMargin = 1;
constexpr qsizetype ListMargin = 2;

bool FitsLargestBuffer(qsizetype length, qsizetype margin)
{
    return length < ReadBufferLimit - margin;
}

QString LimitedValue(QString value)
{
    return FitsLargestBuffer(value.size(), ValueMargin) ? value : QString();
}

QStringView WithoutTrailingBlanks(QStringView text)
{
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

} // namespace

bool FitsReadBuffer(QStringView value)
{
    return FitsLargestBuffer(value.size(), ValueMargin);
}

QString StripQuotes(QStringView value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return value.sliced(1, value.size() - 2).toString();
    return value.toString();
}

QString LookupString(const ProfileDocument &document, QStringView section, QStringView key,
                     QStringView defaultValue)
{
    return ReadValue(document, document.value(section, key), defaultValue);
}

QString ReadValue(const ProfileDocument &document, const std::optional<QString> &value,
                  QStringView defaultValue)
{
    if (value)
        return LimitedValue(StripQuotes(*value));
    const QString fitted = document.codec().fit(defaultValue.toString());
    return LimitedValue(StripQuotes(WithoutTrailingBlanks(fitted)));
}

QString JoinNameList(const QStringList &names)
{
    if (names.isEmpty() || names.front().isEmpty())
        return {};
    qsizetype length = 0;
    for (const QString &name : names)
        length += name.size() + 1;
    if (!FitsLargestBuffer(length, ListMargin))
        return {};
    QString list;
    list.reserve(length);
    for (const QString &name : names)
        list.append(name).append(ListSeparator);
    return list;
}

} // namespace tessel
