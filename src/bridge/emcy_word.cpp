#include "bridge/emcy_word.h"

#include "bridge/save_order.h"
#include "common/file_io.h"
#include "common/parse_int.h"
#include "xml/xml_document.h"
#include "xml/xml_text.h"

namespace gw {

namespace {

constexpr const char* kParts[] = {"_b0", "_b1", "_poscomp"};

std::string& Part(ClEbm& bit, int part) {
    return part == 0 ? bit.b0 : part == 1 ? bit.b1 : bit.poscomp;
}
const std::string& Part(const ClEbm& bit, int part) {
    return part == 0 ? bit.b0 : part == 1 ? bit.b1 : bit.poscomp;
}

// The tab of a flag; nullopt for a flag that names neither.
std::optional<WordTab> TabOfFlag(int flag) {
    if (flag == 0)
        return WordTab::CanA;
    if (flag == 1)
        return WordTab::CanB;
    return std::nullopt;
}

// The word from 52 values in document attribute order (the flag at 2 is skipped).
TClWEmcy WordFromValues(const std::vector<std::string>& v) {
    TClWEmcy w;
    w.index_addrm = v[0];
    w.subindex = v[1];
    w.devid = v[3];
    for (int k = 0; k < emcyword::kBits; ++k)
        for (int p = 0; p < 3; ++p)
            Part(w.bits[static_cast<std::size_t>(k)], p) =
                v[static_cast<std::size_t>(4 + 3 * k + p)];
    return w;
}

} // namespace

std::string BitAttribute(int bit, const char* part) {
    return "bit" + std::to_string(bit) + part;
}

std::string PackPoscomp(std::int64_t high, std::int64_t low) {
    std::int64_t v = (high * 16 + low) % 65536;
    if (v < 0)
        v += 65536;
    return std::to_string(v);
}

EmcyBytes UnpackPoscomp(const std::string& poscomp) {
    std::int64_t v = ParseIntText(poscomp) % 65536;
    if (v < 0)
        v += 65536;
    return {static_cast<int>(v / 16), static_cast<int>(v % 16)};
}

int NextWordNumber(const std::vector<WordItem>& tab) {
    return tab.empty() ? 0 : tab.back().number + 1;
}

void AppendWord(EmcyWords& words, WordTab tab, TClWEmcy word) {
    const int number = static_cast<int>(words[tab].size());
    words[tab].push_back({number, std::move(word)});
}

BridgeLoad LoadEmcyWords(const std::string& path, EmcyWords& words, const ProgressHooks* progress) {
    using namespace emcyword;
    words.Clear();
    return ReadEntries(
        path,
        [&](pugi::xml_node row) {
            const std::optional<WordTab> tab =
                TabOfFlag(ParseIntText(RequiredAttribute(row, kExtData)));
            if (!tab)
                return;
            std::vector<std::string> v(kFieldCount);
            v[0] = AttributeText(row, kIndex).value_or("");
            v[1] = AttributeText(row, kSubindex).value_or("");
            v[3] = AttributeText(row, kDevId).value_or("");
            for (int k = 0; k < kBits; ++k)
                for (int p = 0; p < 3; ++p)
                    v[static_cast<std::size_t>(4 + 3 * k + p)] =
                        AttributeText(row, BitAttribute(k, kParts[p]).c_str()).value_or("");
            AppendWord(words, *tab, WordFromValues(v));
        },
        progress,
        [&](std::size_t entries) {
            // Either tab may take them all; what is not filled is never touched.
            for (auto& tab : words.tabs)
                tab.reserve(entries);
        });
}

bool EmcyWordAccepted(const std::string& index, const std::string& subindex,
                      const std::string& devid, const std::vector<WordItem>& tab, int self) {
    if (index.empty() || subindex.empty() || devid.empty())
        return false;
    for (std::size_t i = 0; i < tab.size(); ++i) {
        const TClWEmcy& w = tab[i].word;
        if (static_cast<int>(i) != self && w.index_addrm == index && w.subindex == subindex &&
            w.devid == devid)
            return false;
    }
    return true;
}

namespace {

std::string BuildEmcyWordDocumentText(const EmcyWords& words, const EntrySink& sink) {
    using namespace emcyword;
    // Every key is read before anything is built: a bad key writes nothing.
    std::array<std::vector<std::size_t>, 2> orders;
    for (std::size_t t = 0; t < 2; ++t) {
        std::vector<std::array<std::int64_t, 3>> keys;
        for (const WordItem& item : words.tabs[t])
            keys.push_back({ParseIntText(item.word.devid), ParseIntText(item.word.index_addrm),
                            ParseIntText(item.word.subindex)});
        orders[t] = SaveOrder(keys, kKeyCeiling, EqualKeys::LaterFirst);
    }
    EntryDocumentText doc(kSheetName, orders[0].size() + orders[1].size(), sink);
    for (std::size_t t = 0; t < 2; ++t) {
        for (std::size_t i : orders[t]) {
            const TClWEmcy& w = words.tabs[t][i].word;
            pugi::xml_node row = doc.Append(kRow);
            row.append_attribute(kIndex).set_value(w.index_addrm.c_str());
            row.append_attribute(kSubindex).set_value(w.subindex.c_str());
            row.append_attribute(kExtData).set_value(t == 0 ? "0" : "1");
            row.append_attribute(kDevId).set_value(w.devid.c_str());
            for (int k = 0; k < kBits; ++k) {
                for (int p = 0; p < 3; ++p) {
                    const std::string name = BitAttribute(k, kParts[p]);
                    const std::string& text = Part(w.bits[static_cast<std::size_t>(k)], p);
                    RequireXmlText(text, [&] {
                        return std::string(t == 0 ? "CanA" : "CanB") + ", W" +
                               std::to_string(words.tabs[t][i].number) + ", " + name;
                    });
                    row.append_attribute(name.c_str()).set_value(text.c_str());
                }
            }
        }
    }
    return doc.Finish();
}

} // namespace

std::string EmcyWordDocumentText(const EmcyWords& words) {
    return BuildEmcyWordDocumentText(words, {});
}

void WriteEmcyWordDocument(const EmcyWords& words, AtomicFileWriter& out) {
    BuildEmcyWordDocumentText(words, [&out](std::string_view text) { out.Write(text); });
}

void SaveEmcyWords(const std::string& path, const EmcyWords& words) {
    AtomicFileWriter out(path);
    WriteEmcyWordDocument(words, out);
    out.Commit();
}

std::vector<CsvLine> EmcyWordCsvLines(const EmcyWords& words) {
    std::vector<CsvLine> lines;
    for (std::size_t t = 0; t < 2; ++t) {
        for (const WordItem& item : words.tabs[t]) {
            const TClWEmcy& w = item.word;
            std::vector<std::string> line{w.index_addrm, w.subindex, w.devid, t == 0 ? "0" : "1"};
            for (const ClEbm& bit : w.bits)
                for (int p = 0; p < 3; ++p)
                    line.push_back(Part(bit, p));
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

SheetImporter EmcyWordImporter(EmcyWords& words) {
    SheetImporter importer;
    importer.sheetName = emcyword::kSheetName;
    importer.fieldCount = emcyword::kFieldCount;
    importer.clear = [&words] { words.Clear(); };
    importer.place = [&words](const SheetRecord& fields) {
        const std::optional<WordTab> tab = TabOfFlag(ParseIntText(fields[2]));
        if (!tab)
            return RecordFate::Dropped;
        AppendWord(words, *tab, WordFromValues(fields));
        return RecordFate::Placed;
    };
    return importer;
}

} // namespace gw
