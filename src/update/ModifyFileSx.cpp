#include "update/ModifyFileSx.h"

#include "app/UBrinvaleFirmWare.h"
#include "app/project_globals.h"
#include "common/file_io.h"
#include "common/product.h"
#include "common/project_files.h"
#include "ui/controls.h"
#include "ui/guard.h"
#include "ui/look.h"
#include "ui/prompts.h"
#include "ui/run_and_wait_qt.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>

#include <filesystem>

namespace gw {

TFModifyFileSx* FModifyFileSx = nullptr;

namespace {

const QColor kBankNotFoundColour(255, 0, 0);
const std::string kSep(1, std::filesystem::path::preferred_separator);

// A folder as the window holds it: with a trailing separator.
std::string WithSeparator(const std::string& folder) {
    if (folder.empty() || folder.back() == kSep.back())
        return folder;
    return folder + kSep;
}

} // namespace

TFModifyFileSx::TFModifyFileSx(QWidget* parent)
    : ModalWindow(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("FModifyFileSx");
    setWindowTitle("Generate Firmware");
    setModal(true);
    ApplyHouseLook(this);
    SetFixedClientSize(this, 430, 224);

    cbport = new QComboBox(this);
    cbport->setObjectName("cbport");
    for (int i = 1; i <= 8; ++i)
        cbport->addItem(QStringLiteral("COM%1").arg(i));
    cbport->setGeometry(24, 20, 101, 23);
    LbButton2 = MakeButton(this, "LbButton2", "Execute update firmware", 136, 20, 169, 23);
    LbButton1 = MakeButton(this, "LbButton1", "X", 401, 6, 21, 19);
    LbButton1->setFlat(true);

    Avanzamento = new QProgressBar(this);
    Avanzamento->setObjectName("Avanzamento");
    Avanzamento->setGeometry(24, 56, 382, 17);
    Avanzamento->setRange(0, 100);
    Avanzamento->setValue(0);
    Avanzamento->setTextVisible(false);

    Options = MakeButton(this, "Options", kOptionsShow, 24, 88, 100, 23);
    Label3 = MakeLabel(this, "Label3", "Name new Firmware:", 136, 92);
    NewFileSx = new QLineEdit(this);
    NewFileSx->setObjectName("NewFileSx");
    NewFileSx->setGeometry(256, 88, 150, 23);

    GbBank = new QGroupBox(this);
    GbBank->setObjectName("GbBank");
    GbBank->setGeometry(24, 118, 382, 36);
    const char* const bankNames[] = {"Cbbank1", "Cbbank2", "Cbbank3", "Cbbank4", "Cbbank5"};
    for (int i = 0; i < kBankCount; ++i) {
        const std::string caption = "Bank " + std::to_string(i + 1);
        banks_[i] = MakeCheck(GbBank, bankNames[i], caption.c_str(), 10 + 74 * i, 9);
    }
    Cbbank1 = banks_[0];
    Cbbank2 = banks_[1];
    Cbbank3 = banks_[2];
    Cbbank4 = banks_[3];
    Cbbank5 = banks_[4];

    DirFileBin = MakeButton(this, "DirFileBin", "Directory File Bin", 24, 162, 145, 23);
    OpenFile = MakeButton(this, "OpenFile", "Open Firmware", 176, 162, 145, 23);
    ExeModFileSx = MakeButton(this, "ExeModFileSx", "Execute Modify File Sx", 24, 192, 169, 23);
    ExeUpdateFir = MakeButton(this, "ExeUpdateFir", "Execute update firmware", 200, 192, 169, 23);

    for (QWidget* hidden :
         {static_cast<QWidget*>(GbBank), static_cast<QWidget*>(Options),
          static_cast<QWidget*>(DirFileBin), static_cast<QWidget*>(OpenFile),
          static_cast<QWidget*>(Label3), static_cast<QWidget*>(NewFileSx),
          static_cast<QWidget*>(ExeModFileSx), static_cast<QWidget*>(ExeUpdateFir)})
        hidden->hide();

    OnClick(LbButton1, this, &TFModifyFileSx::LbButton1Click);
    OnClick(LbButton2, this, &TFModifyFileSx::LbButton2Click);
    OnClick(Options, this, &TFModifyFileSx::OptionsClick);
    OnClick(DirFileBin, this, &TFModifyFileSx::DirFileBinClick);
    OnClick(OpenFile, this, &TFModifyFileSx::OpenFileClick);
    OnClick(ExeModFileSx, this, &TFModifyFileSx::ExeModFileSxClick);
    OnClick(ExeUpdateFir, this, &TFModifyFileSx::ExeUpdateFirClick);
    connect(NewFileSx, &QLineEdit::textChanged, this,
            [this] { Guarded(this, [this] { NewFileSxChange(); }); });
}

void TFModifyFileSx::showEvent(QShowEvent* e) {
    PlaceOnScreen();
    ModalWindow::showEvent(e);
}

void TFModifyFileSx::PlaceOnScreen() {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect r = s->geometry();
    const QSize frame = frameGeometry().size();
    move(r.x() + (r.width() - frame.width()) / 2, r.y() + r.height() / 2 - frame.height());
}

void TFModifyFileSx::PaintBank(int stage, bool red) {
    QCheckBox* box = BankBox(stage);
    // A check box fills its background with its button colour.
    QPalette p = box->palette();
    p.setColor(box->backgroundRole(), red ? kBankNotFoundColour : kBackground);
    box->setPalette(p);
    box->setAutoFillBackground(red);
}

void TFModifyFileSx::UseSource(const std::string& dir, const std::string& name) {
    SourceSxDir = dir;
    SourceSxName = name;
    OutputDir = WithSeparator(Project.ProjectDir);
    NewFileSx->setText(QString::fromStdString(kNewFirmwarePrefix + name)); // and so NewSxName
    NewFileSxChange(); // also when the text was already this name
    LbButton2->setEnabled(true);
}

void TFModifyFileSx::FormShow() {
    Options->setText(kOptionsShow);
    GbBank->hide();
    DirFileBin->hide();
    if (ProductVariant == 2 || ProductVariant == 3) {
        for (int stage = 1; stage <= kBankCount; ++stage) {
            BankBox(stage)->setVisible(stage <= 2);
            if (stage <= 2)
                BankBox(stage)->setChecked(true);
            PaintBank(stage, false);
        }
    }
    cbport->setCurrentIndex(0);
    Avanzamento->setValue(0);
    LbButton2->setEnabled(false);

    const std::string projectBin = BinFolderPath(Project.ProjectDir);
    if (!Project.ProjectDir.empty() && FolderExists(projectBin))
        BinDir = WithSeparator(projectBin);

    if (!FolderExists(Project.MasterDir)) {
        CurrentPrompts().Error(this, kMsgFirmwareDirNotFound);
        return;
    }
    if (!FileExists(JoinPath(Project.MasterDir, kDeliveredFirmwareName))) {
        CurrentPrompts().Error(this, kMsgFirmwareFileNotFound);
        return;
    }
    UseSource(Project.MasterDir, kDeliveredFirmwareName);
}

void TFModifyFileSx::OpenFileClick() {
    const std::string start = FolderExists(Project.MasterDir) ? Project.MasterDir : Project.ExeDir;
    const auto chosen = CurrentPrompts().OpenFile(this, "Open Firmware",
                                                  QString::fromStdString(start), kFirmwareFilter);
    if (!chosen)
        return;
    const QFileInfo file(*chosen);
    UseSource(file.absolutePath().toStdString(), file.fileName().toStdString());
}

void TFModifyFileSx::DirFileBinClick() {
    const auto chosen = CurrentPrompts().Folder(this, kSelectBinDirTitle,
                                                QString::fromStdString(Project.ProjectDir),
                                                QString::fromStdString(BinDir));
    if (chosen)
        BinDir = WithSeparator(chosen->toStdString());
}

void TFModifyFileSx::NewFileSxChange() {
    NewSxName = NewFileSx->text().toStdString();
}

void TFModifyFileSx::OptionsClick() {
    const bool show = GbBank->isHidden();
    GbBank->setVisible(show);
    DirFileBin->setVisible(show);
    Options->setText(show ? kOptionsHide : kOptionsShow);
}

bool TFModifyFileSx::BuildFirmwareImage() {
    for (int stage = 1; stage <= kBankCount; ++stage)
        PaintBank(stage, false);
    // Without a project the new file would land wherever the path leads.
    if (OutputDir.empty()) {
        CurrentPrompts().Message(this, kMsgProjectNotValid);
        return false;
    }
    ExeModFileSx->setEnabled(false);

    std::array<bool, kBankCount> selected{};
    for (int stage = 1; stage <= kBankCount; ++stage)
        selected[stage - 1] = !BankBox(stage)->isHidden() && BankBox(stage)->isChecked();
    // A big firmware takes a while: past a moment a dialog shows the stage's
    // progress and lets the user stop the build.
    QProgressDialog note(kBuildingText, "Cancel", 0, 0, this);
    note.setWindowTitle(windowTitle());
    note.setWindowModality(Qt::WindowModal);
    note.setMinimumDuration(ProgressAfterMs);
    note.setAutoReset(false);
    note.setAutoClose(false);
    MergeCallbacks callbacks;
    callbacks.progress = [this, &note](int position, int maximum) {
        if (maximum > 0) {
            Avanzamento->setMaximum(maximum);
            note.setMaximum(maximum);
        }
        Avanzamento->setValue(position);
        if (Avanzamento->isVisible())
            Avanzamento->repaint(); // the build holds the event loop
        note.setValue(position);
        QApplication::processEvents(); // the dialog's Cancel
    };
    callbacks.cancelled = [&note] { return note.wasCanceled(); };
    const FirmwareBuild build = gw::BuildFirmwareImage(
        {OutputDir, BinDir, NewSxName}, JoinPath(SourceSxDir, SourceSxName), selected, callbacks);
    note.hide();
    for (int stage : build.BanksNotFound())
        PaintBank(stage, true);
    if (!build.message.empty())
        CurrentPrompts().Message(this, QString::fromStdString(build.message));
    ExeModFileSx->setEnabled(true);
    return !build.failed;
}

void TFModifyFileSx::LaunchVozedUzidar() {
    const std::string firmware = JoinPath(OutputDir, NewSxName);
    if (NewSxName.empty() || !FileExists(firmware)) {
        CurrentPrompts().Message(this, kMsgSxNotFound);
        return;
    }
    const std::string program = FlashWriterProgramPath(Project.ExeDir, Project.DataDir);
    if (!FileExists(program)) {
        CurrentPrompts().Message(this, QString::fromStdString(FlashWriterNotFoundMessage()));
        return;
    }
    FlashWriterCommandLine = FlashWriterParameterText(firmware, cbport->currentIndex());
    if (!StartProgram(program, FlashWriterCommandLine))
        CurrentPrompts().Message(this, CannotStartText(program));
}

void TFModifyFileSx::ExeModFileSxClick() {
    BuildFirmwareImage();
}

void TFModifyFileSx::ExeUpdateFirClick() {
    LaunchVozedUzidar();
}

void TFModifyFileSx::LbButton1Click() {
    close();
}

void TFModifyFileSx::LbButton2Click() {
    // A failed build leaves no new file to hand over; an older one must not go
    // to the device as if it were new.
    if (BuildFirmwareImage())
        LaunchVozedUzidar();
}

} // namespace gw
