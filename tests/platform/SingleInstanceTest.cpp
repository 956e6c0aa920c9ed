#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/SingleInstance.h"

using namespace tessel;

class SingleInstanceTest : public ::testing::Test
{
protected:
    void SetUp() override { qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit()); }
    QTemporaryDir runtime;
};

TEST_F(SingleInstanceTest, OneCopyPerExecutablePath)
{
    SingleInstance first(QStringLiteral("/opt/velum/tessel"));
    ASSERT_TRUE(first.claim());
    SingleInstance second(QStringLiteral("/opt/velum/tessel"));
    EXPECT_FALSE(second.claim());
    SingleInstance otherInstallation(QStringLiteral("/home/gis/velum/tessel"));
    EXPECT_TRUE(otherInstallation.claim());
}

TEST_F(SingleInstanceTest, AnEndedCopyNoLongerBlocks)
{
    {
        SingleInstance ended(QStringLiteral("/opt/velum/tessel"));
        ASSERT_TRUE(ended.claim());
    }
    SingleInstance next(QStringLiteral("/opt/velum/tessel"));
    EXPECT_TRUE(next.claim());
}
