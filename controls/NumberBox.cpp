#include "controls/NumberBox.h"

#include <QValidator>

#include "controls/ControlHelpers.h"
#include "controls/KeyPressFilter.h"

namespace tessel {

// Accepts a text when its characters other than digits are a selection, in
// order, of those of the text before the edit: an edit may remove such
// characters and add digits, nothing else.
class NumberBox::AddsDigitsOnly final : public QValidator
{
public:
    explicit AddsDigitsOnly(QLineEdit *box)
        : QValidator(box)
        , m_before(box->text())
    {
        connect(box, &QLineEdit::textChanged, this, [this](const QString &text) { m_before = text; });
    }

    void expect(const QString &text) { m_before = text; }

    State validate(QString &input, int &) const override
    {
        qsizetype kept = 0;
        for (const QChar c : std::as_const(input)) {
            if (isDigit(c))
                continue;
            while (kept < m_before.size() && m_before.at(kept) != c)
                ++kept;
            if (kept == m_before.size())
                return Invalid;
            ++kept;
        }
        return Acceptable;
    }

private:
    static bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

    QString m_before;
};

NumberBox::NumberBox(const QString &text, QWidget *parent)
    : QLineEdit(text, parent)
    , m_validator(new AddsDigitsOnly(this))
{
    setValidator(m_validator);
    KeyPressFilter::install(this, NumericKeyFilter);
}

void NumberBox::setStoredText(const QString &text)
{
    m_validator->expect(text);
    setText(text);
}

} // namespace tessel
