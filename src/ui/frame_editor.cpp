#include "ui/frame_editor.h"

#include "ui/guard.h"
#include "ui/look.h"

#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace gw {

namespace {

QPushButton* StripButton(QWidget* strip, const char* name, const char* caption, int x, int w) {
    auto* b = new QPushButton(caption, strip);
    b->setObjectName(name);
    b->setGeometry(x, 8, w, 25);
    return b;
}

} // namespace

FrameEditorWindow::FrameEditorWindow(FrameListKind kind, const Look& look, Sources sources,
                                     Qt::WindowFlags flags, QWidget* parent)
    : ModalWindow(parent, flags), kind_(kind), sources_(std::move(sources)) {
    setObjectName(look.objectName);
    setWindowTitle(look.caption);
    setModal(true);
    ApplyHouseLook(this);
    resize(look.size);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    sga = new QTableWidget(this);
    sga->setObjectName("sga");
    SetupFrameTable(sga, kind, look.columns, look.rowHeight);
    layout->addWidget(sga);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(41);
    Panel1->setAutoFillBackground(true);
    layout->addWidget(Panel1);

    okButton_ = StripButton(Panel1, look.okName, "OK", 8, 89);
    cancelButton_ = StripButton(Panel1, look.cancelName, "Cancel", 105, 89);
    LbButton1 = StripButton(Panel1, "LbButton1", "Create SWAP", 202, 105);

    SetOkButton(okButton_);
    OnClick(okButton_, this, &FrameEditorWindow::OkClick);
    OnClick(cancelButton_, this, &FrameEditorWindow::CancelClick);
    OnClick(LbButton1, this, &FrameEditorWindow::CreateSwapClick);
}

void FrameEditorWindow::FormShow() {
    ShowFrameDocument(kind_, sources_.pargenPath(), sources_.listPath(), sga, this, width_,
                      listGuard_);
}

void FrameEditorWindow::OkClick() {
    if (!ValidateFrameRows(kind_, sga, width_, this) || !listGuard_.MayReplace(this))
        return;
    SaveFrameDocument(kind_, TableToGrid(kind_, sga), sources_.listPath());
    done(QDialog::Accepted);
}

void FrameEditorWindow::CancelClick() {
    done(QDialog::Rejected);
}

void FrameEditorWindow::CreateSwapClick() {
    sources_.editSwap(sga);
}

} // namespace gw
