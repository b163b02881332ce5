#pragma once
// The firmware image window: splices the configuration banks into the
// delivered S-record firmware and hands the new file to the flash writer.
#include "update/firmware_image.h"

#include "ui/modal_window.h"

#include <array>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace gw {

inline constexpr const char* kMsgFirmwareFileNotFound =
    "Error! Firmware File not Found! Please reinstall the software.";
inline constexpr const char* kMsgFirmwareDirNotFound =
    "Error! Firmware Directory not Found! Please reinstall the software.";
inline constexpr const char* kFirmwareFilter = "File Sx (*.Sx)|*.Sx";
inline constexpr const char* kSelectBinDirTitle = "Select Directory Bin";
inline constexpr const char* kOptionsShow = "Options >>";
inline constexpr const char* kOptionsHide = "<< Options";
// The progress dialog of a long build.
inline constexpr const char* kBuildingText = "Building the new firmware...";

class TFModifyFileSx : public ModalWindow {
    Q_OBJECT
public:
    explicit TFModifyFileSx(QWidget* parent = nullptr);

    void FormShow() override;
    void OpenFileClick();
    void DirFileBinClick();
    void NewFileSxChange();
    void OptionsClick();
    void ExeModFileSxClick(); // BuildFirmwareImage alone
    void ExeUpdateFirClick(); // LaunchVozedUzidar alone
    void LbButton1Click();    // X
    void LbButton2Click();    // build, then launch when the build succeeded

    // The five stages over the source firmware; true when the new firmware
    // file was written.
    bool BuildFirmwareImage();
    // Starts the flash writer on the new firmware with the chosen port.
    void LaunchVozedUzidar();

    // The check box of a stage (1 to 5).
    QCheckBox* BankBox(int stage) const { return banks_[stage - 1]; }

    std::string SourceSxDir;            // the folder SourceSxName is found in
    std::string SourceSxName;           // file name of the source firmware
    std::string OutputDir;              // ProjectDir with a trailing separator
    std::string BinDir;                 // the bank files' folder, with a trailing separator
    std::string NewSxName;              // file name of the new firmware, follows NewFileSx
    std::string FlashWriterCommandLine; // the last parameter text handed to the flash writer
    int ProgressAfterMs = 1000;         // a build that lasts longer shows its progress dialog

    QPushButton* LbButton1;
    QPushButton* LbButton2;
    QComboBox* cbport;
    QProgressBar* Avanzamento;
    QGroupBox* GbBank;
    QCheckBox* Cbbank1;
    QCheckBox* Cbbank2;
    QCheckBox* Cbbank3;
    QCheckBox* Cbbank4;
    QCheckBox* Cbbank5;
    QPushButton* Options;
    QPushButton* DirFileBin;
    QPushButton* OpenFile;
    QLabel* Label3;
    QLineEdit* NewFileSx;
    QPushButton* ExeModFileSx;
    QPushButton* ExeUpdateFir;

protected:
    void showEvent(QShowEvent* e) override;

private:
    // Horizontally centred, the bottom edge at the middle of the screen.
    void PlaceOnScreen();
    void PaintBank(int stage, bool red);
    void UseSource(const std::string& dir, const std::string& name);

    std::array<QCheckBox*, kBankCount> banks_;
};

extern TFModifyFileSx* FModifyFileSx;

} // namespace gw
