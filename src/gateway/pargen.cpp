#include "gateway/pargen.h"

#include "common/file_io.h"
#include "common/parse_int.h"
#include "gateway/document_names.h"
#include "xml/xml_document.h"

#include <pugixml.hpp>

namespace gw {

namespace {

std::optional<std::int32_t> ElementInt(pugi::xml_node root, const char* name) {
    std::optional<std::string> text = ChildText(root, name);
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

PargenFields PargenFieldsFromDocument(const XmlDocument& doc) {
    using namespace pargen;
    PargenFields f;
    pugi::xml_node root = doc.Root();

    if (auto n = ElementInt(root, kCanBaud))
        f.canBaudIndex = (*n >= 1 && *n <= kCanBaudCount) ? *n - 1 : -1;
    if (auto n = ElementInt(root, kCanType))
        f.canType11Bit = *n == 1;
    if (auto n = ElementInt(root, kCanSendData))
        f.sendOnDataChange = *n == 1;
    if (auto t = ChildText(root, kCanSendTime))
        f.sendTime = *t;
    if (auto t = ChildText(root, kCanTO))
        f.timeOut = *t;
    if (auto t = ChildText(root, kProfiID))
        f.profiId = *t;
    // The stored PROFIBUS rate is not used: the gateway always detects it.
    f.profiBaudIndex = kAutoBaudIndex;
    auto frames = ChildText(root, kProfiFrames);
    f.gsdFromMapping = frames && *frames == "1";
    return f;
}

PargenFields LoadPargenFields(const std::string& path) {
    if (!FileExists(path))
        return PargenFields{};
    return PargenFieldsFromDocument(XmlDocument::LoadFile(path));
}

std::vector<std::string> CheckPargenFields(const std::string& sendTimeText,
                                           const std::string& timeOutText,
                                           const std::string& profiIdText) {
    std::vector<std::string> errors;
    if (!InRange(sendTimeText, 1, 65535))
        errors.emplace_back(pargen::kMsgSendTime);
    if (!InRange(timeOutText, 0, 10000))
        errors.emplace_back(pargen::kMsgTimeOut);
    if (!InRange(profiIdText, 1, 125))
        errors.emplace_back(pargen::kMsgProfiId);
    return errors;
}

std::optional<std::string> FirstPargenError(const PargenFields& fields) {
    std::vector<std::string> errors =
        CheckPargenFields(fields.sendTime, fields.timeOut, fields.profiId);
    if (errors.empty())
        return std::nullopt;
    return errors.front();
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
