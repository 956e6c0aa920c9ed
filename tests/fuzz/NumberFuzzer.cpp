// The number reader against the reference reading, on texts of any characters.
#include "FuzzCheck.h"
#include "ReferenceNumber.h"

#include "registry/NumericText.h"

#include <QString>

using namespace tessel;
using namespace tessel::fuzz;

namespace {

bool SameNumber(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

void CheckText(QStringView text)
{
    FUZZ_CHECK(SameNumber(LeadingNumber(text), ReadReferenceNumber(text).value));
    FUZZ_CHECK(IsNumericText(text) == ReferenceIsNumeric(text));
    FUZZ_CHECK(WholeNumber32(text) == ReferenceWholeNumber<qint32>(text));
    FUZZ_CHECK(WholeNumber16(text) == ReferenceWholeNumber<qint16>(text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    CheckText(QString::fromUtf8(bytes));
    CheckText(QString::fromLatin1(bytes));
    return 0;
}
