#include "bridge/sheet_import.h"

#include "bridge/workbook.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

namespace gw {

bool TitleRecord::Matches(const SheetRecord& record) const {
    for (const auto& [position, text] : fields) {
        if (position < 0 || static_cast<std::size_t>(position) >= record.size() ||
            record[static_cast<std::size_t>(position)] != text)
            return false;
    }
    return !fields.empty();
}

std::string ImportStopMessage(const std::string& sheetName, const ImportStop& stop) {
    return "Import of sheet \"" + sheetName + "\" stopped at record " +
           std::to_string(stop.record) + " (row " + std::to_string(stop.sheetRow) +
           " of the sheet): " + stop.reason + ".";
}

namespace {

std::string LeftOutMessage(int leftOut) {
    return std::to_string(leftOut) + (leftOut == 1 ? " record" : " records") +
           " of the sheet did not fit in the tables and " + (leftOut == 1 ? "was" : "were") +
           " left out.";
}

} // namespace

std::string ImportReport::Message() const {
    std::string text;
    if (stop)
        text = ImportStopMessage(sheetName, *stop) + " The records before it were placed.";
    if (leftOut > 0)
        text += (text.empty() ? "" : "\n") + LeftOutMessage(leftOut);
    return text;
}

ImportReport ImportSheet(const std::string& path, const SheetImporter& importer,
                         const ProgressHooks* progress) {
    const WorkbookSheet workbook = ReadWorkbookSheet(path, importer.sheetName, progress);
    if (workbook.cells)
        return ImportRecords(*workbook.cells, importer, progress);
    ImportReport report;
    report.sheetName = importer.sheetName;
    if (importer.clear)
        importer.clear();
    return report;
}

ImportReport ImportRecords(const SheetCells& cells, const SheetImporter& importer,
                           const ProgressHooks* progress) {
    ProgressTicker ticker(progress, static_cast<std::uint64_t>(std::max(0, cells.Rows() - 1)));
    ImportReport report;
    report.sheetName = importer.sheetName;
    if (importer.clear)
        importer.clear();
    report.sheetFound = true;
    if (importer.sheetFound)
        importer.sheetFound();

    SheetRecord record(static_cast<std::size_t>(importer.fieldCount));
    for (int r = 1; r < cells.Rows(); ++r) {
        const int number = r;
        ticker.At(static_cast<std::uint64_t>(r - 1)); // outside the record's own errors
        try {
            if (cells.Columns() < importer.fieldCount)
                throw std::runtime_error("the sheet has " + std::to_string(cells.Columns()) +
                                         " columns, " + std::to_string(importer.fieldCount) +
                                         " are needed");
            for (int f = 0; f < importer.fieldCount; ++f) {
                const std::optional<std::string_view> cell = cells.Text(r, f);
                std::string& field = record[static_cast<std::size_t>(f)];
                if (cell)
                    field.assign(*cell);
                else
                    field.clear();
            }
            bool title = false;
            for (const TitleRecord& t : importer.titles)
                title = title || t.Matches(record);
            if (title) {
                ++report.titlesSkipped;
                continue;
            }
            switch (importer.place(record)) {
            case RecordFate::Placed:
                ++report.placed;
                break;
            case RecordFate::Dropped:
                ++report.dropped;
                break;
            case RecordFate::LeftOut:
                ++report.leftOut;
                break;
            }
        } catch (const std::exception& e) {
            report.stop = ImportStop{number, number + 1, e.what()};
            break;
        }
    }
    return report;
}

} // namespace gw
