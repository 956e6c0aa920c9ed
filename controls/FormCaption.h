#pragma once

#include <optional>

#include <QList>
#include <QString>

class QWidget;

namespace tessel {

class MessageTable;

// One translatable design text of a window: the window's title, or the caption
// of a label, button, check box, option button or frame that belongs to it.
// The English text is remembered on the widget the first time a translation is
// shown, so a window can be translated again, into another language.
class FormCaption
{
public:
    // The non-empty captions of window and of its controls. Controls of another
    // window that happens to be a child of this one are not included.
    static QList<FormCaption> ofWindow(QWidget *window);

    QWidget *widget() const { return m_widget; }

    // The remembered English text, or the text shown when none is remembered.
    QString english() const;
    QString text() const;
    void showTranslation(const QString &translation) const;

private:
    enum class Kind {
        WindowTitle,
        ButtonText,
        LabelText,
        FrameTitle
    };

    FormCaption(QWidget *widget, Kind kind)
        : m_widget(widget)
        , m_kind(kind)
    { }
    static std::optional<FormCaption> ofControl(QWidget *control);
    void setText(const QString &text) const;

    QWidget *m_widget;
    Kind m_kind;
};

// Replaces the captions of window and of all its controls (window title,
// buttons, labels, check boxes, option buttons, frames) by their translations
// in table. The English captions are remembered on the widgets, so a window
// can be translated more than once.
void TranslateForm(QWidget *window, const MessageTable &table);

} // namespace tessel
