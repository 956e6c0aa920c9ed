#include "controls/ControlHelpers.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "gui/MessageBoxes.h"
#include "platform/TextHelpers.h"

namespace tessel {
namespace {

const QString InternalErrorTitle = QStringLiteral("Internal Error");

bool internalError(MessageBoxes &messageBoxes, const QString &text)
{
    messageBoxes.show(text, MsgBoxStyle::OkOnly, InternalErrorTitle);
    return false;
}

} // namespace

bool GetCheck(const QAbstractButton *control, MessageBoxes &messageBoxes, std::optional<bool> greyValue)
{
    if (const auto *radio = qobject_cast<const QRadioButton *>(control))
        return radio->isChecked();
    const auto *check = qobject_cast<const QCheckBox *>(control);
    if (!check) {
        return internalError(
            messageBoxes, QStringLiteral("GetCheck: Tried to use GetCheck() with an inappropriate control."));
    }
    if (check->checkState() == Qt::PartiallyChecked) {
        if (!greyValue)
            return internalError(messageBoxes,
                                 QStringLiteral("GetCheck: Tristate control value not provided."));
        return *greyValue;
    }
    return check->checkState() != Qt::Unchecked;
}

void SelectListItem(QComboBox *list, const QString &text)
{
    for (int index = 0; index < list->count(); ++index) {
        if (list->itemText(index) == text) {
            list->setCurrentIndex(index);
            return;
        }
    }
}

void CentreForm(QWidget *dialog, const QWidget *owner)
{
    const QRect ownerFrame = owner->frameGeometry();
    const QSize size = dialog->frameGeometry().size();
    const int left = ownerFrame.left() + (ownerFrame.width() - size.width()) / 2;
    const int top = ownerFrame.top() + (ownerFrame.height() - size.height()) / 2;
    dialog->move(std::max(left, 0), std::max(top, 0));
}

void DisableInputs(QWidget *dialog)
{
    const QList<QWidget *> controls = dialog->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        if (control->window() != dialog)
            continue; // a window of its own, such as an options dialog it owns
        const auto *button = qobject_cast<QAbstractButton *>(control);
        const bool commandButton =
            button && !qobject_cast<QCheckBox *>(control) && !qobject_cast<QRadioButton *>(control);
        if (!commandButton)
            control->setEnabled(false);
    }
}

bool HasTextBesideBlanks(const QLineEdit *box)
{
    return !TrimChars(box->text(), QStringLiteral(" ")).isEmpty();
}

void NumericKeyFilter(int &key)
{
    constexpr int Backspace = 8;
    if (key != Backspace && (key < '0' || key > '9'))
        key = 0;
}

QFont FormFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    return font;
}

int TwipsToPixels(int twips)
{
    return int(std::lround(double(twips) / TwipsPerPixel));
}

QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

void SetTabOrder(const QList<QWidget *> &order)
{
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TabToSelectedOption(const QList<QRadioButton *> &group)
{
    const auto update = [group] {
        const bool anySelected = std::any_of(group.begin(), group.end(),
                                             [](const QRadioButton *option) { return option->isChecked(); });
        for (QRadioButton *option : group)
            option->setFocusPolicy(!anySelected || option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    };
    for (QRadioButton *option : group)
        QObject::connect(option, &QRadioButton::toggled, option, update);
    update();
}

QPushButton *PlacedButton(QWidget *container, const char *name, const QString &caption, QRect twips)
{
    auto *button = Placed(new QPushButton(caption, container), name, twips);
    button->setAutoDefault(false);
    return button;
}

BusyCursor::BusyCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

} // namespace tessel
