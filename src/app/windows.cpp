#include "app/windows.h"

#include "app/UBrinvaleFirmWare.h"
#include "app/Unewp.h"
#include "bridge/UInfoPdo.h"
#include "bridge/USdo.h"
#include "bridge/UWemcy.h"
#include "bridge/Uemcy.h"
#include "bridge/Updo.h"
#include "extras/SELstringhe.h"
#include "extras/UAbout.h"
#include "extras/UXML.h"
#include "extras/Uhelp.h"
#include "gateway/USetPdo.h"
#include "gateway/USetVar.h"
#include "gateway/USwap.h"
#include "gateway/Upargen.h"
#include "ui/after_first_paint.h"
#include "update/ModifyFileSx.h"
#include "update/UBootSer.h"

namespace gw {

namespace {

// The windows after the main window, in their order; they belong to it.
void CreateOtherWindows() {
    if (Fsaveproj)
        return;
    QWidget* owner = FBrinvaleFirmWare;
    Fsaveproj = new TFsaveproj(owner);
    FHelp = new TFHelp(owner);
    FAbout = new TFAbout(owner);
    FSELstringhe = new TFSELstringhe(owner);
    FModifyFileSx = new TFModifyFileSx(owner);
    Fpargen = new TFpargen(owner);
    Fsdo = new TFsdo(owner);
    Fpdo = new TFpdo(owner);
    Femcy = new TFemcy(owner);
    FWemcy = new TFWemcy(owner);
    FXML = new TFXML(owner);
    FInfopdo = new TFInfopdo(owner);
    FSetVar = new TFSetVar(owner);
    FSetPdo = new TFSetPdo(owner);
    FBootSer = new TFBootSer(owner);
    FSwap = new TFSwap(owner);
}

} // namespace

void CreateAllWindows(const std::string& exeDir) {
    CreateAllWindows(FoldersBesideExecutable(exeDir));
}

void CreateAllWindows(const AppFolders& folders) {
    FBrinvaleFirmWare = new TFBrinvaleFirmWare(folders);
    CreateOtherWindows();
}

void StartWindows(const AppFolders& folders) {
    FBrinvaleFirmWare = new TFBrinvaleFirmWare(folders);
    // The other windows are created once the main window has been painted.
    RunAfterFirstPaint(FBrinvaleFirmWare, [] { CreateOtherWindows(); });
    FBrinvaleFirmWare->show();
}

void DestroyAllWindows() {
    // The other windows are owned by the main window.
    delete FBrinvaleFirmWare;
    FBrinvaleFirmWare = nullptr;
    Fsaveproj = nullptr;
    FHelp = nullptr;
    FAbout = nullptr;
    FSELstringhe = nullptr;
    FModifyFileSx = nullptr;
    Fpargen = nullptr;
    Fsdo = nullptr;
    Fpdo = nullptr;
    Femcy = nullptr;
    FWemcy = nullptr;
    FXML = nullptr;
    FInfopdo = nullptr;
    FSetVar = nullptr;
    FSetPdo = nullptr;
    FBootSer = nullptr;
    FSwap = nullptr;
}

} // namespace gw
