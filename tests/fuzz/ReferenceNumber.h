#pragma once

#include <QStringView>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

// A plain reading of the leading decimal number of a text, written apart from
// the program's scanner to compare it with: [blanks][sign]digits[.digits],
// converted by the C library (the fuzzers never change the "C" locale).
namespace tessel::fuzz {

struct ReferenceNumber
{
    bool found = false;
    double value = 0;
    qsizetype end = 0;
};

inline bool IsNumberBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

inline bool IsAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

inline ReferenceNumber ReadReferenceNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && IsNumberBlank(text[i]))
        ++i;
    std::string number;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        number += char(text[i++].unicode());
    const std::size_t signLength = number.size();
    while (i < text.size() && IsAsciiDigit(text[i]))
        number += char(text[i++].unicode());
    if (number.size() == signLength)
        return {};
    if (i < text.size() && text[i] == u'.') {
        number += '.';
        ++i;
        while (i < text.size() && IsAsciiDigit(text[i]))
            number += char(text[i++].unicode());
    }
    return {true, std::strtod(number.c_str(), nullptr), i};
}

inline bool ReferenceIsNumeric(QStringView text)
{
    const ReferenceNumber number = ReadReferenceNumber(text);
    if (!number.found)
        return false;
    return std::all_of(text.begin() + number.end, text.end(), IsNumberBlank);
}

template<typename Int>
Int ReferenceWholeNumber(QStringView text)
{
    const double rounded = std::nearbyint(ReadReferenceNumber(text).value);
    if (rounded <= double(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    if (rounded >= double(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    return Int(rounded);
}

} // namespace tessel::fuzz
