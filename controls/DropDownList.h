#pragma once

#include <QComboBox>

namespace tessel {

// A drop-down list that announces the opening of its list before the list
// shows, so that its owner can fill it afresh. The list drops below the box
// and never measures every entry, so it stays fast with a model of any size.
class DropDownList final : public QComboBox
{
    Q_OBJECT
public:
    explicit DropDownList(QWidget *parent = nullptr);
    void showPopup() override;

signals:
    void DropDown();
};

} // namespace tessel
