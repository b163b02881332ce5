#include "gateway/Upargen.h"

#include "app/project_globals.h"
#include "ui/guard.h"
#include "ui/look.h"
#include "ui/prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace gw {

TFpargen* Fpargen = nullptr;

namespace {

template <class W> W* Place(W* w, const char* name, int x, int y, int width, int height) {
    w->setObjectName(name);
    w->setGeometry(x, y, width, height);
    return w;
}

QLabel* Caption(QWidget* parent, const char* text, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    return l;
}

} // namespace

TFpargen::TFpargen(QWidget* parent)
    : ModalWindow(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("Fpargen");
    setWindowTitle("SET COMMUNICATION");
    setModal(true);
    ApplyHouseLook(this);
    SetFixedClientSize(this, 250, 406);

    GroupBox1 = Place(new QGroupBox(" CAN ", this), "GroupBox1", 8, 10, 233, 245);
    Caption(GroupBox1, "Baud rate", 12, 26);
    CB_C_Baud = Place(new QComboBox(GroupBox1), "CB_C_Baud", 96, 22, 121, 21);
    for (const char* rate : pargen::kCanBaudRates)
        CB_C_Baud->addItem(rate);

    GroupBox2 = Place(new QGroupBox(" CAN Type ", GroupBox1), "GroupBox2", 8, 52, 217, 60);
    RB_C_Type_A = Place(new QRadioButton("CAN Bus 2.0A (CobID 11Bit)", GroupBox2), "RB_C_Type_A",
                        10, 18, 200, 17);
    RB_C_Type_B = Place(new QRadioButton("CAN Bus 2.0B (CobID 29Bit)", GroupBox2), "RB_C_Type_B",
                        10, 38, 200, 17);

    GroupBox3 = Place(new QGroupBox(" Send Data ", GroupBox1), "GroupBox3", 8, 118, 217, 66);
    RB_C_Send_Change = Place(new QRadioButton("Send Frame on Data Change", GroupBox3),
                             "RB_C_Send_Change", 10, 18, 200, 17);
    RB_C_Send_Every =
        Place(new QRadioButton("Send Data Every ", GroupBox3), "RB_C_Send_Every", 10, 42, 120, 17);
    E_C_Send_Time = Place(new QLineEdit(GroupBox3), "E_C_Send_Time", 132, 40, 52, 21);
    Caption(GroupBox3, "ms", 190, 43);

    GroupBox4 = Place(new QGroupBox(" TimeOut Data ", GroupBox1), "GroupBox4", 8, 190, 217, 48);
    Caption(GroupBox4, "Time Out Data", 10, 22);
    E_C_TO_time = Place(new QLineEdit(GroupBox4), "E_C_TO_time", 132, 18, 52, 21);
    Caption(GroupBox4, "s", 190, 22);

    GroupBox5 = Place(new QGroupBox(" PROFIBUS ", this), "GroupBox5", 8, 261, 233, 100);
    Caption(GroupBox5, "ID Dev.", 12, 24);
    E_Pro_ID = Place(new QLineEdit(GroupBox5), "E_Pro_ID", 96, 20, 52, 21);
    Caption(GroupBox5, "Baud rate", 12, 50);
    CB_Pro_Baud = Place(new QComboBox(GroupBox5), "CB_Pro_Baud", 96, 46, 121, 21);
    for (const char* rate : pargen::kProfiBaudRates)
        CB_Pro_Baud->addItem(rate);
    CB_Pro_Baud->setEnabled(false);
    CB_GDS = Place(new QCheckBox("Create GDS file from CAN Mapping", GroupBox5), "CB_GDS", 12, 74,
                   215, 17);

    bitbtn1 = Place(new QPushButton("OK", this), "bitbtn1", 36, 371, 75, 25);
    bitbtn2 = Place(new QPushButton("Cancel", this), "bitbtn2", 140, 371, 75, 25);
    OnClick(bitbtn1, this, &TFpargen::BitBtn1Click);
    OnClick(bitbtn2, this, &TFpargen::BitBtn2Click);

    ShowFields(PargenFields{});
}

void TFpargen::FormShow() {
    // A document that cannot be read leaves the values shown last.
    unread_.Load(Project.PargenPath, [this] { ShowFields(LoadPargenFields(Project.PargenPath)); });
}

PargenFields TFpargen::Fields() const {
    PargenFields f;
    f.canBaudIndex = CB_C_Baud->currentIndex();
    f.canType11Bit = RB_C_Type_A->isChecked();
    f.sendOnDataChange = RB_C_Send_Change->isChecked();
    f.sendTime = E_C_Send_Time->text().toStdString();
    f.timeOut = E_C_TO_time->text().toStdString();
    f.profiId = E_Pro_ID->text().toStdString();
    f.profiBaudIndex = CB_Pro_Baud->currentIndex();
    f.gsdFromMapping = CB_GDS->isChecked();
    return f;
}

void TFpargen::ShowFields(const PargenFields& f) {
    CB_C_Baud->setCurrentIndex(f.canBaudIndex);
    (f.canType11Bit ? RB_C_Type_A : RB_C_Type_B)->setChecked(true);
    (f.sendOnDataChange ? RB_C_Send_Change : RB_C_Send_Every)->setChecked(true);
    E_C_Send_Time->setText(QString::fromStdString(f.sendTime));
    E_C_TO_time->setText(QString::fromStdString(f.timeOut));
    E_Pro_ID->setText(QString::fromStdString(f.profiId));
    CB_Pro_Baud->setCurrentIndex(f.profiBaudIndex);
    CB_GDS->setChecked(f.gsdFromMapping);
}

bool TFpargen::ValidateInputs() {
    const PargenFields f = Fields();
    if (auto error = FirstPargenError(f)) {
        CurrentPrompts().Error(this, QString::fromStdString(*error));
        return false;
    }
    return true;
}

void TFpargen::BitBtn1Click() {
    if (!ValidateInputs() || !unread_.MayReplace(this))
        return;
    SavePargen(Project.PargenPath, Fields());
    done(QDialog::Accepted);
}

void TFpargen::BitBtn2Click() {
    done(QDialog::Rejected);
}

} // namespace gw
