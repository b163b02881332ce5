#pragma once
// The main window: the project workspace and the row of step buttons from which
// every editor and generator is reached.
#include "app/app_folders.h"

#include <QWidget>

#include <string>

class QAbstractButton;
class QPushButton;
class QToolButton;

namespace gw {

class ClickableLabel;

inline constexpr const char* kCaptionPrefix = "Velmora Brinvale_SW40931_CAN 2 PROFIBUS-s :";
inline constexpr const char* kApplicationTitle = "Firmware Brinvale";
inline constexpr const char* kMsgProjectNotValid = "Project not valid";
inline constexpr const char* kOpenProjectTitle = "Select directory of project";
inline constexpr const char* kGsdFilter = "Generic Station Description (*.gsd)|*.gsd";
inline constexpr const char* kGsdSuffix = "gsd";
inline constexpr const char* kGsdSaveCaption = "Save As";
// The .xls filter first, as ever; the second shows every workbook the import reads.
inline constexpr const char* kExcelFilter =
    "File EXCEL (*.xls)|*.xls|Spreadsheets (*.xls *.xlsx *.ods)|*.xls;*.xlsx;*.ods";

class TFBrinvaleFirmWare : public QWidget {
    Q_OBJECT
public:
    // Runs the start-up in `folders`: MASTER, PROJECTS, settings file, current project.
    explicit TFBrinvaleFirmWare(const AppFolders& folders, QWidget* parent = nullptr);

    void SetProjectPaths();

    // Handlers.
    void NewaClick();
    void OpenaClick();
    void btn_str_lng1aClick(QAbstractButton* button);
    void CreateBinaClick();
    void AboutClick();
    void Label1Click();
    void LbButton1Click();

    // Initial folder of the spreadsheet open dialog, kept equal to ProjectDir.
    const QString& OpenExcelFolder() const { return openExcelFolder_; }

    QPushButton* New;
    QPushButton* open;
    QPushButton* btn_Prm_Gen;
    QPushButton* btn_Sdo;
    QPushButton* Btn_SetPDO;
    QPushButton* btn_Gds;
    QPushButton* CreateBin;
    QPushButton* btn_Pdo;
    QPushButton* btn_Emcy_Wd;
    QPushButton* btn_Emcy;
    QPushButton* btn_Info_Pdo;
    QPushButton* CreateSx;
    QToolButton* about;
    QPushButton* LbButton1;
    ClickableLabel* Label1;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void FormCreate(const AppFolders& folders);
    void FormClose();
    void GsdFileStep();
    void ShowCaption();

    QString openExcelFolder_;
};

extern TFBrinvaleFirmWare* FBrinvaleFirmWare;

} // namespace gw
