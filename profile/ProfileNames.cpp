#include "profile/ProfileNames.h"

namespace tessel {

bool HoldsLineBreak(QStringView text)
{
    return text.contains(u'\n') || text.contains(u'\r') || text.contains(QChar(0));
}

bool IsProfileBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

QStringView TrimProfileBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsProfileBlank(text[begin]))
        ++begin;
    while (end > begin && IsProfileBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

Result<void> CheckSectionName(QStringView section)
{
    const QStringView name = TrimProfileBlanks(section);
    if (HoldsLineBreak(name))
        return Failure{QStringLiteral("the section name holds a line break or NUL")};
    if (name.isEmpty())
        return Failure{QStringLiteral("the section name is empty")};
    if (name.contains(u']'))
        return Failure{QStringLiteral("the section name holds \"]\"")};
    return {};
}

Result<void> CheckEntryNames(QStringView section, QStringView key, QStringView value)
{
    if (const Result<void> sectionName = CheckSectionName(section); !sectionName)
        return sectionName;
    const QStringView name = TrimProfileBlanks(key);
    if (HoldsLineBreak(name))
        return Failure{QStringLiteral("the key holds a line break or NUL")};
    if (name.contains(u'='))
        return Failure{QStringLiteral("the key holds \"=\"")};
    if (name.startsWith(u';') || name.startsWith(u'['))
        return Failure{QStringLiteral("the key begins with \";\" or \"[\"")};
    if (HoldsLineBreak(value))
        return Failure{QStringLiteral("the value holds a line break or NUL")};
    return {};
}

} // namespace tessel
