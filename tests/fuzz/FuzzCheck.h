#pragma once

#include <QByteArray>
#include <QStringList>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <vector>

// A broken invariant ends the run with a report, so that libFuzzer keeps the
// input that broke it (asserts would vanish from a release build).
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition);           \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

namespace tessel::fuzz {

inline QByteArray Bytes(const uint8_t *data, size_t n)
{
    return {reinterpret_cast<const char *>(data), qsizetype(n)};
}

inline QByteArray Bytes(const std::vector<uint8_t> &bytes)
{
    return Bytes(bytes.data(), bytes.size());
}

inline bool SameName(const QString &a, const QString &b)
{
    return a.toCaseFolded() == b.toCaseFolded();
}

inline qsizetype CountName(const QStringList &names, const QString &name)
{
    return std::count_if(names.begin(), names.end(),
                         [&](const QString &other) { return SameName(other, name); });
}

} // namespace tessel::fuzz
