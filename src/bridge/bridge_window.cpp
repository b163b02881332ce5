#include "bridge/bridge_window.h"

#include "ui/prompts.h"

#include <QPushButton>

namespace gw {

void BridgeEditorWindow::EnsureBuilt() {
    if (built_)
        return;
    built_ = true;
    BuildContent();
    // Children made while the window is being shown are not shown with it.
    if (isVisible())
        for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            w->show();
}

QPushButton* BridgeEditorWindow::Button(QWidget* parent, const char* name, const char* caption,
                                        int x, int y, int w, int h) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(x, y, w, h);
    return b;
}

void BridgeEditorWindow::ShowLoad(const BridgeLoad& load, const std::string& path,
                                  const char* notFound, const char* readError) {
    failedPath_.clear();
    if (!load.fileFound) {
        CurrentPrompts().Message(this, notFound);
    } else if (load.error) {
        failedPath_ = path;
        CurrentPrompts().Error(this, readError);
    }
}

bool BridgeEditorWindow::MayReplaceDocument() {
    if (failedPath_.empty())
        return true;
    if (!CurrentPrompts().Question(this, windowTitle(), ReplaceUnreadableQuestion(failedPath_)))
        return false;
    failedPath_.clear();
    return true;
}

QString ReplaceUnreadableQuestion(const std::string& path) {
    return QString::fromStdString(path) + " could not be read. Replace it with what is shown?";
}

} // namespace gw
