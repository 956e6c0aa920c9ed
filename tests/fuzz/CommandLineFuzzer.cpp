// The host's command-line parser against a plain split at the first three
// blanks, with each handle read by the reference number reading.
#include "FuzzCheck.h"
#include "ReferenceNumber.h"

#include "hostlink/HostCommandLine.h"

#include <QString>

#include <cmath>
#include <limits>
#include <optional>

using namespace tessel;
using namespace tessel::fuzz;

namespace {

using Parsed = Result<HostCommandLine, CommandLineError>;

std::optional<CommandLineError> ReferenceHandle(const QString &field, qint32 *handle)
{
    if (!ReferenceIsNumeric(field))
        return CommandLineError{TypeMismatch, field};
    const double rounded = std::nearbyint(ReadReferenceNumber(field).value);
    if (rounded < double(std::numeric_limits<qint32>::min()) || rounded > double(std::numeric_limits<qint32>::max()))
        return CommandLineError{Overflow, field};
    *handle = qint32(rounded);
    return std::nullopt;
}

Parsed ReferenceParse(const QString &text)
{
    HostCommandLine line;
    line.Text = text;
    const QStringList parts = text.split(u' ');
    qint32 *const handles[] = {&line.NotifyhWnd, &line.RefreshhWnd, &line.ShutdownhWnd};
    for (qsizetype i = 0; i < 3; ++i) {
        // A field exists while text remains after the blanks before it.
        if (parts.mid(i).join(u' ').isEmpty())
            return line;
        if (const auto error = ReferenceHandle(parts[i], handles[i]))
            return Failure{*error};
    }
    line.HostIniDir = parts.mid(3).join(u' ');
    return line;
}

void CheckSame(const Parsed &actual, const Parsed &expected)
{
    FUZZ_CHECK(actual.has_value() == expected.has_value());
    if (!expected) {
        FUZZ_CHECK(actual.error().Problem == expected.error().Problem);
        FUZZ_CHECK(actual.error().Field == expected.error().Field);
        return;
    }
    const HostCommandLine &line = *expected;
    const HostCommandLine &actualLine = *actual;
    FUZZ_CHECK(actualLine.Text == line.Text);
    FUZZ_CHECK(actualLine.NotifyhWnd == line.NotifyhWnd);
    FUZZ_CHECK(actualLine.RefreshhWnd == line.RefreshhWnd);
    FUZZ_CHECK(actualLine.ShutdownhWnd == line.ShutdownhWnd);
    FUZZ_CHECK(actualLine.HostIniDir == line.HostIniDir);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(QByteArrayView(data, qsizetype(size)));
    const Parsed parsed = ParseHostCommandLine(text);
    CheckSame(parsed, ReferenceParse(text));
    if (!parsed)
        FUZZ_CHECK(DescribeCommandLineError(parsed.error(), text).contains(parsed.error().Field));
    return 0;
}
