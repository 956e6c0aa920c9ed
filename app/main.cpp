#include <QApplication>

#include "app/Main.h"

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessel"));
    return tessel::Main();
}
