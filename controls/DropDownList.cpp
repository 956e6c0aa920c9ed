#include "controls/DropDownList.h"

#include <QListView>
#include <QProxyStyle>

namespace tessel {
namespace {

// Drops the list below the box, as a drop-down list does, rather than over
// it: a list laid over the box is sized by measuring every entry first.
class ListBelowStyle final : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

DropDownList::DropDownList(QWidget *parent)
    : QComboBox(parent)
{
    auto *style = new ListBelowStyle;
    style->setParent(this);
    setStyle(style);
    // Neither the list nor the box measures every entry.
    static_cast<QListView *>(view())->setUniformItemSizes(true);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
}

void DropDownList::showPopup()
{
    emit DropDown();
    QComboBox::showPopup();
}

} // namespace tessel
