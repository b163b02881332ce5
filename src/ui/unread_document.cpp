#include "ui/unread_document.h"

#include "ui/prompts.h"

#include <QApplication>

namespace gw {

QString ReplaceUnreadQuestion(const std::string& path) {
    return QString::fromStdString(path) + " could not be read. Replace it with what is shown?";
}

void UnreadDocumentGuard::Load(const std::string& path, const std::function<void()>& load) {
    path_ = path;
    unread_ = false;
    try {
        load();
    } catch (...) {
        unread_ = true;
        throw;
    }
}

void UnreadDocumentGuard::MarkUnread(const std::string& path) {
    path_ = path;
    unread_ = true;
}

bool UnreadDocumentGuard::MayReplace(QWidget* parent) const {
    if (!unread_)
        return true;
    return CurrentPrompts().Question(parent, QApplication::applicationDisplayName(),
                                     ReplaceUnreadQuestion(path_));
}

} // namespace gw
