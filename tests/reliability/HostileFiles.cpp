#include "HostileFiles.h"

#include <QRandomGenerator>

#include <cstdio>

namespace tessel::test {

namespace {

constexpr qsizetype MiB = qsizetype(1) << 20;
constexpr qsizetype LongValueLength = 40'000;

} // namespace

ReliabilitySizes ReliabilitySizes::FromEnvironment()
{
    if (qEnvironmentVariableIsSet("TESSEL_RELIABILITY_FULL"))
        return {100 * MiB, 50 * MiB, 100'000};
    return {4 * MiB, 4 * MiB, 5'000};
}

std::vector<HostileRegistry> HostileRegistries(const ReliabilitySizes &sizes)
{
    QRandomGenerator random(6);
    QByteArray garbage(MiB, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);

    QByteArray singleLine = "[Roads]Type=1 ";
    singleLine.append(sizes.singleLineBytes - singleLine.size(), 'x');

    const QByteArray longValue = "[Roads]\r\nType=1\r\nDescription=" + QByteArray(LongValueLength, 'd')
                                 + "\r\n[Rivers]\r\nType=2\r\n";
    const QByteArray nulBytes = QByteArray("[Ro\0ads]\r\nType=1\0\r\n\0\0\0\r\n[Rivers]\r\nType=\0 2\r\n", 41);
    const QByteArray undefinedBytes = "[Caf\x81\x8D\x8F]\r\nType=1\r\n[\x90\x9D]\r\nType=\x81\r\n";
    const QByteArray brokenUtf8 = "\xEF\xBB\xBF[Stra\xC3]\r\nType=\xF0\x28\x8C\x28\r\n[\xFF\xFE]\r\n";

    return {
        {"random bytes", garbage, std::nullopt},
        {"one line", singleLine, QStringList{u"Roads"_qs}},
        {"a value of 40,000 characters", longValue, QStringList{u"Roads"_qs, u"Rivers"_qs}},
        {"NUL bytes", nulBytes, QStringList{QStringLiteral("Ro") + QChar(0) + u"ads", u"Rivers"_qs}},
        {"bytes Windows-1252 leaves undefined", undefinedBytes,
         QStringList{u"Caf\u0081\u008D\u008F"_qs, u"\u0090\u009D"_qs}},
        {"invalid UTF-8 after a byte-order mark", brokenUtf8,
         QStringList{u"Stra\uFFFD"_qs, u"\uFFFD\uFFFD"_qs}},
    };
}

QByteArray LargeRegistry(int count)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(count) * 90);
    for (int i = 1; i <= count; ++i) {
        const QByteArray number = QByteArray::number(i);
        bytes += "[Source " + number + "]\r\nType=" + QByteArray::number(i % 5 + 1)
                 + "\r\nDescription=Data source number " + number + "\r\nPrivate=0\r\n";
    }
    return bytes;
}

QByteArray LargeDldFile(qsizetype size, int *declarations)
{
    QByteArray bytes;
    bytes.reserve(size + 1024);
    *declarations = 0;
    while (bytes.size() < size) {
        bytes += "ENTITY DLD Entity " + QByteArray::number(++*declarations) + "\r\n";
        for (int point = 0; point < 40; ++point)
            bytes += "  POINT " + QByteArray::number(point * 1.25, 'f', 2) + ' '
                     + QByteArray::number(*declarations * 0.5, 'f', 2) + "\r\n";
    }
    return bytes;
}

void ReportFigure(const QString &text)
{
    std::printf("[figure] %s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace tessel::test
