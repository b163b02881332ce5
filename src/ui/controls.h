#pragma once
// Controls placed at fixed positions, named as their window's code names them.
class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

namespace gw {

// A label sized to its text.
QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int x, int y);
QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, int x, int y, int w,
                        int h);
// A check box sized to its caption, checked.
QCheckBox* MakeCheck(QWidget* parent, const char* name, const char* text, int x, int y);

} // namespace gw
