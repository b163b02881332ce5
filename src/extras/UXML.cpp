#include "extras/UXML.h"

#include "app/Unewp.h"
#include "app/project_globals.h"
#include "ui/guard.h"
#include "ui/look.h"
#include "ui/prompts.h"
#include "ui/work_progress.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeView>

#include <memory>

static void InitXmlImages() {
    Q_INIT_RESOURCE(xml_images);
}

namespace gw {

TFXML* FXML = nullptr;

const std::array<QPixmap, 10>& XmlTreeImages() {
    static const std::array<QPixmap, 10> images = [] {
        InitXmlImages();
        const char* const names[] = {"document", "element", "attribute", "instruction",
                                     "declaration"};
        std::array<QPixmap, 10> a;
        for (int k = 0; k < 5; ++k) {
            const QString base = QString(":/xml/xml_") + names[k];
            a[2 * k] = QPixmap(base + ".xpm");
            a[2 * k + 1] = QPixmap(base + "_selected.xpm");
        }
        return a;
    }();
    return images;
}

XmlTreeModel::XmlTreeModel(QObject* parent) : QAbstractItemModel(parent) {
    const auto& images = XmlTreeImages();
    for (int k = 0; k < 5; ++k) {
        icons_[k].addPixmap(images[2 * k], QIcon::Normal);
        icons_[k].addPixmap(images[2 * k + 1], QIcon::Selected);
    }
}

void XmlTreeModel::SetTree(XmlTree tree) {
    beginResetModel();
    tree_ = std::move(tree);
    endResetModel();
}

XmlTree::Item* XmlTreeModel::ItemOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<XmlTree::Item*>(index.internalPointer()) : nullptr;
}

QString XmlTreeModel::Text(const QModelIndex& index) const {
    const XmlTree::Item* item = ItemOf(index);
    return item ? QString::fromStdString(tree_.Text(*item)) : QString();
}

void XmlTreeModel::SetText(const QModelIndex& index, const QString& text) {
    if (XmlTree::Item* item = ItemOf(index)) {
        tree_.SetText(*item, text.toStdString());
        emit dataChanged(index, index, {Qt::DisplayRole});
    }
}

QModelIndex XmlTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0 || tree_.Empty())
        return {};
    XmlTree::Item* p = ItemOf(parent);
    if (!p)
        return row == 0 ? createIndex(0, 0, tree_.Top()) : QModelIndex();
    if (static_cast<std::size_t>(row) >= tree_.ChildCount(*p))
        return {};
    return createIndex(row, 0, &tree_.Child(*p, static_cast<std::size_t>(row)));
}

QModelIndex XmlTreeModel::parent(const QModelIndex& child) const {
    const XmlTree::Item* item = ItemOf(child);
    if (!item || !item->parent)
        return {};
    XmlTree::Item* p = item->parent;
    return createIndex(static_cast<int>(p->row), 0, p);
}

int XmlTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0 || tree_.Empty())
        return 0;
    const XmlTree::Item* p = ItemOf(parent);
    return p ? static_cast<int>(tree_.ChildCount(*p)) : 1;
}

int XmlTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool XmlTreeModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant XmlTreeModel::data(const QModelIndex& index, int role) const {
    const XmlTree::Item* item = ItemOf(index);
    if (!item)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(tree_.Text(*item));
    if (role == Qt::DecorationRole)
        return icons_[static_cast<std::size_t>(tree_.Kind(*item))];
    return {};
}

Qt::ItemFlags XmlTreeModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

namespace {

constexpr int kButtonHeight = 25;
constexpr int kButtonWidth = 75;
constexpr int kButtonTop = 8;
constexpr int kTreeTop = kButtonTop + kButtonHeight + 8;
// Trees up to this many nodes expand at once without a note.
constexpr std::size_t kQuietExpand = 50000;

// A button that stays disabled while its action runs, also when it fails.
class DisabledWhileRunning {
public:
    explicit DisabledWhileRunning(QPushButton* b) : button_(b) { button_->setEnabled(false); }
    ~DisabledWhileRunning() { button_->setEnabled(true); }
    DisabledWhileRunning(const DisabledWhileRunning&) = delete;
    DisabledWhileRunning& operator=(const DisabledWhileRunning&) = delete;

private:
    QPushButton* button_;
};

} // namespace

TFXML::TFXML(QWidget* parent) : ModalWindow(parent) {
    setObjectName("FXML");
    setWindowTitle("XML Reader & Writer");
    ApplyHouseLook(this);
    resize(732, 560);

    btnopen = new QPushButton("Open ", this);
    btnopen->setObjectName("btnopen");
    btnFullExpand = new QPushButton("Full Expand", this);
    btnFullExpand->setObjectName("btnFullExpand");
    btnWrite = new QPushButton("Write", this);
    btnWrite->setObjectName("btnWrite");
    for (QPushButton* b : {btnopen, btnFullExpand, btnWrite})
        b->setAutoDefault(false);

    model_ = new XmlTreeModel(this);
    TvXml = new QTreeView(this);
    TvXml->setObjectName("TvXml");
    TvXml->setModel(model_);
    TvXml->setHeaderHidden(true);
    TvXml->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TvXml->setSelectionMode(QAbstractItemView::SingleSelection);
    // Rows of one height let the view lay out a large tree without asking
    // every row for its size.
    TvXml->setUniformRowHeights(true);
    TvXml->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TvXml->header()->setStretchLastSection(false);
    TvXml->installEventFilter(this);
    TvXml->viewport()->installEventFilter(this);

    OnClick(btnopen, this, &TFXML::btnopenClick);
    OnClick(btnFullExpand, this, &TFXML::btnFullExpandClick);
    OnClick(btnWrite, this, &TFXML::btnWriteClick);
}

void TFXML::resizeEvent(QResizeEvent* event) {
    ModalWindow::resizeEvent(event);
    btnopen->setGeometry(8, kButtonTop, kButtonWidth, kButtonHeight);
    btnFullExpand->setGeometry(8 + kButtonWidth + 8, kButtonTop, kButtonWidth, kButtonHeight);
    btnWrite->setGeometry(width() - kButtonWidth - 8, kButtonTop, kButtonWidth, kButtonHeight);
    TvXml->setGeometry(0, kTreeTop, width(), std::max(0, height() - kTreeTop));
}

void TFXML::FormShow() {
    model_->Clear();
}

void TFXML::btnopenClick() {
    const DisabledWhileRunning busy(btnopen);
    const auto file =
        CurrentPrompts().OpenFile(this, "Open XML File", QString::fromStdString(Project.ProjectDir),
                                  "XML Files (*.xml)|*.xml");
    if (!file)
        return;
    // A file that cannot be read or parsed, or whose reading the user
    // cancelled, leaves the tree as it was; the error boundary shows the
    // reader's text.
    WorkProgress progress(this, kOpeningText, ProgressAfterMs);
    TXMLDocument document = ReadXmlFile(QFile::encodeName(*file).toStdString(), &progress.Hooks());
    progress.Finish();
    model_->SetTree(XmlTree(std::move(document)));
}

void TFXML::btnFullExpandClick() {
    if (model_->Tree().Empty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::size_t items = model_->Tree().MakeAll();
    // The view lays out every row in one go; on a large document that takes a
    // noticeable moment, so say what is happening rather than seem to hang.
    std::unique_ptr<QProgressDialog> note;
    if (items > kQuietExpand) {
        note = std::make_unique<QProgressDialog>(
            QString("Expanding %L1 nodes...").arg(static_cast<qulonglong>(items)), QString(), 0, 0,
            this);
        note->setWindowTitle(windowTitle());
        note->setMinimumDuration(0);
        note->setWindowModality(Qt::WindowModal);
        note->show();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    TvXml->expandAll();
    note.reset();
    QApplication::restoreOverrideCursor();
}

void TFXML::btnWriteClick() {
    const DisabledWhileRunning busy(btnWrite);
    WriteXmlTree(model_->Tree(), Project.ProjectDir);
}

void TFXML::EditSelectedNode() {
    // Editing a node never ends in an error box: whatever fails leaves the
    // node as it was.
    try {
        const QModelIndexList selected = TvXml->selectionModel()->selectedIndexes();
        if (selected.isEmpty() || !Fsaveproj)
            return;
        const QPersistentModelIndex node(selected.first());
        SaveProjMode = 1;
        Fsaveproj->Edit1->setText(model_->Text(node));
        if (Fsaveproj->ShowModal() == QDialog::Accepted && node.isValid())
            model_->SetText(node, Fsaveproj->Edit1->text());
    } catch (...) {
    }
}

bool TFXML::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TvXml && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        EditSelectedNode();
        return true;
    }
    // The right button edits the selected node, not the one under the pointer,
    // so none of its presses may reach the view (they would move the selection).
    if (watched == TvXml->viewport() &&
        (event->type() == QEvent::MouseButtonPress ||
         event->type() == QEvent::MouseButtonDblClick ||
         event->type() == QEvent::MouseButtonRelease) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        if (event->type() == QEvent::MouseButtonPress)
            EditSelectedNode();
        return true;
    }
    return ModalWindow::eventFilter(watched, event);
}

} // namespace gw
