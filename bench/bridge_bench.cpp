// Importing a 3000-record sheet into the SDO access tables, side by side with
// a bare read of the same workbook by its library: FreeXL for .xls, orcus's
// own spreadsheet model for .xlsx. The two run alternately in one process,
// each timed in CPU time; the ratio of their medians is printed.
//
//     bridge_bench [DATA_DIR] [ROUNDS]
#include "bridge/sdo_access.h"
#include "bridge/sheet_import.h"

#include <freexl.h>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

// CPU time of this thread: the machine is shared, and wall time would count
// whatever else runs meanwhile.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double Seconds(const std::function<void()>& f) {
    const double start = CpuSeconds();
    f();
    return CpuSeconds() - start;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Ours: the editor's Import into the SDO access tables.
void ImportIntoSdoTables(const std::string& path) {
    gw::SdoAccessTables tables;
    const gw::ImportReport report = gw::ImportSheet(path, gw::SdoAccessImporter(tables));
    if (report.placed != 3000 || report.stop)
        std::abort();
}

// Every cell of the first sheet through FreeXL, nothing kept.
void BareFreeXl(const std::string& path) {
    const void* h = nullptr;
    if (freexl_open(path.c_str(), &h) != FREEXL_OK)
        std::abort();
    freexl_select_active_worksheet(h, 0);
    unsigned int rows = 0;
    unsigned short columns = 0;
    freexl_worksheet_dimensions(h, &rows, &columns);
    unsigned long sum = 0;
    for (unsigned int r = 0; r < rows; ++r)
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue v;
            freexl_get_cell_value(h, r, c, &v);
            sum += v.type;
        }
    freexl_close(h);
    if (sum == 0)
        std::abort();
}

// The workbook loaded into orcus's own document model.
void BareOrcus(const std::string& path) {
    orcus::spreadsheet::document doc({1048576, 16384});
    orcus::spreadsheet::import_factory factory(doc);
    orcus::orcus_xlsx filter(&factory);
    filter.read_file(path);
}

void Compare(const char* what, const std::string& path, const char* yardstick,
             const std::function<void(const std::string&)>& bare, int rounds) {
    ImportIntoSdoTables(path); // the first run loads the reader module
    bare(path);
    std::vector<double> ours, theirs;
    for (int i = 0; i < rounds; ++i) {
        ours.push_back(Seconds([&] { ImportIntoSdoTables(path); }));
        theirs.push_back(Seconds([&] { bare(path); }));
    }
    const double a = Median(ours);
    const double b = Median(theirs);
    std::printf("%-28s import %8.3f ms   %-22s %8.3f ms   ratio %.2f\n", what, a * 1e3, yardstick,
                b * 1e3, a / b);
}

void CompareAll(const std::string& dir, int rounds) {
    Compare("sdo3000.xls", dir + "/sdo3000.xls", "bare FreeXL read", BareFreeXl, rounds);
    Compare("sdo3000.xlsx", dir + "/sdo3000.xlsx", "bare orcus load", BareOrcus, rounds);
    // Strings inside the cells and absolute part names: the reader module mends
    // the package first, while orcus alone reads none of its cells.
    Compare("sdo3000-inline.xlsx", dir + "/sdo3000-inline.xlsx", "bare orcus (no cells)", BareOrcus,
            rounds);
}

} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : GW_BENCH_DATA_DIR;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 21;
    std::printf("3000 records into the SDO access tables, %d alternating rounds, CPU time "
                "medians\n",
                rounds);
    std::printf("default heap (memory handed back to the system after each run):\n");
    CompareAll(dir, rounds);
    // The import holds the sheet and the editor's 3000-row tables at once; with
    // the default heap, trimming and refaulting that memory weighs on whichever
    // side allocates more. Kept heap: the steady state of both.
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    std::printf("kept heap (no trimming):\n");
    CompareAll(dir, rounds);
    return 0;
}
