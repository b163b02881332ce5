#include "ui/bridge_window.h"

#include "app/UBrinvaleFirmWare.h"
#include "app/project_globals.h"
#include "bridge/bridge_xml.h"
#include "bridge/csv_export.h"
#include "common/file_io.h"
#include "ui/guard.h"
#include "ui/look.h"
#include "ui/prompts.h"
#include "ui/unread_document.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace gw {

std::optional<std::string> ChooseWorkbook(QWidget* parent) {
    const std::optional<QString> file = CurrentPrompts().OpenFile(
        parent, kOpenExcelCaption, QString::fromStdString(Project.ProjectDir), kExcelFilter);
    if (!file)
        return std::nullopt;
    return file->toStdString();
}

QString ReadingDocumentText(const char* fileName) {
    return QString("Reading %1...").arg(fileName);
}

void RunSheetImport(QWidget* parent, const SheetImporter& importer,
                    const std::function<void(const ProgressHooks*)>& show, int progressAfterMs) {
    const std::optional<std::string> file = ChooseWorkbook(parent);
    if (!file)
        return;
    WorkProgress progress(parent, kImportingText, progressAfterMs);
    const ImportReport report = ImportSheet(*file, importer, &progress.Hooks());
    const ProgressHooks showing{progress.Hooks().report, nullptr};
    show(&showing);
    progress.Finish();
    const std::string message = report.Message();
    if (!message.empty())
        CurrentPrompts().Message(parent, QString::fromStdString(message));
}

void RunCsvExport(const std::string& sheetName, const std::vector<CsvLine>& lines) {
    ExportCsv(Project.ProjectDir, sheetName, lines);
}

namespace {

QPushButton* BarButton(QWidget* bar, QHBoxLayout* row, const char* name, const char* caption) {
    auto* b = new QPushButton(caption, bar);
    b->setObjectName(name);
    b->setFixedSize(89, 25);
    b->setAutoDefault(false);
    row->addWidget(b);
    return b;
}

} // namespace

BridgeWindow::BridgeWindow(const char* objectName, const char* caption, QSize size, QWidget* parent)
    : ModalWindow(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                              Qt::WindowCloseButtonHint) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    ApplyHouseLook(this);
    resize(size);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    content_ = new QWidget(this);
    layout->addWidget(content_, 1);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(41);
    layout->addWidget(Panel1);
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(8);
    bitbtn1 = BarButton(Panel1, row, "bitbtn1", "OK");
    bitbtn2 = BarButton(Panel1, row, "bitbtn2", "Cancel");
    row->addStretch(1);
    button1 = BarButton(Panel1, row, "button1", "Export");
    bitbtn4 = BarButton(Panel1, row, "bitbtn4", "Import");

    OnClick(bitbtn1, this, &BridgeWindow::BitBtn1Click);
    OnClick(bitbtn2, this, &BridgeWindow::BitBtn2Click);
    OnClick(button1, this, &BridgeWindow::Button1Click);
    OnClick(bitbtn4, this, &BridgeWindow::BitBtn4Click);
}

QTableWidget* BridgeWindow::AddGridTab(QTabWidget* tabs, const char* caption, const char* gridName,
                                       QWidget* header) {
    auto* page = new QWidget(tabs);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    if (header) {
        header->setParent(page);
        column->addWidget(header);
    }
    auto* grid = new QTableWidget(page);
    grid->setObjectName(gridName);
    column->addWidget(grid, 1);
    tabs->addTab(page, caption);
    return grid;
}

void BridgeWindow::TellLoad(const BridgeLoad& loaded, const std::string& path, const char* fileName,
                            bool missingIsNotice) {
    documentGuard_ = UnreadDocumentGuard{};
    if (loaded.error)
        documentGuard_.MarkUnread(path);
    if (missingIsNotice && !loaded.fileFound)
        CurrentPrompts().Message(this, kMsgXmlNotFound);
    if (loaded.error)
        CurrentPrompts().Message(this, kMsgErrorReadingXml);
    if (loaded.leftOut > 0)
        CurrentPrompts().Message(
            this, QString::fromStdString(EntriesLeftOutMessage(fileName, loaded.leftOut)));
}

bool BridgeWindow::LoadForShow(const QString& text,
                               const std::function<void(const ProgressHooks*)>& load) {
    try {
        WorkProgress progress(this, text, ProgressAfterMs);
        load(&progress.Hooks());
        return true;
    } catch (const WorkCancelled&) {
        // The show is still under way: the window can only close once it is over.
        QMetaObject::invokeMethod(
            this, [this] { done(QDialog::Rejected); }, Qt::QueuedConnection);
        return false;
    }
}

void BridgeWindow::SaveAndAccept(const std::string& path, const std::string& text,
                                 bool& loadFailed) {
    UnreadDocumentGuard guard;
    if (loadFailed)
        guard.MarkUnread(path);
    if (!guard.MayReplace(this))
        return;
    SaveDocumentText(path, text);
    loadFailed = false;
    done(QDialog::Accepted);
}

void BridgeWindow::SaveAndAccept(const std::string& path,
                                 const std::function<void(AtomicFileWriter&)>& write,
                                 bool& loadFailed) {
    AtomicFileWriter out(path);
    write(out); // what cannot be written throws here: the file stays as it was
    UnreadDocumentGuard guard;
    if (loadFailed)
        guard.MarkUnread(path);
    if (!guard.MayReplace(this))
        return;
    out.Commit();
    loadFailed = false;
    done(QDialog::Accepted);
}

void BridgeWindow::BitBtn2Click() {
    done(QDialog::Rejected);
}

} // namespace gw
