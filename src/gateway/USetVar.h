#pragma once
// The receive frames editor: the frames the gateway receives on the CAN bus
// (sdo.xml), with their swap codes and Delete flags.
#include "ui/frame_editor.h"

namespace gw {

class TFSetVar : public FrameEditorWindow {
    Q_OBJECT
public:
    explicit TFSetVar(QWidget* parent = nullptr);

    void bitbtn1Click() { OkClick(); }           // OK
    void bitbtn2Click() { CancelClick(); }       // Cancel
    void LbButton1Click() { CreateSwapClick(); } // Create SWAP

    QPushButton* bitbtn1;
    QPushButton* bitbtn2;
};

extern TFSetVar* FSetVar;

} // namespace gw
