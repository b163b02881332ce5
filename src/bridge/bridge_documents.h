#pragma once
// What the bridge editors' documents share: the messages of their show, and
// what loading one found.
#include <optional>
#include <string>

namespace gw {

inline constexpr const char* kMsgErrorReadingXml = "Error in reading file XML";
inline constexpr const char* kMsgXmlNotFound = "File XML not found";

inline constexpr char kSdoAccessFile[] = "sdoaccess.xml";
inline constexpr char kRpdoDefFile[] = "rpdodef.xml";
inline constexpr char kSdoPdoFile[] = "sdopdo.xml";
inline constexpr char kEmcyDefFile[] = "emcydef.xml";
inline constexpr char kEmcyWordFile[] = "emcyword.xml";

struct BridgeLoad {
    bool fileFound = false;
    // Why loading stopped (the editor shows its fixed message, the command
    // line this text); the entries read before it stay.
    std::optional<std::string> error;
    int errorEntry = 0; // the entry (from 1) where it stopped; 0 for the whole document
    int leftOut = 0;    // entries beyond the rows of their table
};

// The notice of entries that did not fit: they are not shown, and OK, which
// writes what the tables hold, does not keep them.
std::string EntriesLeftOutMessage(const std::string& documentName, int leftOut);

// An entry's failure as the command line reports it: "entry 3: ...".
std::string EntryErrorText(int entry, const std::string& reason);

} // namespace gw
