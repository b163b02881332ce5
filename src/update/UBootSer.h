#pragma once
// The update wizard: guides the user through the device's boot mode, proves
// that the chosen serial port opens, and starts the external updater.
#include "update/CommInt.h"
#include "update/run_and_wait.h"

#include "ui/modal_window.h"

#include <QString>

#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QWidget;

namespace gw {

inline constexpr const char* kMsgComPortCannotOpen = "Error!! Com Port cannot be open.";
inline constexpr const char* kMsgSelectOnePort = "Select one port.";

// The tested port vanished (an adapter pulled) before Next.
QString PortLostText(const QString& port);

class TFBootSer : public ModalWindow {
    Q_OBJECT
public:
    explicit TFBootSer(QWidget* parent = nullptr);

    void FormShow() override;
    void LbButton1Click(); // Connect
    void LbButton2Click(); // Next
    void LbButton3Click(); // Cancel
    void LbButton4Click(); // Execute update firmware
    void FormClose();
    // The open port's device went away: untested, closed, and the user told.
    void Comm1DeviceLost();

    // The updater's parameter text from the current choices and project.
    std::string ParameterText() const;
    // Chooses `name` in the port list, adding it when the list lacks it (a
    // device path that the scan does not find, a pseudo-terminal in tests).
    void SelectPort(const QString& name);

    TComm Comm1;
    bool PortTested = false;
    std::string UpdaterCommandLine; // the last parameter text handed to the updater
    int UpdaterWaitLimitMs = kRunAndWaitLimitMs;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QComboBox* CB_Com;
    QPushButton* LbButton1;
    QLabel* Label5;
    QLabel* Label6;
    QPushButton* LbButton3;
    QPushButton* LbButton2;

    QWidget* Panel1;
    QLabel* Label7;
    QCheckBox* CB_Firm;
    QCheckBox* CB_RFirm;
    QCheckBox* CB_Proj;
    QCheckBox* CB_RProj;
    QPushButton* LbButton4;

    void done(int result) override;

private:
    void RefreshPortList();
    void ShowSteps(bool visible);
};

extern TFBootSer* FBootSer;

} // namespace gw
