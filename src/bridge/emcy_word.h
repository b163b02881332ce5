#pragma once
// The EMCY word document (emcyword.xml): the words of the two tabs with their
// 16 bit definitions, the packed "poscomp", reading, the word check, the save
// order on OK, and the sheet and CSV forms.
#include "bridge/bridge_xml.h"
#include "bridge/csv_export.h"
#include "bridge/sheet_import.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace gw {

class AtomicFileWriter;

namespace emcyword {
inline constexpr const char* kSheetName = "emcyword"; // root, sheet and CSV base name
inline constexpr const char* kRow = "row";
inline constexpr const char* kIndex = "index_addrm";
inline constexpr const char* kSubindex = "subindex";
inline constexpr const char* kExtData = "extdata";
inline constexpr const char* kDevId = "devid";
inline constexpr int kBits = 16;
inline constexpr int kNodesPerWord = kBits + 1;   // the word node and its bits
inline constexpr int kFieldCount = 4 + 3 * kBits; // 52 attributes, sheet fields, CSV fields
// Keys from here on are ordered after all others on OK.
inline constexpr std::int64_t kKeyCeiling = 999999;

inline constexpr const char* kMsgIndexNotValid = "Index Not Valid";
} // namespace emcyword

enum class WordTab { CanA = 0, CanB = 1 };

// One bit of a word: two mask bytes and the packed pair of EMCY byte fields,
// all as typed.
struct ClEbm {
    std::string b0;
    std::string b1;
    std::string poscomp;
    bool operator==(const ClEbm&) const = default;
};

struct TClWEmcy {
    std::string index_addrm;
    std::string subindex;
    std::string devid;
    std::array<ClEbm, emcyword::kBits> bits;
    bool operator==(const TClWEmcy&) const = default;
};

// A word with the number its tree node shows (W0, W1, ...).
struct WordItem {
    int number = 0;
    TClWEmcy word;
    bool operator==(const WordItem&) const = default;
};

struct EmcyWords {
    std::array<std::vector<WordItem>, 2> tabs;
    std::vector<WordItem>& operator[](WordTab t) { return tabs[static_cast<int>(t)]; }
    const std::vector<WordItem>& operator[](WordTab t) const { return tabs[static_cast<int>(t)]; }
    void Clear() { tabs = {}; }
};

// The attribute names of bit k ("bit3_b0", "bit3_b1", "bit3_poscomp").
std::string BitAttribute(int bit, const char* part);

// poscomp = (high * 16 + low) modulo 65536, as decimal text.
std::string PackPoscomp(std::int64_t high, std::int64_t low);
struct EmcyBytes {
    int high; // 0..4095
    int low;  // 0..15
};
// Throws ConversionError when `poscomp` is not an integer.
EmcyBytes UnpackPoscomp(const std::string& poscomp);

// The number a word added with New takes: the last word's number plus 1.
int NextWordNumber(const std::vector<WordItem>& tab);

// Appends a word named by the tab's count before the append (as load and import do).
void AppendWord(EmcyWords& words, WordTab tab, TClWEmcy word);

// Clears `words` and reads the document at `path` into them.
BridgeLoad LoadEmcyWords(const std::string& path, EmcyWords& words,
                         const ProgressHooks* progress = nullptr);

// The word check of New and Modify: all three texts given, and no other word
// of the tab with the same three texts. `self` is the position of the word
// being modified, -1 for a new one.
bool EmcyWordAccepted(const std::string& index, const std::string& subindex,
                      const std::string& devid, const std::vector<WordItem>& tab, int self);

// The document OK writes: each tab ordered by devid, index_addrm, subindex as
// integers, a later word first among equal keys. Throws ConversionError for a
// key that is not an integer.
std::string EmcyWordDocumentText(const EmcyWords& words);
// The same text written into `out`, a batch of entries at a time; throws as
// the text would, before or while writing.
void WriteEmcyWordDocument(const EmcyWords& words, AtomicFileWriter& out);
void SaveEmcyWords(const std::string& path, const EmcyWords& words);

// Export: per word index_addrm, subindex, devid, the tab flag, then the bits
// (the ID before the flag, unlike the document and the sheet).
std::vector<CsvLine> EmcyWordCsvLines(const EmcyWords& words);

// Import: the clearing step empties both tabs; a record is the 52 values in
// document attribute order, field 2 the tab flag (0 CanA, 1 CanB, any other
// integer drops the record). The importer refers to `words`.
SheetImporter EmcyWordImporter(EmcyWords& words);

} // namespace gw
