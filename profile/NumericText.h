#pragma once

#include <QStringView>
#include <QtGlobal>

// Numbers read from profile values and other texts. The leading decimal
// number of a text is: optional leading blanks, an optional sign, digits and
// an optional fraction; a text that does not begin with one reads as 0.
namespace tessel {

double LeadingNumber(QStringView text);

// Rounds to the nearest whole number, a half to the even neighbour.
double RoundHalfEven(double value);

// The leading number rounded to a whole number and held to the type's range.
qint32 WholeNumber32(QStringView text);
qint16 WholeNumber16(QStringView text);

// True when the whole text is one number: blanks, sign, digits, fraction,
// blanks ("12" and " 12" are numbers; "", "Auto" and "12a" are not).
bool IsNumericText(QStringView text);

} // namespace tessel
