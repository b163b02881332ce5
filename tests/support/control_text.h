#pragma once
// What a control shows as its text, whatever its kind.
#include <QString>

class QWidget;

namespace gwtest {

// A label's or button's caption, a combo box's current item, an edit's text;
// empty for anything else.
QString ControlText(const QWidget* widget);

} // namespace gwtest
