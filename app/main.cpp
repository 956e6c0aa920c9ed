#include <QApplication>

#include "app/Main.h"
#include "platform/SafeFile.h"
#include "platform/TerminationSignals.h"

namespace {

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Tessel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSEL_VERSION));
}

} // namespace

int main(int argc, char *argv[])
{
    tessel::CatchTerminationSignals();
    tessel::ReportFileSizeLimitAsFullDisk();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // Answered on the terminal, without a display.
    if (tessel::IsInformationRequest(arguments)) {
        QCoreApplication application(argc, argv);
        nameApplication();
        return tessel::PrintInformation();
    }

    QApplication application(argc, argv);
    nameApplication();
    // Desktops find the menu entry, and with it the icon, by this name.
    QApplication::setDesktopFileName(QStringLiteral("tessel"));
    return tessel::Main();
}
