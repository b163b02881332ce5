#include "gateway/USetPdo.h"

#include "gateway/frame_editor_sources.h"

#include "ui/look.h"

#include <QTableWidget>

namespace gw {

TFSetPdo* FSetPdo = nullptr;

TFSetPdo::TFSetPdo(QWidget* parent)
    : FrameEditorWindow(FrameListKind::Send,
                        {"FSetPdo",
                         "Send Frames",
                         {728, 513},
                         {{64, {}},
                          {121, kCobIdColour},
                          {84, kCobIdColour},
                          {91, kSwapColour},
                          {256, kMnemonicColour}},
                         20,
                         "LbButton4",
                         "LbButton3"},
                        CurrentProjectSources(FrameListKind::Send),
                        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint,
                        parent),
      LbButton4(okButton_), LbButton3(cancelButton_) {
    // The grid shows the window's background where there are no cells.
    QPalette p = sga->palette();
    p.setColor(QPalette::Base, kBackground);
    sga->setPalette(p);
    sga->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

} // namespace gw
