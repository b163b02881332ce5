#pragma once
// The send frames editor: the frames the gateway sends on the CAN bus
// (pdo.xml), with their swap codes.
#include "ui/frame_editor.h"

namespace gw {

class TFSetPdo : public FrameEditorWindow {
    Q_OBJECT
public:
    explicit TFSetPdo(QWidget* parent = nullptr);

    void LbButton4Click() { OkClick(); }         // OK
    void LbButton3Click() { CancelClick(); }     // Cancel
    void LbButton1Click() { CreateSwapClick(); } // Create SWAP

    QPushButton* LbButton4;
    QPushButton* LbButton3;
};

extern TFSetPdo* FSetPdo;

} // namespace gw
