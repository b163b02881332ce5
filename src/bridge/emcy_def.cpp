#include "bridge/emcy_def.h"

#include "bridge/save_order.h"
#include "common/file_io.h"
#include "common/parse_int.h"
#include "xml/xml_document.h"
#include "xml/xml_text.h"

namespace gw {

int PackBypassSet(bool enable, int alias, EmcyList list) {
    return alias * 2 + (enable ? 1 : 0) + (list == EmcyList::CanB ? 32 : 0);
}

BypassSet UnpackBypassSet(int value) {
    return {(value & 1) != 0, (value >> 1) & 15, (value & 32) ? EmcyList::CanB : EmcyList::CanA};
}

TClEmcy WithZeroForEmpty(TClEmcy def) {
    for (std::string& t : def.texts)
        if (t.empty())
            t = "0";
    return def;
}

namespace {

void Append(EmcyLists& lists, TClEmcy def, int bypassSet) {
    const BypassSet flags = UnpackBypassSet(bypassSet);
    def.enable = flags.enable;
    def.alias = flags.alias;
    std::string line = def.id_dev();
    lists[flags.list].push_back({std::move(line), std::move(def)});
}

} // namespace

BridgeLoad LoadEmcyDefs(const std::string& path, EmcyLists& lists, const ProgressHooks* progress) {
    lists.Clear();
    return ReadEntries(
        path,
        [&](pugi::xml_node row) {
            TClEmcy def;
            for (int i = 0; i < emcydef::kTextCount; ++i)
                def.texts[static_cast<std::size_t>(i)] =
                    AttributeText(row, emcydef::kTextAttributes[i]).value_or("");
            Append(lists, WithZeroForEmpty(std::move(def)),
                   ParseIntText(RequiredAttribute(row, emcydef::kBypassSet)));
        },
        progress,
        [&](std::size_t entries) {
            // Either list may take them all; what is not filled is never touched.
            for (auto& list : lists.lists)
                list.reserve(entries);
        });
}

bool EmcyIdAccepted(const std::string& id, const std::string& oldId, bool force,
                    const std::vector<EmcyItem>& list) {
    if (!force && id == oldId)
        return true;
    if (id.empty())
        return false;
    for (const EmcyItem& item : list)
        if (item.line == id)
            return false;
    return true;
}

namespace {

std::string BuildEmcyDefDocumentText(const EmcyLists& lists, const EntrySink& sink) {
    // Every key is read before anything is built: a bad line writes nothing.
    std::array<std::vector<std::size_t>, 2> orders;
    for (int l = 0; l < 2; ++l) {
        std::vector<std::array<std::int64_t, 1>> keys;
        for (const EmcyItem& item : lists.lists[static_cast<std::size_t>(l)])
            keys.push_back({ParseIntText(item.line)});
        orders[static_cast<std::size_t>(l)] =
            SaveOrder(keys, emcydef::kIdCeiling, EqualKeys::LaterFirst);
    }
    EntryDocumentText doc(emcydef::kSheetName, orders[0].size() + orders[1].size(), sink);
    for (EmcyList l : {EmcyList::CanA, EmcyList::CanB}) {
        for (std::size_t i : orders[static_cast<std::size_t>(l)]) {
            const TClEmcy& def = lists[l][i].def;
            pugi::xml_node row = doc.Append(emcydef::kRow);
            for (int a = 0; a < emcydef::kTextCount; ++a) {
                const std::string& text = def.texts[static_cast<std::size_t>(a)];
                RequireXmlText(text, [&] {
                    return std::string(l == EmcyList::CanA ? "From CAN A" : "From CAN B") +
                           ", ID " + lists[l][i].line + ", " + emcydef::kTextAttributes[a];
                });
                row.append_attribute(emcydef::kTextAttributes[a]).set_value(text.c_str());
            }
            row.append_attribute(emcydef::kBypassSet)
                .set_value(std::to_string(PackBypassSet(def.enable, def.alias, l)).c_str());
        }
    }
    return doc.Finish();
}

} // namespace

std::string EmcyDefDocumentText(const EmcyLists& lists) {
    return BuildEmcyDefDocumentText(lists, {});
}

void WriteEmcyDefDocument(const EmcyLists& lists, AtomicFileWriter& out) {
    BuildEmcyDefDocumentText(lists, [&out](std::string_view text) { out.Write(text); });
}

void SaveEmcyDefs(const std::string& path, const EmcyLists& lists) {
    AtomicFileWriter out(path);
    WriteEmcyDefDocument(lists, out);
    out.Commit();
}

std::vector<CsvLine> EmcyDefCsvLines(const EmcyLists& lists) {
    std::vector<CsvLine> lines;
    for (EmcyList l : {EmcyList::CanA, EmcyList::CanB}) {
        for (const EmcyItem& item : lists[l]) {
            std::vector<std::string> line(item.def.texts.begin(), item.def.texts.end());
            line.push_back(std::to_string(PackBypassSet(item.def.enable, item.def.alias, l)));
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

SheetImporter EmcyDefImporter(EmcyLists& lists) {
    SheetImporter importer;
    importer.sheetName = emcydef::kSheetName;
    importer.fieldCount = emcydef::kTextCount + 1;
    importer.clear = [&lists] { lists.Clear(); };
    importer.place = [&lists](const SheetRecord& fields) {
        const int code = ParseIntText(fields[emcydef::kTextCount]);
        TClEmcy def;
        for (std::size_t i = 0; i < def.texts.size(); ++i)
            def.texts[i] = fields[i];
        Append(lists, std::move(def), code);
        return RecordFate::Placed;
    };
    return importer;
}

} // namespace gw
