#include "gateway_window_fixture.h"

#include "app/windows.h"

namespace gwtest {

void GatewayWindowTest::SetUpTestSuite() {
    static TempDir exeDir;
    static bool created = false;
    if (!created) {
        gw::CreateAllWindows(exeDir.Path());
        created = true;
    }
}

void GatewayWindowTest::SetUp() {
    gw::Project.ProjectDir = dir.Path();
    gw::SetProjectPaths(gw::Project);
}

QString InNextModal(const std::function<void()>& trigger,
                    const std::function<void(QWidget*)>& action) {
    QString opened;
    QTimer::singleShot(0, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            opened = w->objectName();
            action(w);
        }
    });
    trigger();
    // A dialog that never opened still has the timer pending: let it run now.
    QApplication::processEvents();
    return opened;
}

} // namespace gwtest
