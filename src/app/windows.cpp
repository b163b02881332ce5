#include "app/windows.h"

#include "app/UBrinvaleFirmWare.h"
#include "app/Unewp.h"
#include "extras/SELstringhe.h"
#include "extras/UAbout.h"
#include "extras/UXML.h"
#include "extras/Uhelp.h"
#include "gateway/USetPdo.h"
#include "gateway/USetVar.h"
#include "gateway/USwap.h"
#include "gateway/Upargen.h"
#include "update/ModifyFileSx.h"
#include "update/UBootSer.h"

namespace gw {

void CreateAllWindows(const std::string& exeDir) {
    CreateAllWindows(FoldersBesideExecutable(exeDir));
}

void CreateAllWindows(const AppFolders& folders) {
    FBrinvaleFirmWare = new TFBrinvaleFirmWare(folders);
    QWidget* owner = FBrinvaleFirmWare;
    Fsaveproj = new TFsaveproj(owner);
    FHelp = new TFHelp(owner);
    FAbout = new TFAbout(owner);
    FSELstringhe = new TFSELstringhe(owner);
    FModifyFileSx = new TFModifyFileSx(owner);
    Fpargen = new TFpargen(owner);
    FXML = new TFXML(owner);
    FSetVar = new TFSetVar(owner);
    FSetPdo = new TFSetPdo(owner);
    FBootSer = new TFBootSer(owner);
    FSwap = new TFSwap(owner);
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
    FXML = nullptr;
    FSetVar = nullptr;
    FSetPdo = nullptr;
    FBootSer = nullptr;
    FSwap = nullptr;
}

} // namespace gw
