#pragma once
// The main window: the project workspace and the row of step buttons from which
// every editor and generator is reached.
#include "app/app_folders.h"

#include <QWidget>

#include <string>

class QAbstractButton;
class QAction;
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
inline constexpr const char* kReportCaption = "Commissioning report\u2026";
inline constexpr const char* kMsgReportNotShown =
    "The commissioning report was written to %1, but no program was found to show it.";
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
    // The background's context menu: writes bin/report.html and shows it.
    void ReportClick();

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
    QAction* ReportAction;

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

// What the desktop knows the program by, set the same way by the program and
// its start-up benchmark. The name is the title in the task bar and on
// message boxes: set it before any window is made.
void SetApplicationIdentity();

// The window icon comes from the icon theme, whose lookup reads the theme's
// folders: it is set once the main window has been painted, so the window
// does not wait for it.
void SetWindowIconAfterFirstPaint(QWidget* mainWindow);

} // namespace gw
