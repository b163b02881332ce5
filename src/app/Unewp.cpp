#include "app/Unewp.h"

#include "app/UBrinvaleFirmWare.h"
#include "app/project_globals.h"
#include "common/file_io.h"
#include "ui/guard.h"
#include "ui/look.h"
#include "ui/prompts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace gw {

int SaveProjMode = 0;
std::string SaveProjParentDir;
std::string SaveProjName;
bool SaveProjCanClose = true;
TFsaveproj* Fsaveproj = nullptr;

TFsaveproj::TFsaveproj(QWidget* parent)
    : ModalWindow(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("Fsaveproj");
    setWindowTitle("New project");
    setModal(true);
    ApplyHouseLook(this);
    SetFixedClientSize(this, 319, 91);

    Label1 = new QLabel("Project name", this);
    Label1->setObjectName("Label1");
    Label1->move(16, 2);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(16, 16, 297, 21);
    Edit1->setFrame(true);
    bitbtn1 = new QPushButton("OK", this);
    bitbtn1->setObjectName("bitbtn1");
    bitbtn1->setGeometry(92, 59, 69, 23);
    bitbtn1->setDefault(true);
    bitbtn2 = new QPushButton("Cancel", this);
    bitbtn2->setObjectName("bitbtn2");
    bitbtn2->setGeometry(164, 59, 69, 23);

    OnClick(bitbtn1, this, &TFsaveproj::BitBtn1Click);
    OnClick(bitbtn2, this, &TFsaveproj::BitBtn2Click);

    SaveProjName.clear();
    SaveProjParentDir.clear();
}

void TFsaveproj::FormShow() {
    if (SaveProjMode == 0) {
        setWindowTitle("New project");
        Edit1->clear();
        SaveProjName.clear();
        Label1->show();
    } else {
        setWindowTitle("Edit XML");
        Label1->hide();
    }
    Edit1->setFocus();
}

void TFsaveproj::BitBtn1Click() {
    SaveProjCanClose = true;
    if (SaveProjMode == 0) {
        SaveProjName = Edit1->text().toStdString();
        NewProjectResult r = CreateProjectFolder(SaveProjParentDir, SaveProjName);
        for (const auto& m : r.messages)
            CurrentPrompts().Message(this, QString::fromStdString(m));
        SaveProjCanClose = r.created;
        if (r.created) {
            UseNewProject(Project, SaveProjParentDir, SaveProjName);
            if (FBrinvaleFirmWare)
                FBrinvaleFirmWare->SetProjectPaths();
        }
    }
    done(QDialog::Accepted);
}

void TFsaveproj::BitBtn2Click() {
    SaveProjCanClose = true;
    done(QDialog::Rejected);
}

void TFsaveproj::reject() {
    BitBtn2Click();
}

void TFsaveproj::done(int result) {
    if (!FormCloseQuery())
        return;
    QDialog::done(result);
}

bool BrowseForFolder(QWidget* parent, const std::string& title, const std::string& root,
                     std::string& directory) {
    if (!FolderExists(directory))
        directory.clear();
    auto chosen =
        CurrentPrompts().Folder(parent, QString::fromStdString(title), QString::fromStdString(root),
                                QString::fromStdString(directory));
    if (!chosen)
        return false;
    directory = chosen->toStdString();
    return true;
}

} // namespace gw
