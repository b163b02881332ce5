#include "update/UBootSer.h"

#include "app/project_globals.h"
#include "ui/controls.h"
#include "ui/guard.h"
#include "ui/look.h"
#include "ui/prompts.h"
#include "ui/run_and_wait_qt.h"
#include "update/CommInt_qt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace gw {

TFBootSer* FBootSer = nullptr;

TFBootSer::TFBootSer(QWidget* parent)
    : ModalWindow(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint) {
    setObjectName("FBootSer");
    setWindowTitle("Update Firmware from Serial (RS232)");
    setModal(true);
    setFont(HouseFont());
    SetFixedClientSize(this, 358, 210);

    Label1 = MakeLabel(this, "Label1", "Follow this step to update the HD40931 from RS232:", 8, 8);
    Label2 = MakeLabel(this, "Label2", "1 - Turn OFF the Device", 24, 32);
    Label3 = MakeLabel(this, "Label3", "2 - Insert the Boot Jumper (see the manual)", 24, 56);
    Label4 =
        MakeLabel(this, "Label4", "3 - Select the  COM port and press the connect button", 24, 80);
    CB_Com = new QComboBox(this);
    CB_Com->setObjectName("CB_Com");
    CB_Com->setEditable(false);
    CB_Com->setGeometry(44, 96, 101, 21);
    LbButton1 = MakeButton(this, "LbButton1", "Connect", 152, 96, 81, 21);
    Label5 = MakeLabel(this, "Label5", "4 - Turn ON the Device", 24, 128);
    Label6 = MakeLabel(this, "Label6", "5 - Check the BOOT led. It must blink quickly", 24, 152);
    LbButton3 = MakeButton(this, "LbButton3", "Cancel", 24, 176, 100, 23);
    LbButton2 = MakeButton(this, "LbButton2", "Next", 128, 176, 100, 23);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(0, 0, 353, 209);
    Panel1->setAutoFillBackground(true); // covers Cancel and Next
    Label7 = MakeLabel(Panel1, "Label7", "Update Device Options", 8, 8);
    CB_Firm = MakeCheck(Panel1, "CB_Firm", "Firmware", 16, 32);
    CB_RFirm = MakeCheck(Panel1, "CB_RFirm", "Read Firmware when finish", 64, 56);
    CB_Proj = MakeCheck(Panel1, "CB_Proj", "Project", 16, 88);
    CB_RProj = MakeCheck(Panel1, "CB_RProj", "Read Project when finish", 64, 112);
    LbButton4 = MakeButton(Panel1, "LbButton4", "Execute update firmware", 8, 174, 169, 23);
    Panel1->hide();

    RefreshPortList();
    CB_Com->setCurrentIndex(0);

    Comm1.SetEventPoster(QtCommEventPoster());
    Comm1.OnDeviceLost = [this](TCustomComm*, const ECommError&) {
        Guarded(this, [this] { Comm1DeviceLost(); });
    };

    OnClick(LbButton1, this, &TFBootSer::LbButton1Click);
    OnClick(LbButton2, this, &TFBootSer::LbButton2Click);
    OnClick(LbButton3, this, &TFBootSer::LbButton3Click);
    OnClick(LbButton4, this, &TFBootSer::LbButton4Click);
}

void TFBootSer::RefreshPortList() {
    const QString keep = CB_Com->currentText();
    CB_Com->clear();
    for (const auto& name : SerialPortNames())
        CB_Com->addItem(QString::fromStdString(name));
    if (!keep.isEmpty())
        SelectPort(keep);
}

void TFBootSer::SelectPort(const QString& name) {
    int i = CB_Com->findText(name);
    if (i < 0) {
        CB_Com->addItem(name);
        i = CB_Com->count() - 1;
    }
    CB_Com->setCurrentIndex(i);
}

void TFBootSer::ShowSteps(bool visible) {
    for (QLabel* l : {Label1, Label2, Label3, Label4, Label5, Label6})
        l->setVisible(visible);
}

void TFBootSer::FormShow() {
    Panel1->hide();
    PortTested = false;
    ShowSteps(true);
    // Adapters plugged in since the last show appear; the choice stays.
    RefreshPortList();
}

void TFBootSer::LbButton1Click() {
    PortTested = false;
    try {
        Comm1.ClosePort();
    } catch (const std::exception&) {
    }
    try {
        Comm1.SetDeviceName(CB_Com->currentText().toStdString());
        Comm1.OpenPort();
        Comm1.SetDtrLine(true);
        PortTested = true;
    } catch (const std::exception&) {
        CurrentPrompts().Error(this, kMsgComPortCannotOpen);
    }
}

void TFBootSer::LbButton2Click() {
    if (!PortTested) {
        CurrentPrompts().Error(this, kMsgSelectOnePort);
        return;
    }
    Panel1->move(0, 0);
    Panel1->show();
    Panel1->raise();
    ShowSteps(false);
    // The updater needs the port.
    try {
        Comm1.ClosePort();
    } catch (const std::exception&) {
    }
}

void TFBootSer::LbButton3Click() {
    done(QDialog::Rejected);
}

std::string TFBootSer::ParameterText() const {
    UpdaterOptions o;
    o.Firmware = CB_Firm->isChecked();
    o.ReadFirmware = CB_RFirm->isChecked();
    o.Project = CB_Proj->isChecked();
    o.ReadProject = CB_RProj->isChecked();
    return UpdaterParameterText(CB_Com->currentText().toStdString(), o, Project.MasterDir,
                                Project.ProjectDir);
}

void TFBootSer::LbButton4Click() {
    UpdaterCommandLine = ParameterText();
    const std::string program = UpdaterProgramPath(Project.ExeDir, Project.DataDir);
    if (RunAndWait(program, UpdaterCommandLine, false, UpdaterWaitLimitMs) ==
        RunAndWaitResult::NotStarted)
        CurrentPrompts().Message(this, CannotStartText(program));
}

void TFBootSer::FormClose() {
    try {
        Comm1.ClosePort();
    } catch (const std::exception&) {
    }
}

QString PortLostText(const QString& port) {
    return QString("Error!! Com Port %1 is no longer available. Check the cable and press "
                   "Connect again.")
        .arg(port);
}

void TFBootSer::Comm1DeviceLost() {
    PortTested = false;
    const QString port = QString::fromStdString(Comm1.DeviceName());
    try {
        Comm1.ClosePort();
    } catch (const std::exception&) {
    }
    CurrentPrompts().Error(this, PortLostText(port));
}

void TFBootSer::done(int result) {
    FormClose();
    QDialog::done(result);
}

} // namespace gw
