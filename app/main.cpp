#include <QApplication>

#include "app/Main.h"

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessel"));
    // Desktops find the menu entry, and with it the icon, by this name.
    QApplication::setDesktopFileName(QStringLiteral("tessel"));
    return tessel::Main();
}
