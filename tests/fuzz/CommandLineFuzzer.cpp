// The host's command-line parser against a plain split at the first three
// blanks, with each handle read by the reference number reading.
#include "FuzzCheck.h"
#include "ReferenceNumber.h"

#include "hostlink/HostCommandLine.h"

#include <limits>
#include <tuple>

using namespace tessel;
using namespace tessel::fuzz;

namespace {

using Parsed = Result<HostCommandLine, CommandLineError>;

Parsed ReferenceParse(const QString &text)
{
    using Limits = std::numeric_limits<qint32>;
    HostCommandLine line;
    line.Text = text;
    const QStringList parts = text.split(u' ');
    qint32 *const handles[] = {&line.NotifyhWnd, &line.RefreshhWnd, &line.ShutdownhWnd};
    for (qsizetype i = 0; i < 3; ++i) {
        // A field exists while text remains after the blanks before it.
        if (parts.mid(i).join(u' ').isEmpty())
            return line;
        if (!ReferenceIsNumeric(parts[i]))
            return Failure{CommandLineError{TypeMismatch, parts[i]}};
        const double rounded = ReferenceRounded(parts[i]);
        if (rounded < double(Limits::min()) || rounded > double(Limits::max()))
            return Failure{CommandLineError{Overflow, parts[i]}};
        *handles[i] = qint32(rounded);
    }
    line.HostIniDir = parts.mid(3).join(u' ');
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(Bytes(data, size));
    const Parsed actual = ParseHostCommandLine(text);
    const Parsed expected = ReferenceParse(text);
    FUZZ_CHECK(actual.has_value() == expected.has_value());
    if (!expected) {
        FUZZ_CHECK(actual.error().Problem == expected.error().Problem);
        FUZZ_CHECK(actual.error().Field == expected.error().Field);
        FUZZ_CHECK(DescribeCommandLineError(actual.error(), text).contains(actual.error().Field));
        return 0;
    }
    const auto fields = [](const HostCommandLine &line) {
        return std::tie(line.Text, line.NotifyhWnd, line.RefreshhWnd, line.ShutdownhWnd, line.HostIniDir);
    };
    FUZZ_CHECK(fields(*actual) == fields(*expected));
    return 0;
}
