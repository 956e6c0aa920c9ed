// Draws the "Not Implemented" notice picture of the ODBC configuration
// window: a rubber stamp tilted upwards to the right, black words on white,
// 200 by 214 pixels in 24-bit colour. Run once; the program uses the PNG
// that it writes (dialogs/images/not-implemented.png), not this tool.
//
//   tessel-stamp OUTPUT.png

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <cstdio>

namespace {

constexpr int PictureWidth = 200;
constexpr int PictureHeight = 214;
constexpr qreal TiltDegrees = -22.0; // negative turns the stamp up to the right
constexpr QSizeF StampSize(156.0, 84.0);
constexpr qreal OuterBorder = 5.0;
constexpr qreal InnerBorder = 1.5;
constexpr qreal BorderGap = 4.0;
constexpr qreal TextMargin = 7.0;

// The largest bold font at which text fits width.
QFont fittingFont(const QString &text, qreal width)
{
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setStyleHint(QFont::SansSerif);
    qreal size = 40.0;
    font.setPointSizeF(size);
    while (size > 4.0 && QFontMetricsF(font).horizontalAdvance(text) > width) {
        size -= 0.5;
        font.setPointSizeF(size);
    }
    return font;
}

void drawStamp(QPainter &painter)
{
    painter.translate(PictureWidth / 2.0, PictureHeight / 2.0);
    painter.rotate(TiltDegrees);

    const QRectF outer(-StampSize.width() / 2, -StampSize.height() / 2, StampSize.width(),
                       StampSize.height());
    painter.setPen(QPen(Qt::black, OuterBorder, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(outer);
    const qreal inset = OuterBorder / 2 + BorderGap + InnerBorder / 2;
    const QRectF inner = outer.adjusted(inset, inset, -inset, -inset);
    painter.setPen(QPen(Qt::black, InnerBorder, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(inner);

    const QString firstLine = QStringLiteral("NOT");
    const QString secondLine = QStringLiteral("IMPLEMENTED");
    const qreal textWidth = inner.width() - 2 * TextMargin;
    const QFont font = fittingFont(secondLine, textWidth);
    painter.setFont(font);
    const QRectF upperHalf(inner.left(), inner.top(), inner.width(), inner.height() / 2);
    const QRectF lowerHalf(inner.left(), inner.center().y(), inner.width(), inner.height() / 2);
    painter.drawText(upperHalf, Qt::AlignHCenter | Qt::AlignBottom, firstLine);
    painter.drawText(lowerHalf, Qt::AlignHCenter | Qt::AlignTop, secondLine);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessel-stamp OUTPUT.png\n");
        return 2;
    }

    QImage picture(PictureWidth, PictureHeight, QImage::Format_RGB888);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawStamp(painter);
    painter.end();

    const QString output = QString::fromLocal8Bit(argv[1]);
    if (!picture.save(output, "PNG")) {
        std::fprintf(stderr, "tessel-stamp: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
