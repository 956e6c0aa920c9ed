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

inline ReferenceNumber ReadReferenceNumber(QStringView text)
{
    qsizetype i = 0;
    std::string number;
    const auto take = [&](auto accepts, qsizetype most = -1) {
        for (; i < text.size() && most-- != 0 && accepts(text[i]); ++i)
            number += char(text[i].unicode());
    };
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    while (i < text.size() && IsNumberBlank(text[i]))
        ++i;
    take([](QChar c) { return c == u'+' || c == u'-'; }, 1);
    const std::size_t signLength = number.size();
    take(digit);
    if (number.size() == signLength)
        return {};
    take([](QChar c) { return c == u'.'; }, 1);
    take(digit);
    return {true, std::strtod(number.c_str(), nullptr), i};
}

inline bool ReferenceIsNumeric(QStringView text)
{
    const ReferenceNumber number = ReadReferenceNumber(text);
    return number.found && std::all_of(text.begin() + number.end, text.end(), IsNumberBlank);
}

inline double ReferenceRounded(QStringView text)
{
    return std::nearbyint(ReadReferenceNumber(text).value);
}

template<typename Int>
Int ReferenceWholeNumber(QStringView text)
{
    using Limits = std::numeric_limits<Int>;
    return Int(std::clamp(ReferenceRounded(text), double(Limits::min()), double(Limits::max())));
}

} // namespace tessel::fuzz
