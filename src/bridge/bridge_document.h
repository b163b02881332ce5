#pragma once
// What the bridge documents share: reading a document row by row with the
// outcome as a value (the editors show their fixed messages, the command line
// the reason), and the attribute reading of a row.
#include <pugixml.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gw {

enum class LoadState { Loaded, Missing, Failed };

struct DocumentLoad {
    LoadState state = LoadState::Missing;
    std::string reason; // Failed: what went wrong, and where
    int rows = 0;       // child nodes of the root handed to the row reader
};

// Hands each child node of the root of the document at `path` to `readRow`;
// the reason of a row that throws names the row. A path where nothing exists is Missing; anything
// else that cannot be read (not a regular file, not well-formed, a row reader
// that throws) is Failed, and the rows read before the fault stay read.
DocumentLoad ReadDocumentRows(const std::string& path,
                              const std::function<void(pugi::xml_node row)>& readRow);

// An attribute that must be there; throws ConversionError naming it.
std::string RequiredAttribute(pugi::xml_node row, const char* name);

// An attribute that must be an integer, read as ParseIntText reads it.
int RequiredIntAttribute(pugi::xml_node row, const char* name);

// The n-th field of a sheet record; a record too short for it ends the import.
const std::string& RecordField(const std::vector<std::string>& fields, std::size_t n);

} // namespace gw
