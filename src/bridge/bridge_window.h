#pragma once
// What the bridge editors share as windows: the bottom bar with OK, Cancel,
// Export and Import, the messages of a document's load, and the question
// before OK replaces a document that could not be read.
#include "bridge/bridge_documents.h"

#include "ui/modal_window.h"

#include <string>

class QPushButton;

namespace gw {

class BridgeEditorWindow : public ModalWindow {
    Q_OBJECT
public:
    using ModalWindow::ModalWindow;

protected:
    // The controls are made on the first show, not at start-up, so that the
    // program's start does not pay for windows that are rarely opened.
    void EnsureBuilt();
    virtual void BuildContent() = 0;

    // A button of the window at a fixed place.
    QPushButton* Button(QWidget* parent, const char* name, const char* caption, int x, int y,
                        int w = 75, int h = 25);

    // Shows the message of a load that did not find or could not read `path`,
    // and remembers a failed load for OK.
    void ShowLoad(const BridgeLoad& load, const std::string& path, const char* notFound,
                  const char* readError);
    // True when OK may replace the document: it loaded, or the user agrees to
    // replace the one that could not be read with what is shown.
    bool MayReplaceDocument();
    // Asks before OK replaces `path` also when another fault left what is shown
    // short of what `path` holds.
    void RememberUnreadable(const std::string& path) { failedPath_ = path; }

private:
    bool built_ = false;
    std::string failedPath_; // the document whose last load failed
};

// The question OK asks before replacing a document that could not be read.
QString ReplaceUnreadableQuestion(const std::string& path);

} // namespace gw
