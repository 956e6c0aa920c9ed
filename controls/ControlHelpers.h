#pragma once

#include <optional>

#include <QList>
#include <QRect>
#include <QString>

class QAbstractButton;
class QComboBox;
class QFont;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tessel {

class MessageBoxes;

// Check box states as the dialogs number them.
namespace CheckState {
inline constexpr int Unchecked = 0;
inline constexpr int Checked = 1;
inline constexpr int Grey = 2;
} // namespace CheckState

// A check box or option button as a truth value. A grey check box gives
// greyValue; without one, and for any other control, an internal error is
// shown (untranslated, titled "Internal Error") and the answer is false.
bool GetCheck(const QAbstractButton *control, MessageBoxes &messageBoxes,
              std::optional<bool> greyValue = std::nullopt);

// Selects the first entry whose text equals text exactly; leaves the
// selection alone when there is none.
void SelectListItem(QComboBox *list, const QString &text);

// Centres dialog over owner, never at negative coordinates.
void CentreForm(QWidget *dialog, const QWidget *owner);

// Disables every control of dialog that is not a command button.
void DisableInputs(QWidget *dialog);

// False when the box holds nothing but blanks.
bool HasTextBesideBlanks(const QLineEdit *box);

// Number boxes: keeps the key code of a digit or Backspace (8), else 0.
void NumericKeyFilter(int &key);

// The font of every window: "Arial" 8.25 pt.
QFont FormFont();

// Positions of the windows' tables are in twips, 15 to a pixel.
inline constexpr int TwipsPerPixel = 15;
int TwipsToPixels(int twips);
QRect TwipsRect(int left, int top, int width, int height);

// Gives a control of a window's design its objectName and its place, twips
// relative to its container.
template<typename Control>
Control *Placed(Control *control, const char *name, QRect twips)
{
    control->setObjectName(QLatin1String(name));
    control->setGeometry(TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    return control;
}

// Shows the wait cursor over every window while it lives: long reads that
// block the event loop say so.
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// Tab moves through the controls in the order given.
void SetTabOrder(const QList<QWidget *> &order);

// Tab into a group of option buttons lands on its selected option (on every
// option while none is selected); within the group the arrow keys move.
void TabToSelectedOption(const QList<QRadioButton *> &group);

// A command button of a window's design. It is never the window's default
// button: Enter does not press it.
QPushButton *PlacedButton(QWidget *container, const char *name, const QString &caption, QRect twips);

} // namespace tessel
