#pragma once

#include <optional>

#include <QRect>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QWidget;

namespace tessel {

class MessageBoxes;

// Check box states as the dialogs number them.
namespace CheckState {
inline constexpr int Unchecked = 0;
inline constexpr int Checked = 1;
inline constexpr int Grey = 2;
}

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

// Number boxes: keeps the key code of a digit or Backspace (8), else 0.
void NumericKeyFilter(int &key);

// Positions of the windows' tables are in twips, 15 to a pixel.
inline constexpr int TwipsPerPixel = 15;
int TwipsToPixels(int twips);
QRect TwipsRect(int left, int top, int width, int height);

} // namespace tessel
