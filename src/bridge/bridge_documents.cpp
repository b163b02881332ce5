#include "bridge/bridge_documents.h"

namespace gw {

std::string EntriesLeftOutMessage(const std::string& documentName, int leftOut) {
    return "The document " + documentName + " holds " + std::to_string(leftOut) +
           (leftOut == 1 ? " entry" : " entries") +
           " more than its tables hold; they are not shown, and OK will not keep them.";
}

std::string EntryErrorText(int entry, const std::string& reason) {
    return "entry " + std::to_string(entry) + ": " + reason;
}

} // namespace gw
