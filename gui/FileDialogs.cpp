#include "gui/FileDialogs.h"

#include <QApplication>
#include <QFileDialog>

namespace tessel {

std::optional<QString> QtFileDialogs::getOpenFileName(const QString &title, const QString &filter)
{
    const QString path = QFileDialog::getOpenFileName(QApplication::activeWindow(), title, QString(), filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace tessel
