#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The 8-bit code page in which profile files are read and written when they
// carry no byte-order mark. Every byte has a character, so reading and
// writing back an unchanged text gives the same bytes; the five bytes the
// code page leaves undefined stand for the control characters of the same
// number (0x81 is U+0081).
namespace tessel::Windows1252 {

// The character written as byte.
QChar ToUnicode(uchar byte);

QString Decode(QByteArrayView bytes);

// Each character the code page cannot hold becomes one "?" (a character
// outside the Basic Multilingual Plane too, not one "?" per UTF-16 unit).
QByteArray Encode(QStringView text);

// The text as it reads back after Encode: the same text when the code page
// holds every character of it (the common case costs no copy).
QString Fit(const QString &text);

} // namespace tessel::Windows1252
