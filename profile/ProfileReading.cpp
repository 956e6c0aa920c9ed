#include "profile/ProfileReading.h"

#include "profile/ProfileCodec.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileNames.h"

namespace tessel {

namespace {

// A list is cut at the buffer size less two characters; one as long as that
// fills the buffer even when whole.
constexpr qsizetype LongestWholeList = ReadBufferLimit - 3;

QString LimitedValue(QString value)
{
    return value.size() <= LongestWholeValue ? value : QString();
}

QStringView WithoutTrailingBlanks(QStringView text)
{
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

} // namespace

QStringView StripQuotes(QStringView value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
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
        return LimitedValue(StripQuotes(*value).toString());
    const QString fitted = document.codec().fit(defaultValue.toString());
    return LimitedValue(StripQuotes(WithoutTrailingBlanks(fitted)).toString());
}

QString JoinNameList(const QStringList &names)
{
    if (names.isEmpty() || names.front().isEmpty())
        return {};
    qsizetype length = 0;
    for (const QString &name : names)
        length += name.size() + 1;
    if (length > LongestWholeList)
        return {};
    QString list;
    list.reserve(length);
    for (const QString &name : names)
        list.append(name).append(ListSeparator);
    return list;
}

} // namespace tessel
