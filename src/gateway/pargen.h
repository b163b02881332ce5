#pragma once
// The communication parameters of a project (pargen.xml): what the dialog shows,
// how the document is read element by element, the range checks on OK and the
// document that OK writes.
#include "common/findings.h"

#include <optional>
#include <string>
#include <vector>

namespace gw {

struct PargenDocument;

namespace pargen {

// The CAN baud rate list; "Can_Baud" n is position n counted from 1.
inline constexpr const char* kCanBaudRates[] = {"20K",  "50K",  "100K", "125K",
                                                "250K", "500K", "800K", "1000K"};
inline constexpr int kCanBaudCount = 8;

// The PROFIBUS baud rate list; "Profi_Baud" is a position counted from 0.
inline constexpr const char* kProfiBaudRates[] = {"9600",   "19200", "45.45K",       "93.75K",
                                                  "187.5K", "500K",  "1.5M",         "3.0M",
                                                  "6.0M",   "12M",   "Auto Baudrate"};
inline constexpr int kProfiBaudCount = 11;
inline constexpr int kAutoBaudIndex = 10;

inline constexpr const char* kMsgSendTime =
    "Error!! The Time Before send a new frame must be between 1 and 65535. ";
inline constexpr const char* kMsgTimeOut = "Error!! CAN TimeOut Data must be between 0 and 10000. ";
inline constexpr const char* kMsgProfiId = "Error!! ProfiBus address must be between 1 and 125. ";

} // namespace pargen

// What the communication dialog shows. The three numeric fields are kept as
// typed; the lists are positions from 0, -1 for no selection.
struct PargenFields {
    int canBaudIndex = 4; // "250K"
    bool canType11Bit = true;
    bool sendOnDataChange = true;
    std::string sendTime = "100";
    std::string timeOut = "10";
    std::string profiId = "1";
    int profiBaudIndex = pargen::kAutoBaudIndex;
    bool gsdFromMapping = false;

    bool operator==(const PargenFields&) const = default;
};

// The list entry shown for a position, empty for no selection.
std::string CanBaudText(int canBaudIndex);
std::string ProfiBaudText(int profiBaudIndex);

// Takes each element on its own: a missing or unreadable element gives its own
// default, and so does a document that is not there. Throws the document's
// reading error (XmlError, FileError) when it could not be read.
PargenFields PargenFieldsOf(const PargenDocument& doc);

// The same for the document at `path`.
PargenFields LoadPargenFields(const std::string& path);

// Every range-check finding of pargen.xml, in the order the dialog checks
// them. A text that is not an integer counts as -1.
Findings CheckPargenFields(const std::string& sendTimeText, const std::string& timeOutText,
                           const std::string& profiIdText);

// The message OK shows: the first of the above, if any.
std::optional<std::string> FirstPargenError(const PargenFields& fields);

// The document OK writes: "Par_Gen" with its eight elements, in order.
std::string PargenDocumentText(const PargenFields& fields);

// Replaces the file atomically; throws FileError.
void SavePargen(const std::string& path, const PargenFields& fields);

} // namespace gw
