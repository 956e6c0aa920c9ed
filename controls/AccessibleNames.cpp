#include "controls/AccessibleNames.h"

#include <QLabel>
#include <QWidget>

namespace tessel {

QString AccessibleCaption(const QString &caption)
{
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        // "&x" shows x underlined; "&&" shows one "&".
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        shown += caption[i];
    }
    shown = shown.trimmed();
    if (shown.endsWith(QLatin1Char(':')))
        shown.chop(1);
    return shown.trimmed();
}

void NameLabelledControls(QWidget *window)
{
    const QList<QLabel *> labels = window->findChildren<QLabel *>();
    for (const QLabel *label : labels) {
        if (label->window() == window && label->buddy())
            label->buddy()->setAccessibleName(AccessibleCaption(label->text()));
    }
}

} // namespace tessel
