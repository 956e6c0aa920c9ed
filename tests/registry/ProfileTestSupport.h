#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "registry/ProfileStore.h"
#include "tests/support/TestFiles.h"

#include <ostream>

// Texts in failure messages as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace tessel::test {

// The names of a list result of the store, in order.
inline QStringList SplitNameList(QString list)
{
    if (list.isEmpty())
        return {};
    EXPECT_EQ(list.back(), ListSeparator) << "a list ends with its separator";
    list.chop(1);
    return list.split(ListSeparator);
}

// A fresh directory for the profile files of one test.
class ProfileFileTest : public ::testing::Test
{
protected:
    QString path(const QString &name = QStringLiteral("TEST.INI")) const { return m_dir.filePath(name); }

    QString fileWith(const QByteArray &bytes, const QString &name = QStringLiteral("TEST.INI")) const
    {
        writeBytes(path(name), bytes);
        return path(name);
    }

    QTemporaryDir m_dir;
};

} // namespace tessel::test
