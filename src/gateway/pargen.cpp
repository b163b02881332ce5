#include "gateway/pargen.h"

#include "common/file_io.h"
#include "common/parse_int.h"
#include "gateway/document_names.h"
#include "gateway/project_documents.h"
#include "xml/xml_document.h"

namespace gw {

namespace {

std::optional<std::int32_t> ElementInt(const PargenDocument& doc, const char* name) {
    const std::optional<std::string>& text = doc.Text(name);
    if (!text)
        return std::nullopt;
    return TryParseIntText(*text);
}

bool InRange(const std::string& text, std::int32_t low, std::int32_t high) {
    std::int32_t v = ParseIntTextOr(text, -1);
    return v >= low && v <= high;
}

void Append(pugi::xml_node parent, const char* name, const std::string& text) {
    parent.append_child(name).text().set(text.c_str());
}

} // namespace

std::string CanBaudText(int canBaudIndex) {
    if (canBaudIndex < 0 || canBaudIndex >= pargen::kCanBaudCount)
        return {};
    return pargen::kCanBaudRates[canBaudIndex];
}

std::string ProfiBaudText(int profiBaudIndex) {
    if (profiBaudIndex < 0 || profiBaudIndex >= pargen::kProfiBaudCount)
        return {};
    return pargen::kProfiBaudRates[profiBaudIndex];
}

PargenFields PargenFieldsOf(const PargenDocument& doc) {
    using namespace pargen;
    doc.ThrowIfFailed();
    PargenFields f;
    if (doc.state == DocumentState::Missing)
        return f;

    if (auto n = ElementInt(doc, kCanBaud))
        f.canBaudIndex = (*n >= 1 && *n <= kCanBaudCount) ? *n - 1 : -1;
    if (auto n = ElementInt(doc, kCanType))
        f.canType11Bit = *n == 1;
    if (auto n = ElementInt(doc, kCanSendData))
        f.sendOnDataChange = *n == 1;
    if (const auto& t = doc.Text(kCanSendTime))
        f.sendTime = *t;
    if (const auto& t = doc.Text(kCanTO))
        f.timeOut = *t;
    if (const auto& t = doc.Text(kProfiID))
        f.profiId = *t;
    // The stored PROFIBUS rate is not used: the gateway always detects it.
    f.profiBaudIndex = kAutoBaudIndex;
    const auto& frames = doc.Text(kProfiFrames);
    f.gsdFromMapping = frames && *frames == "1";
    return f;
}

PargenFields LoadPargenFields(const std::string& path) {
    return PargenFieldsOf(ReadPargenDocument(path));
}

Findings CheckPargenFields(const std::string& sendTimeText, const std::string& timeOutText,
                           const std::string& profiIdText) {
    Findings found;
    auto add = [&](const char* message) { found.push_back({files::kPargen, 0, 0, message}); };
    if (!InRange(sendTimeText, 1, 65535))
        add(pargen::kMsgSendTime);
    if (!InRange(timeOutText, 0, 10000))
        add(pargen::kMsgTimeOut);
    if (!InRange(profiIdText, 1, 125))
        add(pargen::kMsgProfiId);
    return found;
}

std::optional<std::string> FirstPargenError(const PargenFields& fields) {
    Findings found = CheckPargenFields(fields.sendTime, fields.timeOut, fields.profiId);
    if (found.empty())
        return std::nullopt;
    return found.front().message;
}

std::string PargenDocumentText(const PargenFields& f) {
    using namespace pargen;
    XmlDocument doc;
    pugi::xml_node root = doc.ResetWithRoot(kRoot);
    // No selection is position -1, written as 0.
    Append(root, kCanBaud, std::to_string(f.canBaudIndex + 1));
    Append(root, kCanType, f.canType11Bit ? "1" : "0");
    Append(root, kCanSendData, f.sendOnDataChange ? "1" : "0");
    Append(root, kCanSendTime, f.sendTime);
    Append(root, kCanTO, f.timeOut);
    Append(root, kProfiID, f.profiId);
    Append(root, kProfiBaud, std::to_string(f.profiBaudIndex));
    Append(root, kProfiFrames, f.gsdFromMapping ? "1" : "0");
    return doc.Text();
}

void SavePargen(const std::string& path, const PargenFields& fields) {
    WriteFileAtomic(path, PargenDocumentText(fields));
}

} // namespace gw
