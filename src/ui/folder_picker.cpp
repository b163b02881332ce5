#include "ui/folder_picker.h"

#include "common/path_inside.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <filesystem>

namespace gw {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kPopulatedRole = Qt::UserRole + 1;

constexpr QDir::Filters kFolders = QDir::Dirs | QDir::NoDotAndDotDot;

bool HasSubfolders(const QString& path) {
    return !QDir(path).entryList(kFolders).isEmpty();
}

} // namespace

FolderPicker::FolderPicker(QWidget* parent, const QString& title, const QString& root,
                           const QString& preselect)
    : QDialog(parent) {
    setObjectName("FolderPicker");
    setWindowTitle("Browse for Folder");
    setModal(true);
    resize(340, 400);

    auto* layout = new QVBoxLayout(this);
    Title = new QLabel(title, this);
    Title->setObjectName("Title");
    Title->setWordWrap(true);
    layout->addWidget(Title);

    Tree = new QTreeWidget(this);
    Tree->setObjectName("Tree");
    Tree->setHeaderHidden(true);
    Tree->setColumnCount(1);
    Tree->setSelectionMode(QAbstractItemView::SingleSelection);
    Tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Tree->header()->setStretchLastSection(false);
    layout->addWidget(Tree);

    auto* buttons = new QDialogButtonBox(this);
    OkButton = buttons->addButton(QDialogButtonBox::Ok);
    OkButton->setObjectName("OkButton");
    CancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    CancelButton->setObjectName("CancelButton");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(Tree, &QTreeWidget::itemExpanded, this, &FolderPicker::Populate);
    connect(Tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OkButton->setEnabled(current != nullptr); });

    const QString top = root.isEmpty() ? QDir::rootPath() : root;
    QString name = QFileInfo(top).fileName();
    if (name.isEmpty())
        name = QDir::toNativeSeparators(top);
    Tree->addTopLevelItem(AddFolder(nullptr, name, top));
    Preselect(top, preselect);
    Tree->setFocus();
}

QTreeWidgetItem* FolderPicker::AddFolder(QTreeWidgetItem* parent, const QString& name,
                                         const QString& path) {
    static const QFileIconProvider icons;
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem;
    item->setText(0, name);
    item->setIcon(0, icons.icon(QFileIconProvider::Folder));
    item->setData(0, kPathRole, path);
    item->setChildIndicatorPolicy(HasSubfolders(path) ? QTreeWidgetItem::ShowIndicator
                                                      : QTreeWidgetItem::DontShowIndicator);
    return item;
}

void FolderPicker::Populate(QTreeWidgetItem* item) {
    if (item->data(0, kPopulatedRole).toBool())
        return;
    item->setData(0, kPopulatedRole, true);
    const QString path = item->data(0, kPathRole).toString();
    const QStringList names =
        QDir(path).entryList(kFolders, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QString& name : names)
        AddFolder(item, name, path + '/' + name);
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void FolderPicker::Preselect(const QString& root, const QString& preselect) {
    QTreeWidgetItem* item = Tree->topLevelItem(0);
    if (!preselect.isEmpty() && PathIsInside(root.toStdString(), preselect.toStdString())) {
        namespace fs = std::filesystem;
        const fs::path below = fs::weakly_canonical(preselect.toStdString())
                                   .lexically_relative(fs::weakly_canonical(root.toStdString()));
        for (const fs::path& part : below) {
            if (part == ".")
                continue;
            Populate(item);
            QTreeWidgetItem* next = nullptr;
            for (int i = 0; i < item->childCount() && !next; ++i)
                if (item->child(i)->text(0) == QString::fromStdString(part.string()))
                    next = item->child(i);
            if (!next)
                break;
            item->setExpanded(true);
            item = next;
        }
    }
    item->setExpanded(true);
    Tree->setCurrentItem(item);
    Tree->scrollToItem(item);
}

QString FolderPicker::ChosenFolder() const {
    const QTreeWidgetItem* item = Tree->currentItem();
    return item ? item->data(0, kPathRole).toString() : QString();
}

} // namespace gw
