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

void GatewayWindowTest::ExpectOkAsksBeforeReplacing(const std::string& path,
                                                    const std::string& broken, QDialog* window,
                                                    const std::function<void()>& pressOk) {
    const QString question =
        QString::fromStdString(path) + " could not be read. Replace it with what is shown?";
    prompts.Clear();
    prompts.AnswerQuestion(false);
    pressOk();
    EXPECT_EQ(prompts.Texts(), QStringList{question});
    EXPECT_EQ(ReadFile(path), broken);
    EXPECT_NE(window->result(), QDialog::Accepted);

    prompts.Clear();
    prompts.AnswerQuestion(true);
    pressOk();
    EXPECT_EQ(prompts.Texts(), QStringList{question});
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_NE(ReadFile(path), broken);
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
