// The number reader against the reference reading, on texts of any characters.
#include "FuzzCheck.h"
#include "ReferenceNumber.h"

#include "profile/NumericText.h"

using namespace tessel;
using namespace tessel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Bytes(data, size);
    for (const QString &text : {QString::fromUtf8(bytes), QString::fromLatin1(bytes)}) {
        FUZZ_CHECK(LeadingNumber(text) == ReadReferenceNumber(text).value); // the reference is never NaN
        FUZZ_CHECK(IsNumericText(text) == ReferenceIsNumeric(text));
        FUZZ_CHECK(WholeNumber32(text) == ReferenceWholeNumber<qint32>(text));
        FUZZ_CHECK(WholeNumber16(text) == ReferenceWholeNumber<qint16>(text));
    }
    return 0;
}
