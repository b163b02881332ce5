#pragma once
// What every bridge editor shares: the bottom bar with OK, Cancel, Export and
// Import, the Import through the main window's spreadsheet open dialog, and
// the Export into the project folder.
#include "bridge/bridge_documents.h"
#include "bridge/csv_export.h"
#include "bridge/sheet_import.h"

#include "ui/modal_window.h"
#include "ui/unread_document.h"
#include "ui/work_progress.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QPushButton;
class QTabWidget;
class QTableWidget;
class QWidget;

namespace gw {

class AtomicFileWriter;

// The open dialog of the import (the main window's OpenExcel): the .xls
// filter first, then every workbook the import reads; the project folder.
inline constexpr const char* kOpenExcelCaption = "Open";

// The chosen workbook, or nullopt when the user cancelled.
std::optional<std::string> ChooseWorkbook(QWidget* parent);

// The progress dialogs of a long import and of a long load.
inline constexpr const char* kImportingText = "Importing the workbook...";
// "Reading sdoaccess.xml..."
QString ReadingDocumentText(const char* fileName);

// Import: the open dialog, then the workbook through `importer`, then `show`
// puts what was imported on screen. A workbook that cannot be read ends the
// action with its error before anything is cleared; an import that stopped,
// or records that did not fit, are told in a message box afterwards. Past
// `progressAfterMs` a progress dialog shows; its Cancel ends the import with
// WorkCancelled before `show`, so an importer that fills a copy of the
// window's state leaves the window as it was.
// `show` may tell its progress (a big import shows many lines); it cannot be
// cancelled, as it replaces what the window shows.
void RunSheetImport(QWidget* parent, const SheetImporter& importer,
                    const std::function<void(const ProgressHooks*)>& show,
                    int progressAfterMs = kProgressAfterMs);

// Export: the lines into ProjectDir/sheetName.csv.
void RunCsvExport(const std::string& sheetName, const std::vector<CsvLine>& lines);

// A bridge editor's window: the bottom bar under a content area, OK, Cancel,
// Export and Import wired to the handlers, each inside the error boundary.
class BridgeWindow : public ModalWindow {
    Q_OBJECT
public:
    QWidget* Panel1;
    QPushButton* bitbtn1; // OK
    QPushButton* bitbtn2; // Cancel
    QPushButton* button1; // Export
    QPushButton* bitbtn4; // Import

    virtual void BitBtn1Click() = 0; // OK
    void BitBtn2Click();             // Cancel
    virtual void Button1Click() = 0; // Export
    virtual void BitBtn4Click() = 0; // Import

    int ProgressAfterMs = kProgressAfterMs; // a longer load or import shows its progress dialog

protected:
    BridgeWindow(const char* objectName, const char* caption, QSize size, QWidget* parent);

    // The area above the bottom bar.
    QWidget* Content() const { return content_; }

    // Adds a tab holding an optional header strip above a grid.
    QTableWidget* AddGridTab(QTabWidget* tabs, const char* caption, const char* gridName,
                             QWidget* header = nullptr);

    // What a show found in the document OK writes: the guard learns whether it
    // was read, and the user is told of a failure (and, with
    // `missingIsNotice`, of a missing file) and of entries left out.
    void TellLoad(const BridgeLoad& loaded, const std::string& path, const char* fileName,
                  bool missingIsNotice);

    // The document OK writes: read or not on the last show.
    UnreadDocumentGuard documentGuard_;

    // A show's load of its documents, under a progress dialog past a moment.
    // When the user cancels it the window closes again, its documents
    // untouched, and this returns false.
    bool LoadForShow(const QString& text, const std::function<void(const ProgressHooks*)>& load);

    // OK once the document's text is made (a text that cannot be made has
    // thrown, so nothing is written and the window stays open): replaces
    // `path`, asking first when its load failed, and closes with OK.
    void SaveAndAccept(const std::string& path, const std::string& text, bool& loadFailed);
    // The same for a document written as it is made (one that may be big):
    // `write` fills the replacement, which takes the file's place only after
    // the question.
    void SaveAndAccept(const std::string& path, const std::function<void(AtomicFileWriter&)>& write,
                       bool& loadFailed);

private:
    QWidget* content_;
};

} // namespace gw
