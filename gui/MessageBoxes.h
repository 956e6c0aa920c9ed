#pragma once

#include <QString>

class QWidget;

namespace tessel {

// Button and icon styles of a message box, as the platform numbers them.
namespace MsgBoxStyle {
inline constexpr int OkOnly = 0;
inline constexpr int Critical = 16; // OK with the stop icon
inline constexpr int YesNoCancelQuestion = 35; // Yes, No and Cancel with the question icon
inline constexpr int YesNoQuestion = 36; // Yes and No with the question icon
inline constexpr int Exclamation = 48; // OK with the exclamation icon
inline constexpr int Information = 64; // OK with the information icon
} // namespace MsgBoxStyle

// The answer of a message box, as the platform numbers it.
namespace MsgBoxResult {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace MsgBoxResult

inline const QString ApplicationTitle = QStringLiteral("Tessel");

// Every message box of the program goes through this interface, so that tests
// can record what was shown and script the answer.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // Shows text with the buttons and icon of style; returns an MsgBoxResult.
    virtual int show(const QString &text, int style, const QString &title) = 0;
};

// Shows real Qt message boxes over the active window.
class QtMessageBoxes final : public MessageBoxes
{
public:
    int show(const QString &text, int style, const QString &title) override;
};

} // namespace tessel
