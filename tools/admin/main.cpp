#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include "platform/AppPaths.h"
#include "platform/SafeFile.h"
#include "tools/admin/AdminTool.h"

int main(int argc, char *argv[])
{
    tessel::ReportFileSizeLimitAsFullDisk();
    QCoreApplication application(argc, argv);
    const QString applicationDir = tessel::ApplicationDirectory();
    const tessel::AdminFiles besideTessel{tessel::JoinPath(applicationDir, QStringLiteral("TESSEL.INI")),
                                          tessel::JoinPath(applicationDir, QStringLiteral("SRCS.INI"))};

    QFile out;
    out.open(stdout, QIODevice::WriteOnly);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return tessel::RunAdminCommand(arguments, besideTessel, out, err);
}
