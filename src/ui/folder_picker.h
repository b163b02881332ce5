#pragma once
// The folder picker: a tree of folders rooted at a given folder, from which the
// user cannot go above the root. The root is the top of the tree and may be
// chosen itself; its subfolders are read when a folder is expanded.
#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace gw {

class FolderPicker : public QDialog {
    Q_OBJECT
public:
    // `title` stands above the tree; `preselect`, when it lies inside `root`, is
    // expanded to and selected, otherwise the root is. An empty root is the
    // file system's root.
    FolderPicker(QWidget* parent, const QString& title, const QString& root,
                 const QString& preselect);

    // The selected folder's path: the root as given followed by folder names.
    QString ChosenFolder() const;

    QLabel* Title;
    QTreeWidget* Tree;
    QPushButton* OkButton;
    QPushButton* CancelButton;

private:
    QTreeWidgetItem* AddFolder(QTreeWidgetItem* parent, const QString& name, const QString& path);
    void Populate(QTreeWidgetItem* item);
    void Preselect(const QString& root, const QString& preselect);
};

} // namespace gw
