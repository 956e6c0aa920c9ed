#include "controls/FormCaption.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QVariant>

#include "i18n/MessageTable.h"

namespace tessel {

namespace {
const char *const EnglishCaptionProperty = "tesselEnglishCaption";
}

QList<FormCaption> FormCaption::ofWindow(QWidget *window)
{
    QList<FormCaption> captions;
    if (!window->windowTitle().isEmpty())
        captions.append(FormCaption(window, Kind::WindowTitle));
    for (QWidget *control : window->findChildren<QWidget *>()) {
        if (control->window() != window)
            continue;
        if (const std::optional<FormCaption> caption = ofControl(control);
            caption && !caption->text().isEmpty())
            captions.append(*caption);
    }
    return captions;
}

std::optional<FormCaption> FormCaption::ofControl(QWidget *control)
{
    if (qobject_cast<QAbstractButton *>(control))
        return FormCaption(control, Kind::ButtonText);
    if (qobject_cast<QLabel *>(control))
        return FormCaption(control, Kind::LabelText);
    if (qobject_cast<QGroupBox *>(control))
        return FormCaption(control, Kind::FrameTitle);
    return std::nullopt;
}

QString FormCaption::english() const
{
    const QVariant remembered = m_widget->property(EnglishCaptionProperty);
    return remembered.isValid() ? remembered.toString() : text();
}

QString FormCaption::text() const
{
    switch (m_kind) {
    case Kind::WindowTitle:
        return m_widget->windowTitle();
    case Kind::ButtonText:
        return static_cast<QAbstractButton *>(m_widget)->text();
    case Kind::LabelText:
        return static_cast<QLabel *>(m_widget)->text();
    case Kind::FrameTitle:
        return static_cast<QGroupBox *>(m_widget)->title();
    }
    Q_UNREACHABLE();
}

void FormCaption::setText(const QString &text) const
{
    switch (m_kind) {
    case Kind::WindowTitle:
        m_widget->setWindowTitle(text);
        return;
    case Kind::ButtonText:
        static_cast<QAbstractButton *>(m_widget)->setText(text);
        return;
    case Kind::LabelText:
        static_cast<QLabel *>(m_widget)->setText(text);
        return;
    case Kind::FrameTitle:
        static_cast<QGroupBox *>(m_widget)->setTitle(text);
        return;
    }
}

void FormCaption::showTranslation(const QString &translation) const
{
    m_widget->setProperty(EnglishCaptionProperty, english());
    setText(translation);
}

void TranslateForm(QWidget *window, const MessageTable &table)
{
    for (const FormCaption &caption : FormCaption::ofWindow(window))
        caption.showTranslation(table.Translate(caption.english()));
}

} // namespace tessel
