#include "gui/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace tessel {

int QtMessageBoxes::show(const QString &text, int style, const QString &title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(text);
    switch (style) {
    case MsgBoxStyle::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgBoxStyle::YesNoQuestion:
    case MsgBoxStyle::YesNoCancelQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgBoxStyle::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgBoxStyle::Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    if (style == MsgBoxStyle::YesNoQuestion) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MsgBoxResult::Yes : MsgBoxResult::No;
    }
    if (style == MsgBoxStyle::YesNoCancelQuestion) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Cancel);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return MsgBoxResult::Yes;
        case QMessageBox::No:
            return MsgBoxResult::No;
        default:
            return MsgBoxResult::Cancel;
        }
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MsgBoxResult::Ok;
}

} // namespace tessel
