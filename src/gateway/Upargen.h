#pragma once
// The communication parameters dialog: CAN baud rate and identifier format,
// send mode and times, PROFIBUS address, kept in pargen.xml.
#include "gateway/pargen.h"

#include "ui/modal_window.h"
#include "ui/unread_document.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace gw {

class TFpargen : public ModalWindow {
    Q_OBJECT
public:
    explicit TFpargen(QWidget* parent = nullptr);

    void FormShow() override;
    void BitBtn1Click(); // OK
    void BitBtn2Click(); // Cancel
    // The three numeric fields in range; shows the first failure in an error box.
    bool ValidateInputs();

    // The controls as plain values, and back.
    PargenFields Fields() const;
    void ShowFields(const PargenFields& fields);

    QGroupBox* GroupBox1; // " CAN "
    QComboBox* CB_C_Baud;
    QGroupBox* GroupBox2; // " CAN Type "
    QRadioButton* RB_C_Type_A;
    QRadioButton* RB_C_Type_B;
    QGroupBox* GroupBox3; // " Send Data "
    QRadioButton* RB_C_Send_Change;
    QRadioButton* RB_C_Send_Every;
    QLineEdit* E_C_Send_Time;
    QGroupBox* GroupBox4; // " TimeOut Data "
    QLineEdit* E_C_TO_time;
    QGroupBox* GroupBox5; // " PROFIBUS "
    QLineEdit* E_Pro_ID;
    QComboBox* CB_Pro_Baud;
    QCheckBox* CB_GDS;
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;

private:
    UnreadDocumentGuard unread_;
};

extern TFpargen* Fpargen;

} // namespace gw
