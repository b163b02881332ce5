#include "app/UBrinvaleFirmWare.h"

#include "app/Unewp.h"
#include "app/project_globals.h"
#include "bridge/UInfoPdo.h"
#include "bridge/UWemcy.h"
#include "bridge/Uemcy.h"
#include "bridge/Updo.h"
#include "common/maker.h"
#include "common/project_files.h"
#include "extras/UAbout.h"
#include "gateway/USetPdo.h"
#include "gateway/USetVar.h"
#include "gateway/Upargen.h"
#include "output/bank_image.h"
#include "output/commissioning_report.h"
#include "output/gsd_file.h"
#include "ui/after_first_paint.h"
#include "ui/clickable_label.h"
#include "ui/guard.h"
#include "ui/look.h"
#include "ui/prompts.h"
#include "update/UBootSer.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace gw {

TFBrinvaleFirmWare* FBrinvaleFirmWare = nullptr;

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int x, int y, int w,
                        int h, bool visible = true) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(name);
    b->setGeometry(x, y, w, h);
    b->setVisible(visible);
    return b;
}

} // namespace

TFBrinvaleFirmWare::TFBrinvaleFirmWare(const AppFolders& folders, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("FBrinvaleFirmWare");
    // A tool window does not count for Qt's last-window-closed rule; closing
    // this one must end the program all the same.
    setAttribute(Qt::WA_QuitOnClose, true);
    ApplyHouseLook(this);
    // The main window's captions and labels are dark grey, not black.
    QPalette text = palette();
    text.setColor(QPalette::ButtonText, kText);
    // The palette of the window's class rather than one set on the window: a
    // palette set on a window is copied for each child, and the style caches
    // a button's bevel by its palette, so each of the alike buttons would be
    // drawn anew on the first paint.
    setPalette(QPalette());
    QApplication::setPalette(text, metaObject()->className());
    SetFixedClientSize(this, 565, 302);

    New = MakeButton(this, "New", "New project", 80, 36, 145, 26);
    open = MakeButton(this, "open", "Open project", 232, 36, 145, 26);
    btn_Prm_Gen = MakeButton(this, "btn_Prm_Gen", "Set Communication", 80, 80, 145, 26);
    btn_Sdo = MakeButton(this, "btn_Sdo", "Receive Frames", 80, 124, 145, 26);
    Btn_SetPDO = MakeButton(this, "Btn_SetPDO", "Send Frames", 80, 168, 145, 26);
    btn_Gds = MakeButton(this, "btn_Gds", "GSD File", 80, 212, 145, 26);
    CreateBin = MakeButton(this, "CreateBin", "Update Device", 80, 256, 145, 26);
    btn_Pdo = MakeButton(this, "btn_Pdo", "Set Traslate PDO", 265, 112, 64, 26, false);
    btn_Emcy_Wd = MakeButton(this, "btn_Emcy_Wd", "Define EMCY Word", 335, 112, 66, 26, false);
    btn_Emcy = MakeButton(this, "btn_Emcy", "Set Traslate EMCY", 265, 144, 64, 26, false);
    btn_Info_Pdo = MakeButton(this, "btn_Info_Pdo", "Define store PDO", 335, 144, 66, 26, false);
    CreateSx = MakeButton(this, "CreateSx", "Generate Firmware", 264, 173, 137, 23, false);

    about = new QToolButton(this);
    about->setObjectName("about");
    about->setText("About");
    about->setToolTip("About");
    about->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    about->setAutoRaise(true);
    about->setGeometry(493, 21, 21, 19);
    LbButton1 = MakeButton(this, "LbButton1", "X", 520, 21, 21, 19);
    LbButton1->setFlat(true);

    Label1 = new ClickableLabel(QString::fromUtf8(maker::kWebAddress), this);
    Label1->setObjectName("Label1");
    Label1->move(425, 267);
    Label1->adjustSize();

    const struct {
        const char* text;
        int top;
    } steps[] = {{"Step 1", 47},  {"Step 2", 91},  {"Step 3", 135},
                 {"Step 4", 179}, {"Step 5", 223}, {"Step 6", 267}};
    for (const auto& s : steps) {
        auto* l = new QLabel(s.text, this);
        l->setFont(HouseFont(8, true));
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, QColor(128, 128, 128));
        l->setPalette(p);
        l->adjustSize();
        l->move(16, s.top);
    }

    OnClick(New, this, &TFBrinvaleFirmWare::NewaClick);
    OnClick(open, this, &TFBrinvaleFirmWare::OpenaClick);
    for (QPushButton* b : {btn_Prm_Gen, btn_Sdo, Btn_SetPDO, btn_Gds, btn_Pdo, btn_Emcy,
                           btn_Emcy_Wd, btn_Info_Pdo}) {
        connect(b, &QPushButton::clicked, this,
                [this, b] { Guarded(this, [&] { btn_str_lng1aClick(b); }); });
    }
    OnClick(CreateBin, this, &TFBrinvaleFirmWare::CreateBinaClick);
    OnClick(CreateSx, this, &TFBrinvaleFirmWare::CreateBinaClick);
    OnClick(about, this, &TFBrinvaleFirmWare::AboutClick);
    OnClick(LbButton1, this, &TFBrinvaleFirmWare::LbButton1Click);
    connect(Label1, &ClickableLabel::clicked, this, [this] { Label1Click(); });

    // A right click on the background offers the report; the window's layout
    // stays as it is.
    ReportAction = new QAction(QString::fromUtf8(kReportCaption), this);
    ReportAction->setObjectName("ReportAction");
    addAction(ReportAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(ReportAction, &QAction::triggered, this,
            [this] { Guarded(this, [this] { ReportClick(); }); });

    FormCreate(folders);
    CentreOnScreen(this);
}

void TFBrinvaleFirmWare::FormCreate(const AppFolders& folders) {
    Project = StartWorkspace(folders);
    // A remembered project whose folder has gone shows the bare prefix.
    const bool remembered = Project.ProjectDir != Project.ProjectsDir;
    setWindowTitle(QString::fromUtf8(kCaptionPrefix) +
                   (remembered ? QString::fromStdString(Project.ProjectName) : QString()));
    openExcelFolder_ = QString::fromStdString(Project.ProjectDir);
}

void TFBrinvaleFirmWare::SetProjectPaths() {
    gw::SetProjectPaths(Project);
}

void TFBrinvaleFirmWare::ShowCaption() {
    setWindowTitle(QString::fromUtf8(kCaptionPrefix) + QString::fromStdString(Project.ProjectName));
}

void TFBrinvaleFirmWare::NewaClick() {
    SaveProjMode = 0;
    SaveProjParentDir = Project.ProjectsDir;
    if (Fsaveproj->ShowModal() == QDialog::Accepted) {
        ShowCaption();
        openExcelFolder_ = QString::fromStdString(Project.ProjectDir);
    }
    // Cancelled: the previous project is still current, and the caption keeps naming it.
}

void TFBrinvaleFirmWare::OpenaClick() {
    std::string dir = Project.ProjectDir;
    if (BrowseForFolder(this, kOpenProjectTitle, Project.ProjectsDir, dir)) {
        // Only PROJECTS and the folders inside it are projects; the editors must
        // never write into any other folder.
        std::optional<std::string> inside = ProjectDirOfChoice(Project.ProjectsDir, dir);
        if (!inside) {
            CurrentPrompts().Message(this, kMsgProjectNotValid);
            return;
        }
        dir = *inside;
    }
    Project.ProjectDir = dir;
    Project.ProjectName = ProjectNameFromDir(Project.ProjectsDir, Project.ProjectDir);
    ShowCaption();
    openExcelFolder_ = QString::fromStdString(Project.ProjectDir);
    SetProjectPaths();
}

void TFBrinvaleFirmWare::btn_str_lng1aClick(QAbstractButton* button) {
    if (Project.ProjectDir.empty()) {
        CurrentPrompts().Message(this, kMsgProjectNotValid);
        return;
    }
    if (button == btn_Sdo)
        FSetVar->ShowModal();
    else if (button == btn_Gds)
        GsdFileStep();
    else if (button == Btn_SetPDO)
        FSetPdo->ShowModal();
    else if (button == btn_Prm_Gen)
        Fpargen->ShowModal();
    else if (button == btn_Pdo)
        Fpdo->ShowModal();
    else if (button == btn_Emcy)
        Femcy->ShowModal();
    else if (button == btn_Emcy_Wd)
        FWemcy->ShowModal();
    else if (button == btn_Info_Pdo)
        FInfopdo->ShowModal();
}

void TFBrinvaleFirmWare::GsdFileStep() {
    const std::optional<QString> file = CurrentPrompts().SaveFile(
        this, kGsdSaveCaption, QString::fromStdString(Project.ProjectDir), kGsdFilter, kGsdSuffix);
    if (!file)
        return;
    WriteGsdFile(Project.ProjectDir, file->toStdString());
}

void TFBrinvaleFirmWare::CreateBinaClick() {
    // Without a project there is no folder the image may be written to.
    if (Project.ProjectDir.empty()) {
        CurrentPrompts().Message(this, kMsgProjectNotValid);
        return;
    }
    // A failed build or write throws: its error box is shown and nothing follows.
    const BankImage image = BuildBankImage(Project.ProjectDir);
    WriteBankFile(Project.ProjectDir, image);
    FBootSer->ShowModal();
}

void TFBrinvaleFirmWare::ReportClick() {
    if (Project.ProjectDir.empty()) {
        CurrentPrompts().Message(this, kMsgProjectNotValid);
        return;
    }
    const std::string file = ReportFilePath(Project.ProjectDir);
    WriteReportFile(Project.ProjectDir, file);
    if (!OpenLocalFile(QString::fromStdString(file)))
        CurrentPrompts().Message(
            this, QString::fromUtf8(kMsgReportNotShown).arg(QString::fromStdString(file)));
}

void TFBrinvaleFirmWare::AboutClick() {
    FAbout->ShowModal();
}

void TFBrinvaleFirmWare::Label1Click() {
    OpenExternal(QString::fromUtf8(maker::kHomePage));
}

void TFBrinvaleFirmWare::LbButton1Click() {
    close();
}

void TFBrinvaleFirmWare::FormClose() {
    SaveWorkspaceSettings(Project);
}

void TFBrinvaleFirmWare::closeEvent(QCloseEvent* e) {
    Guarded(this, [this] { FormClose(); });
    e->accept();
}

void SetApplicationIdentity() {
    // No display name: Qt would append it to every window's caption on Linux.
    QApplication::setApplicationName(kApplicationTitle);
    // Lets the desktop match the window with the installed menu entry and icon.
    QApplication::setDesktopFileName("example.velmora.sw40931");
}

void SetWindowIconAfterFirstPaint(QWidget* mainWindow) {
    // An installed copy finds its icon in the icon theme; a build has none.
    RunAfterFirstPaint(mainWindow, [] {
        QApplication::setWindowIcon(QIcon::fromTheme("example.velmora.sw40931"));
    });
}

} // namespace gw
