#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("TESSEL_SOURCE_DIR"))
        qputenv("TESSEL_SOURCE_DIR", TESSEL_SOURCE_DIR);
    if (qEnvironmentVariableIsEmpty("TESSEL_APP_DIR"))
        qputenv("TESSEL_APP_DIR", TESSEL_APP_DIR);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
