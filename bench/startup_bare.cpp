// The yardstick of start-up: a bare Qt program that shows one captioned button
// (and so loads a font) and ends once it is painted.
#include "startup_probe.h"

#include <QPushButton>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QPushButton button("New project");
    gwbench::QuitAfterPaint probe(&button);
    button.show();
    return QApplication::exec();
}
