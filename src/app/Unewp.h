#pragma once
// The one-line text dialog: "New project" creates a project folder under
// PROJECTS; "Edit XML" edits one line of text for the XML window. Also the
// folder picker the windows share.
#include "ui/modal_window.h"

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace gw {

// 0 = New project, 1 = Edit XML; set by the caller before each show.
extern int SaveProjMode;
// Folder in which New project creates the project folder.
extern std::string SaveProjParentDir;
extern std::string SaveProjName;
extern bool SaveProjCanClose;

class TFsaveproj : public ModalWindow {
    Q_OBJECT
public:
    explicit TFsaveproj(QWidget* parent = nullptr);

    void FormShow() override;
    void BitBtn1Click();
    void BitBtn2Click();
    bool FormCloseQuery() const { return SaveProjCanClose; }

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;

    void done(int result) override;
    void reject() override;
};

extern TFsaveproj* Fsaveproj;

// The folder picker: true when the user chose a folder, which is then in
// `directory`. A `directory` that names no folder is emptied first.
bool BrowseForFolder(QWidget* parent, const std::string& title, const std::string& root,
                     std::string& directory);

} // namespace gw
