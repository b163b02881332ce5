// The bridge documents of one file each (EMCY definitions, EMCY words, SDO
// access, PDO translation) loaded from any bytes, saved and loaded again: the
// loads of saved text succeed and keep the content. The first byte picks the
// document.
#include "bridge/emcy_def.h"
#include "bridge/emcy_word.h"
#include "bridge/pdo_translation.h"
#include "bridge/sdo_access.h"
#include "fuzz_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <functional>
#include <string>

namespace {

// Loads `path` into a fresh model, saves its text there and loads it again;
// false when the second load fails or saves another text. A first model whose
// text cannot be made (a value that is no number where the save needs one)
// has nothing to compare.
// Loads `path` into a fresh model and saves its text there, twice more: every
// load after the first must succeed, and the third text must be the first
// again. (Entries with equal keys are written later first, so they change
// places with each save and come back every second one.) A first model whose
// text cannot be made (a value that is no number where the save needs one) has
// nothing to compare.
template <class Model>
bool RoundTrip(const std::string& path, const std::function<gw::BridgeLoad(Model&)>& load,
               const std::function<std::string(const Model&)>& text) {
    Model first;
    load(first);
    std::string saved;
    try {
        saved = text(first);
    } catch (const std::exception&) {
        return true;
    }
    std::string again = saved;
    for (int round = 0; round < 2; ++round) {
        gwfuzz::Spill(path, again);
        Model next;
        if (load(next).error)
            return false;
        try {
            again = text(next);
        } catch (const std::exception&) {
            return false;
        }
    }
    return again == saved;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = gwfuzz::ScratchPath("document.xml");
    const std::optional<unsigned> pick = gwfuzz::SpillPicked(data, size, path);
    if (!pick)
        return 0;
    bool same = true;
    switch (*pick % 4) {
    case 0:
        same = RoundTrip<gw::EmcyLists>(
            path, [&](gw::EmcyLists& m) { return gw::LoadEmcyDefs(path, m); },
            [](const gw::EmcyLists& m) { return gw::EmcyDefDocumentText(m); });
        break;
    case 1:
        same = RoundTrip<gw::EmcyWords>(
            path, [&](gw::EmcyWords& m) { return gw::LoadEmcyWords(path, m); },
            [](const gw::EmcyWords& m) { return gw::EmcyWordDocumentText(m); });
        break;
    case 2:
        same = RoundTrip<gw::SdoAccessTables>(
            path, [&](gw::SdoAccessTables& m) { return gw::LoadSdoAccess(path, m); },
            [](const gw::SdoAccessTables& m) { return gw::SdoAccessDocumentText(m); });
        break;
    case 3:
        same = RoundTrip<gw::PdoTranslationTables>(
            path, [&](gw::PdoTranslationTables& m) { return gw::LoadPdoTranslation(path, m); },
            [](const gw::PdoTranslationTables& m) { return gw::PdoTranslationDocumentText(m); });
        break;
    }
    if (!same)
        std::abort();
    return 0;
}
