#pragma once

#include <gtest/gtest.h>

#include <QFile>

#include "i18n/MessageTable.h"
#include "tests/support/TestFiles.h"

namespace tessel::test {

// Loads the translation file that ships with the program. A missing file fails
// the test: the table would quietly answer everything in English.
inline void loadShippedTable(MessageTable &table)
{
    const QString path = sourceDir() + QStringLiteral("/data/TESSEL.LRT");
    ASSERT_TRUE(QFile::exists(path)) << path.toStdString();
    const Result<void> loaded = table.LoadTable(path);
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
}

} // namespace tessel::test
