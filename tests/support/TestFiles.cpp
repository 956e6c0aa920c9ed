#include "tests/support/TestFiles.h"

#include <QFile>

#include <stdexcept>

namespace tessel::test {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

QString sourceDir()
{
    return qEnvironmentVariable("TESSEL_SOURCE_DIR");
}

} // namespace tessel::test
