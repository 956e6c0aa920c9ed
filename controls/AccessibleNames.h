#pragma once

#include <QString>

class QWidget;

namespace tessel {

// The name under which assistive technology announces a control with the
// given caption: the caption as shown, without its access-key marker and
// without a closing colon ("Data Source &Name:" gives "Data Source Name").
QString AccessibleCaption(const QString &caption);

// Names every box, list and drop-down list of window that a label names (its
// buddy) after that label's caption as it reads now, so that a translated
// window is announced in its language. Lists need this: assistive technology
// does not look for their labels. Buttons, check boxes and option buttons are
// announced by their own captions.
void NameLabelledControls(QWidget *window);

} // namespace tessel
