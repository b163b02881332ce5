#pragma once
// The EMCY translation document (emcydef.xml): the definitions of the two
// lists, the packed flags "bypass_set", reading, the ID check, the save order
// on OK, and the sheet and CSV forms.
#include "bridge/bridge_xml.h"
#include "bridge/csv_export.h"
#include "bridge/sheet_import.h"

#include <array>
#include <string>
#include <vector>

namespace gw {

class AtomicFileWriter;

namespace emcydef {
inline constexpr const char* kSheetName = "emcydef"; // root, sheet and CSV base name
inline constexpr const char* kRow = "row";
inline constexpr const char* kBypassSet = "bypass_set";
// The eleven text attributes, in the order they are written.
inline constexpr const char* kTextAttributes[] = {
    "id_dev",       "mask_eq_ec",   "mask_eq_er",   "mask_eq_m1",   "mask_eq_m2",  "mask_eq_m3",
    "enmask_eq_ec", "enmask_eq_er", "enmask_eq_m1", "enmask_eq_m2", "enmask_eq_m3"};
inline constexpr int kTextCount = 11;
inline constexpr int kAliasCount = 9; // alias values 0 to 8
// IDs from here on are ordered after all others on OK.
inline constexpr std::int64_t kIdCeiling = 999999;

inline constexpr const char* kMsgIndexNotValid = "Index Not Valid";
} // namespace emcydef

enum class EmcyList { CanA = 0, CanB = 1 };

// One EMCY definition. The eleven texts stay as typed (an empty one is made
// "0" when the window makes or changes a definition and when the document is
// read, never on import).
struct TClEmcy {
    std::array<std::string, emcydef::kTextCount> texts; // id_dev first, in attribute order
    bool enable = false;
    int alias = 0;

    const std::string& id_dev() const { return texts[0]; }
    bool operator==(const TClEmcy&) const = default;
};

// A definition with its list line: the ID text as it stood when the definition
// was made or last changed (it may differ from id_dev, which gets "0" for empty).
struct EmcyItem {
    std::string line;
    TClEmcy def;
    bool operator==(const EmcyItem&) const = default;
};

struct EmcyLists {
    std::array<std::vector<EmcyItem>, 2> lists;
    std::vector<EmcyItem>& operator[](EmcyList l) { return lists[static_cast<int>(l)]; }
    const std::vector<EmcyItem>& operator[](EmcyList l) const { return lists[static_cast<int>(l)]; }
    void Clear() { lists = {}; }
};

// bypass_set: bit 0 the enable flag, bits 1-4 the alias, bit 5 the CAN B list.
int PackBypassSet(bool enable, int alias, EmcyList list);
struct BypassSet {
    bool enable;
    int alias;
    EmcyList list;
};
BypassSet UnpackBypassSet(int value);

// Empty texts become "0".
TClEmcy WithZeroForEmpty(TClEmcy def);

// Clears `lists` and reads the document at `path` into them (rows keep their
// document order within each list); what was read before a fault stays.
BridgeLoad LoadEmcyDefs(const std::string& path, EmcyLists& lists,
                        const ProgressHooks* progress = nullptr);

// The ID check of New and Modify: true when `id` may be used. Runs only when
// `force` is set or `id` differs from `oldId`; the empty text and a text equal
// to a line of the list (exact, case-sensitive) fail.
bool EmcyIdAccepted(const std::string& id, const std::string& oldId, bool force,
                    const std::vector<EmcyItem>& list);

// The document OK writes: each list ordered by the integer value of its lines,
// a later definition first among equal values. Throws ConversionError for a
// line that is not an integer.
std::string EmcyDefDocumentText(const EmcyLists& lists);
// The same text written into `out`, a batch of entries at a time; throws as
// the text would, before or while writing.
void WriteEmcyDefDocument(const EmcyLists& lists, AtomicFileWriter& out);
void SaveEmcyDefs(const std::string& path, const EmcyLists& lists);

// Export: the CAN A list, then the CAN B list, in list order; eleven texts and
// bypass_set per line.
std::vector<CsvLine> EmcyDefCsvLines(const EmcyLists& lists);

// Import: the clearing step empties both lists; a record is the twelve values
// in attribute order, placed as they are (empty stays empty), field 11 the
// bypass_set code. The importer refers to `lists`.
SheetImporter EmcyDefImporter(EmcyLists& lists);

} // namespace gw
