#include "gateway/USetVar.h"

#include "gateway/frame_editor_sources.h"

namespace gw {

TFSetVar* FSetVar = nullptr;

TFSetVar::TFSetVar(QWidget* parent)
    : FrameEditorWindow(FrameListKind::Receive,
                        {"FSetVar",
                         "Receive Frames",
                         {780, 538},
                         {{64, {}},
                          {127, kCobIdColour},
                          {77, kCobIdColour},
                          {74, kSwapColour},
                          {45, kDeleteColour},
                          {240, kMnemonicColour}},
                         21,
                         "bitbtn1",
                         "bitbtn2"},
                        CurrentProjectSources(FrameListKind::Receive),
                        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                            Qt::WindowCloseButtonHint,
                        parent),
      bitbtn1(okButton_), bitbtn2(cancelButton_) {}

} // namespace gw
