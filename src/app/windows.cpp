#include "app/windows.h"

#include "app/UBrinvaleFirmWare.h"
#include "app/Unewp.h"
#include "extras/SELstringhe.h"
#include "extras/UAbout.h"
#include "extras/Uhelp.h"
#include "update/UBootSer.h"

namespace gw {

void CreateAllWindows(const std::string& exeDir) {
    FBrinvaleFirmWare = new TFBrinvaleFirmWare(exeDir);
    QWidget* owner = FBrinvaleFirmWare;
    Fsaveproj = new TFsaveproj(owner);
    FHelp = new TFHelp(owner);
    FAbout = new TFAbout(owner);
    FSELstringhe = new TFSELstringhe(owner);
    FBootSer = new TFBootSer(owner);
}

void DestroyAllWindows() {
    // The other windows are owned by the main window.
    delete FBrinvaleFirmWare;
    FBrinvaleFirmWare = nullptr;
    Fsaveproj = nullptr;
    FHelp = nullptr;
    FAbout = nullptr;
    FSELstringhe = nullptr;
    FBootSer = nullptr;
}

} // namespace gw
