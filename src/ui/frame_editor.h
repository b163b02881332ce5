#pragma once
// What the receive and send frames editors share: the frame table above a strip
// with OK, Cancel and "Create SWAP", the show that loads the list, OK that
// checks and saves it, and the swap dialog for the current row. The two windows
// differ only in their list, their sizes and the names of their controls.
#include "gateway/frame_list.h"
#include "ui/frame_table.h"

#include "ui/modal_window.h"

#include <functional>
#include <string>

class QPushButton;
class QTableWidget;
class QWidget;

namespace gw {

class FrameEditorWindow : public ModalWindow {
    Q_OBJECT
public:
    // Where the window finds its documents each time it is shown or saved (the
    // current project's, which may change between showings), and what "Create
    // SWAP" does with the table.
    struct Sources {
        std::function<std::string()> pargenPath;
        std::function<std::string()> listPath;
        std::function<void(QTableWidget*)> editSwap;
    };

    void FormShow() override;

    CobIdWidth Width() const { return width_; }

    QTableWidget* sga;
    QWidget* Panel1;
    QPushButton* LbButton1; // Create SWAP

protected:
    struct Look {
        const char* objectName;
        const char* caption;
        QSize size;
        std::vector<FrameColumnLook> columns;
        int rowHeight;
        const char* okName;
        const char* cancelName;
    };
    FrameEditorWindow(FrameListKind kind, const Look& look, Sources sources, Qt::WindowFlags flags,
                      QWidget* parent);

    void OkClick();
    void CancelClick();
    void CreateSwapClick();

    QPushButton* okButton_;
    QPushButton* cancelButton_;

private:
    FrameListKind kind_;
    Sources sources_;
    CobIdWidth width_ = CobIdWidth::Bits11;
    UnreadDocumentGuard listGuard_;
};

} // namespace gw
