#pragma once

class QWidget;

namespace tessel {

// Alt with a character key is an access key. When its control can take it,
// the window's shortcuts take it before any box sees it; when the control is
// disabled, hidden or missing, the key would reach the box that holds the
// focus and type its letter there (or search a list for it). The boxes of
// window (text boxes, lists, drop-down lists) swallow such keys.
void SwallowStrayAccessKeys(QWidget *window);

} // namespace tessel
