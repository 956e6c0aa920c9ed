#pragma once

#include <QByteArray>
#include <QString>

namespace tessel::test {

QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);

// The directory of the project's sources (for shared test data).
QString sourceDir();

} // namespace tessel::test
