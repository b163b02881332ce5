#pragma once
// The stored PDO definitions (sdopdo.xml): the PDOs of the two sides with the
// SDO entries attached to them, the SDO access entries they must not clash
// with, CheckSdoEntry, reading, the save order on OK, and the sheet and CSV
// forms.
#include "bridge/bridge_xml.h"
#include "bridge/csv_export.h"
#include "bridge/sheet_import.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gw {

class AtomicFileWriter;

namespace sdopdo {
inline constexpr const char* kSheetName = "sdopdo"; // root, sheet and CSV base name
inline constexpr const char* kRow = "row";
inline constexpr const char* kIndex = "index";
inline constexpr const char* kSubindex = "subindex";
inline constexpr const char* kNrpdo = "nrpdo";
inline constexpr const char* kPoscomp = "poscomp";
inline constexpr int kSideBit = 128;      // nrpdo: bit 7 selects side B
inline constexpr int kMaxPdoNumber = 127; // the other 7 bits number the PDO
inline constexpr int kByteChoices = 9;    // "none", "B1" to "B8"
// Indexes from here on are ordered after all others on OK.
inline constexpr std::int64_t kIndexCeiling = 0x999999;

inline constexpr const char* kMsgSdoNotFound = "File SDO XML not found";
inline constexpr const char* kMsgSdoReadError = "Error in reading file SDO XML";
inline constexpr const char* kMsgPdoNotFound = "File PDO XML not found";
inline constexpr const char* kMsgPdoReadError = "Error in reading file PDO XML";
inline constexpr const char* kMsgSdoPdoNotFound = "File SDOPDO XML not found";
inline constexpr const char* kMsgSdoPdoReadError = "Error in reading file SDOPDO XML";
inline constexpr const char* kMsgSdoExists = "Index or Subindex Not Valid,Sdo Already Exists";
inline constexpr const char* kMsgEntryExists = "Index or Subindex Not Valid";
} // namespace sdopdo

enum class PdoSide { A = 0, B = 1 };

// One SDO entry: index and subindex as typed, poscomp = 16 x high byte choice +
// low byte choice as decimal text. An SDO access entry has no poscomp.
struct TClSdo {
    std::string index;
    std::string subindex;
    std::string poscomp;
    bool operator==(const TClSdo&) const = default;
};

// One PDO of a side: its cobid text, its position on the side from 1, and its entries.
struct TClPdo {
    std::string cobid;
    int number = 0;
    std::vector<TClSdo> entries;
    bool operator==(const TClPdo&) const = default;
};

struct StoredPdoSide {
    std::vector<TClPdo> pdos;
    std::vector<TClSdo> sdoAccess; // only for CheckSdoEntry
};

struct StoredPdos {
    std::array<StoredPdoSide, 2> sides;
    StoredPdoSide& operator[](PdoSide s) { return sides[static_cast<int>(s)]; }
    const StoredPdoSide& operator[](PdoSide s) const { return sides[static_cast<int>(s)]; }
};

// The side a PDO translation row belongs to: its "en_bypass" code with bit 1
// clear is side A (the PDO editor's table B), set is side B.
PdoSide SideOfTranslationCode(int enBypass);
// Appends a PDO to a side, numbered by its position there.
void AddPdo(StoredPdos& model, PdoSide side, std::string cobid);

// The SDO access entry side: "conf" bit 0 clear is side A.
PdoSide SideOfAccessCode(int conf);

// nrpdo of a side's PDO number.
int NrPdo(PdoSide side, int number);

// Attaches an entry to the PDO that `nrpdo` names. False when that PDO does not
// exist (the entry is dropped); throws ConversionError for PDO number 0 or less.
bool AttachEntry(StoredPdos& model, int nrpdo, TClSdo entry);

// Every PDO of both sides loses its entries.
void DropEntries(StoredPdos& model);

// Reads the PDOs of both sides from the PDO translation document at `path`,
// all of them in document order (not only the rows its editor shows).
BridgeLoad LoadPdoLists(const std::string& path, StoredPdos& model,
                        const ProgressHooks* progress = nullptr);

// Reads the SDO access entries of both sides (index and subindex of the
// requesting bus) from the SDO access document at `path`.
BridgeLoad LoadSdoAccessEntries(const std::string& path, StoredPdos& model,
                                const ProgressHooks* progress = nullptr);

// Reads the stored entries of the document at `path` into the PDOs already in
// `model`. `dropped`, if given, receives the rows whose PDO does not exist.
BridgeLoad LoadStoredEntries(const std::string& path, StoredPdos& model,
                             std::vector<int>* dropped = nullptr,
                             const ProgressHooks* progress = nullptr);

// What the editor reads when it is shown, each with its outcome.
struct StoredPdoLoad {
    BridgeLoad sdoAccess;
    BridgeLoad pdos;
    BridgeLoad entries;
    std::vector<int> dropped; // stored rows whose PDO does not exist
};
struct StoredPdoPaths {
    std::string sdoAccess; // the SDO access editor's document
    std::string rpdoDef;
    std::string sdoPdo;
};
// Empties `model`, then reads the three documents into it.
StoredPdoLoad LoadStoredPdos(const StoredPdoPaths& paths, StoredPdos& model,
                             const ProgressHooks* progress = nullptr);

enum class SdoCheck { Accept, SdoExists, EntryExists };
// The message of a refusal.
const char* SdoCheckMessage(SdoCheck result);

// Whether an index and subindex may be used for a new entry (pdo and entry -1)
// or for the entry at `entry` of the PDO at `pdo` (positions from 0): no SDO
// access entry of the side and no other entry of the side may have them. The
// comparison is numeric; only texts that are compared are converted, and a
// text that is not an integer throws ConversionError.
SdoCheck CheckSdoEntry(const std::string& index, const std::string& subindex, int pdo, int entry,
                       const std::vector<TClPdo>& pdos, const std::vector<TClSdo>& sdoAccess);

// What CheckSdoEntry says of every stored entry, as if it were modified with
// its own index and subindex: one finding per refused entry, naming the side,
// the PDO and the entry.
struct StoredPdoFinding {
    PdoSide side;
    int pdo;   // position on the side, from 0
    int entry; // position in the PDO's entries, from 0
    std::string message;
};
std::vector<StoredPdoFinding> CheckStoredEntries(const StoredPdos& model);

// poscomp of the two byte choices, and back (a half outside 0..8 gives no
// choice, nullopt). Throws ConversionError when poscomp is not an integer.
std::string PackByteChoices(int high, int low);
struct ByteChoices {
    std::optional<int> high;
    std::optional<int> low;
};
ByteChoices UnpackByteChoices(const std::string& poscomp);

// Refuses a side that would need a PDO beyond 127 in "nrpdo": its number would
// read back as another side's or another PDO. Throws with a message naming the PDO.
void CheckPdoNumbers(const StoredPdos& model);

// The document OK writes: the entries of side A, then side B, each ordered by
// index, then subindex, as integers, equal ones in list order. Throws
// ConversionError for a text that is not an integer.
std::string StoredPdoDocumentText(const StoredPdos& model);
// The same text written into `out`, a batch of entries at a time; throws as
// the text would, before or while writing.
void WriteStoredPdoDocument(const StoredPdos& model, AtomicFileWriter& out);
void SaveStoredPdos(const std::string& path, const StoredPdos& model);

// Export: per PDO of side A in list order and each of its entries, index,
// subindex, nrpdo, poscomp; then side B.
std::vector<CsvLine> StoredPdoCsvLines(const StoredPdos& model);

// Import: once the sheet is found every PDO loses its entries; a record of
// index, subindex, nrpdo, poscomp is attached as on load (dropped when its PDO
// does not exist). The PDOs themselves stay. The importer refers to `model`.
SheetImporter StoredPdoImporter(StoredPdos& model);

} // namespace gw
