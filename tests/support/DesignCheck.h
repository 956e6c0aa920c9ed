#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace tessel::test {

// One control as a window's design places it: its container's objectName,
// its place in twips and its caption (a frame's title, a box's text).
struct DesignedControl
{
    const char *name;
    const char *container;
    QRect twips;
    QString caption;
};

// Checks that every control of the design stands in window as designed.
void expectDesign(const QWidget &window, const QList<DesignedControl> &design);

// Checks that window cannot be resized, has a client area of clientTwips
// and shows the form font.
void expectFixedClientArea(const QWidget &window, QSize clientTwips);

} // namespace tessel::test
