#pragma once
// The XML reader and writer: opens any XML file with the reader of its own,
// shows it as a tree, lets the user edit node texts and writes the tree back
// into the project folder.
#include "extras/xml_tree.h"
#include "ui/modal_window.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QPixmap>

#include <array>

class QPushButton;
class QTreeView;

namespace gw {

// The tree of the window as a Qt model over XmlTree: an item is made when the
// view first asks for it (a parent opened), never the whole document up front.
class XmlTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit XmlTreeModel(QObject* parent = nullptr);

    void SetTree(XmlTree tree);
    void Clear() { SetTree(XmlTree()); }
    XmlTree& Tree() { return tree_; }

    XmlTree::Item* ItemOf(const QModelIndex& index) const;
    QString Text(const QModelIndex& index) const;
    void SetText(const QModelIndex& index, const QString& text);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // The tree's items are made lazily behind a const interface.
    mutable XmlTree tree_;
    std::array<QIcon, 5> icons_; // per node kind: image 2k, selected 2k + 1
};

// The progress dialog of a long Open.
inline constexpr const char* kOpeningText = "Reading the XML file...";

class TFXML : public ModalWindow {
    Q_OBJECT
public:
    explicit TFXML(QWidget* parent = nullptr);

    void FormShow() override;
    void btnopenClick();
    void btnFullExpandClick();
    void btnWriteClick();
    // F2 or the right mouse button: edit the selected node's text in the
    // one-line dialog.
    void EditSelectedNode();

    XmlTreeModel* Model() const { return model_; }

    int ProgressAfterMs = 1000; // an Open that lasts longer shows its progress dialog

    QPushButton* btnopen;
    QPushButton* btnFullExpand;
    QPushButton* btnWrite;
    QTreeView* TvXml;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    XmlTreeModel* model_;
};

// The ten tree images: document, element, attribute, processing instruction and
// declaration, each normal (2k) and selected (2k + 1).
const std::array<QPixmap, 10>& XmlTreeImages();

extern TFXML* FXML;

} // namespace gw
