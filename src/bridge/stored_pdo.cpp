#include "bridge/stored_pdo.h"

#include "bridge/pdo_translation.h"
#include "bridge/save_order.h"
#include "bridge/sdo_access.h"
#include "common/errors.h"
#include "common/file_io.h"
#include "common/parse_int.h"
#include "xml/xml_document.h"
#include "xml/xml_text.h"

#include <stdexcept>

namespace gw {

PdoSide SideOfTranslationCode(int enBypass) {
    return (enBypass & 2) ? PdoSide::B : PdoSide::A;
}

void AddPdo(StoredPdos& model, PdoSide side, std::string cobid) {
    std::vector<TClPdo>& pdos = model[side].pdos;
    pdos.push_back({std::move(cobid), static_cast<int>(pdos.size()) + 1, {}});
}

PdoSide SideOfAccessCode(int conf) {
    return (conf & 1) ? PdoSide::B : PdoSide::A;
}

int NrPdo(PdoSide side, int number) {
    return number + (side == PdoSide::B ? sdopdo::kSideBit : 0);
}

bool AttachEntry(StoredPdos& model, int nrpdo, TClSdo entry) {
    const PdoSide side = (nrpdo & sdopdo::kSideBit) ? PdoSide::B : PdoSide::A;
    const int k = nrpdo & ~sdopdo::kSideBit;
    if (k < 1)
        throw ConversionError("nrpdo " + std::to_string(nrpdo) + " names no PDO");
    std::vector<TClPdo>& pdos = model[side].pdos;
    if (k > static_cast<int>(pdos.size()))
        return false;
    pdos[static_cast<std::size_t>(k - 1)].entries.push_back(std::move(entry));
    return true;
}

void DropEntries(StoredPdos& model) {
    for (StoredPdoSide& side : model.sides)
        for (TClPdo& pdo : side.pdos)
            pdo.entries.clear();
}

BridgeLoad LoadPdoLists(const std::string& path, StoredPdos& model, const ProgressHooks* progress) {
    return ReadEntries(
        path,
        [&](pugi::xml_node row) {
            const int code = ParseIntText(RequiredAttribute(row, rpdodef::kEnBypass));
            AddPdo(model, SideOfTranslationCode(code), RequiredAttribute(row, rpdodef::kCobId));
        },
        progress);
}

namespace {
// The columns of "IndexA" and "SubindexA" in the SDO access tables.
constexpr int kIndexAColumn = 2;
constexpr int kSubindexAColumn = 3;
} // namespace

BridgeLoad LoadSdoAccessEntries(const std::string& path, StoredPdos& model,
                                const ProgressHooks* progress) {
    // The table A of the SDO access editor is side A's; only the requesting
    // bus's index and subindex take part in the check.
    SdoAccessTables tables;
    const BridgeLoad load = LoadSdoAccess(path, tables, progress);
    for (PdoSide side : {PdoSide::A, PdoSide::B}) {
        const EntryTable& table = side == PdoSide::A ? tables.a : tables.b;
        for (int row = 1; row <= table.EntryRows() && table.RowFilled(row); ++row)
            model[side].sdoAccess.push_back(
                {table.Cell(kIndexAColumn, row), table.Cell(kSubindexAColumn, row), {}});
    }
    return load;
}

StoredPdoLoad LoadStoredPdos(const StoredPdoPaths& paths, StoredPdos& model,
                             const ProgressHooks* progress) {
    model = StoredPdos{};
    StoredPdoLoad load;
    load.sdoAccess = LoadSdoAccessEntries(paths.sdoAccess, model, progress);
    load.pdos = LoadPdoLists(paths.rpdoDef, model, progress);
    load.entries = LoadStoredEntries(paths.sdoPdo, model, &load.dropped, progress);
    return load;
}

BridgeLoad LoadStoredEntries(const std::string& path, StoredPdos& model, std::vector<int>* dropped,
                             const ProgressHooks* progress) {
    using namespace sdopdo;
    int number = 0;
    return ReadEntries(
        path,
        [&](pugi::xml_node row) {
            ++number;
            TClSdo entry{RequiredAttribute(row, kIndex), RequiredAttribute(row, kSubindex), {}};
            const int nrpdo = ParseIntText(RequiredAttribute(row, kNrpdo));
            entry.poscomp = RequiredAttribute(row, kPoscomp);
            if (!AttachEntry(model, nrpdo, std::move(entry)) && dropped)
                dropped->push_back(number);
        },
        progress);
}

const char* SdoCheckMessage(SdoCheck result) {
    switch (result) {
    case SdoCheck::SdoExists:
        return sdopdo::kMsgSdoExists;
    case SdoCheck::EntryExists:
        return sdopdo::kMsgEntryExists;
    case SdoCheck::Accept:
        break;
    }
    return "";
}

SdoCheck CheckSdoEntry(const std::string& index, const std::string& subindex, int pdo, int entry,
                       const std::vector<TClPdo>& pdos, const std::vector<TClSdo>& sdoAccess) {
    // The given texts are read on first use, so a side with nothing to compare
    // accepts any text.
    std::optional<std::int32_t> givenIndex;
    std::optional<std::int32_t> givenSubindex;
    auto same = [&](const TClSdo& e) {
        if (!givenIndex)
            givenIndex = ParseIntText(index);
        if (ParseIntText(e.index) != *givenIndex)
            return false;
        if (!givenSubindex)
            givenSubindex = ParseIntText(subindex);
        return ParseIntText(e.subindex) == *givenSubindex;
    };
    for (const TClSdo& a : sdoAccess)
        if (same(a))
            return SdoCheck::SdoExists;
    for (std::size_t p = 0; p < pdos.size(); ++p) {
        const std::vector<TClSdo>& entries = pdos[p].entries;
        for (std::size_t e = 0; e < entries.size(); ++e) {
            const bool self = static_cast<int>(p) == pdo && static_cast<int>(e) == entry;
            if (!self && same(entries[e]))
                return SdoCheck::EntryExists;
        }
    }
    return SdoCheck::Accept;
}

std::vector<StoredPdoFinding> CheckStoredEntries(const StoredPdos& model) {
    std::vector<StoredPdoFinding> findings;
    for (PdoSide side : {PdoSide::A, PdoSide::B}) {
        const StoredPdoSide& s = model[side];
        for (std::size_t p = 0; p < s.pdos.size(); ++p) {
            const std::vector<TClSdo>& entries = s.pdos[p].entries;
            for (std::size_t e = 0; e < entries.size(); ++e) {
                std::string message;
                try {
                    const SdoCheck result =
                        CheckSdoEntry(entries[e].index, entries[e].subindex, static_cast<int>(p),
                                      static_cast<int>(e), s.pdos, s.sdoAccess);
                    message = SdoCheckMessage(result);
                } catch (const std::exception& ex) {
                    message = ex.what();
                }
                if (message.empty())
                    continue;
                findings.push_back({side, static_cast<int>(p), static_cast<int>(e),
                                    std::string("side ") + (side == PdoSide::A ? "CanA" : "CanB") +
                                        ", PDO " + s.pdos[p].cobid + ", Sdo" + std::to_string(e) +
                                        " (index " + entries[e].index + ", subindex " +
                                        entries[e].subindex + "): " + message});
            }
        }
    }
    return findings;
}

std::string PackByteChoices(int high, int low) {
    return std::to_string(16 * high + low);
}

ByteChoices UnpackByteChoices(const std::string& poscomp) {
    const std::int32_t v = ParseIntText(poscomp);
    auto choice = [](std::int32_t c) -> std::optional<int> {
        if (c >= 0 && c < sdopdo::kByteChoices)
            return static_cast<int>(c);
        return std::nullopt;
    };
    return {choice((v / 16) % 16), choice(v % 16)};
}

void CheckPdoNumbers(const StoredPdos& model) {
    for (PdoSide side : {PdoSide::A, PdoSide::B}) {
        for (const TClPdo& pdo : model[side].pdos) {
            if (pdo.number > sdopdo::kMaxPdoNumber && !pdo.entries.empty())
                throw std::runtime_error("The PDO " + pdo.cobid + " is PDO " +
                                         std::to_string(pdo.number) + " of side " +
                                         (side == PdoSide::A ? "CanA" : "CanB") +
                                         "; stored entries can name only the first " +
                                         std::to_string(sdopdo::kMaxPdoNumber) +
                                         " PDOs of a side. Move its entries to one of those PDOs.");
        }
    }
}

namespace {

// The entries of a side with their PDO numbers, in list order.
struct SideEntry {
    const TClSdo* entry;
    int number;
};
std::vector<SideEntry> EntriesOf(const StoredPdoSide& side) {
    std::vector<SideEntry> all;
    for (const TClPdo& pdo : side.pdos)
        for (const TClSdo& e : pdo.entries)
            all.push_back({&e, pdo.number});
    return all;
}

} // namespace

namespace {

std::string BuildStoredPdoDocumentText(const StoredPdos& model, const EntrySink& sink) {
    using namespace sdopdo;
    CheckPdoNumbers(model);
    // Every key is read before anything is built: a bad text writes nothing.
    std::array<std::vector<SideEntry>, 2> entries;
    std::array<std::vector<std::size_t>, 2> orders;
    for (std::size_t s = 0; s < 2; ++s) {
        entries[s] = EntriesOf(model.sides[s]);
        std::vector<std::array<std::int64_t, 2>> keys;
        for (const SideEntry& e : entries[s])
            keys.push_back({ParseIntText(e.entry->index), ParseIntText(e.entry->subindex)});
        orders[s] = SaveOrder(keys, kIndexCeiling, EqualKeys::ListOrder);
    }
    EntryDocumentText doc(kSheetName, orders[0].size() + orders[1].size(), sink);
    for (std::size_t s = 0; s < 2; ++s) {
        const PdoSide side = static_cast<PdoSide>(s);
        for (std::size_t i : orders[s]) {
            const SideEntry& e = entries[s][i];
            pugi::xml_node row = doc.Append(kRow);
            row.append_attribute(kIndex).set_value(e.entry->index.c_str());
            row.append_attribute(kSubindex).set_value(e.entry->subindex.c_str());
            row.append_attribute(kNrpdo).set_value(std::to_string(NrPdo(side, e.number)).c_str());
            RequireXmlText(e.entry->poscomp, [&] {
                return std::string(side == PdoSide::A ? "CanA" : "CanB") + ", index " +
                       e.entry->index + ", subindex " + e.entry->subindex + ", poscomp";
            });
            row.append_attribute(kPoscomp).set_value(e.entry->poscomp.c_str());
        }
    }
    return doc.Finish();
}

} // namespace

std::string StoredPdoDocumentText(const StoredPdos& model) {
    return BuildStoredPdoDocumentText(model, {});
}

void WriteStoredPdoDocument(const StoredPdos& model, AtomicFileWriter& out) {
    BuildStoredPdoDocumentText(model, [&out](std::string_view text) { out.Write(text); });
}

void SaveStoredPdos(const std::string& path, const StoredPdos& model) {
    AtomicFileWriter out(path);
    WriteStoredPdoDocument(model, out);
    out.Commit();
}

std::vector<CsvLine> StoredPdoCsvLines(const StoredPdos& model) {
    CheckPdoNumbers(model);
    std::vector<CsvLine> lines;
    for (PdoSide side : {PdoSide::A, PdoSide::B})
        for (const SideEntry& e : EntriesOf(model[side]))
            lines.push_back({e.entry->index, e.entry->subindex,
                             std::to_string(NrPdo(side, e.number)), e.entry->poscomp});
    return lines;
}

SheetImporter StoredPdoImporter(StoredPdos& model) {
    SheetImporter importer;
    importer.sheetName = sdopdo::kSheetName;
    importer.fieldCount = 4;
    importer.sheetFound = [&model] { DropEntries(model); };
    importer.place = [&model](const SheetRecord& fields) {
        const int nrpdo = ParseIntText(fields[2]);
        return AttachEntry(model, nrpdo, {fields[0], fields[1], fields[3]}) ? RecordFate::Placed
                                                                            : RecordFate::Dropped;
    };
    return importer;
}

} // namespace gw
