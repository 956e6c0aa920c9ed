#include "profile/NumericText.h"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <limits>

#include <QByteArray>

namespace tessel {
namespace {

struct NumberScan
{
    double value = 0;
    qsizetype end = 0; // index after the number, or 0 when there is none
};

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

NumberScan scanLeadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const qsizetype numberStart = i;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    const qsizetype digitsStart = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    if (i == digitsStart)
        return {};
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
    }
    // The matched text is a plain decimal number; from_chars converts it
    // exactly and whatever the locale, so that halves stay halves.
    QByteArray number = text.sliced(numberStart, i - numberStart).toLatin1();
    if (number.startsWith('+'))
        number.remove(0, 1);
    double value = 0;
    const auto result = std::from_chars(number.constData(), number.constData() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone when it is beyond a double: with
        // a whole part other than zero it is too large, else too small.
        const qsizetype point = number.indexOf('.');
        const QByteArrayView whole = QByteArrayView(number).first(point < 0 ? number.size() : point);
        const bool tooLarge =
            std::any_of(whole.begin(), whole.end(), [](char c) { return c >= '1' && c <= '9'; });
        value = std::copysign(tooLarge ? HUGE_VAL : 0.0, number.startsWith('-') ? -1.0 : 1.0);
    }
    return {value, i};
}

template<typename Int>
Int heldToRange(double value)
{
    constexpr double lowest = double(std::numeric_limits<Int>::min());
    constexpr double highest = double(std::numeric_limits<Int>::max());
    return Int(std::clamp(RoundHalfEven(value), lowest, highest));
}

} // namespace

double LeadingNumber(QStringView text)
{
    return scanLeadingNumber(text).value;
}

double RoundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode sends a half to even
}

qint32 WholeNumber32(QStringView text)
{
    return heldToRange<qint32>(LeadingNumber(text));
}

qint16 WholeNumber16(QStringView text)
{
    return heldToRange<qint16>(LeadingNumber(text));
}

bool IsNumericText(QStringView text)
{
    const NumberScan scan = scanLeadingNumber(text);
    if (scan.end == 0)
        return false;
    for (qsizetype i = scan.end; i < text.size(); ++i) {
        if (!isBlank(text[i]))
            return false;
    }
    return true;
}

} // namespace tessel
