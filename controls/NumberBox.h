#pragma once

#include <QLineEdit>

namespace tessel {

// A text box for a number. Typing passes through NumericKeyFilter, and
// however else text arrives (pasted by key, menu or middle click, dropped)
// an edit that adds anything but digits is refused as a whole. The sign or
// decimal point of a stored number shown with setStoredText stays until the
// user removes it.
class NumberBox final : public QLineEdit
{
    Q_OBJECT
public:
    explicit NumberBox(const QString &text, QWidget *parent = nullptr);

    // Shows a stored number's text, which may hold more than digits.
    void setStoredText(const QString &text);

private:
    class AddsDigitsOnly;
    AddsDigitsOnly *m_validator;
};

} // namespace tessel
