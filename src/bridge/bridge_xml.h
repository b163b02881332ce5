#pragma once
// Reading and writing the bridge editors' documents: every child of the root
// is an entry, whatever its name.
#include "bridge/bridge_documents.h"

#include <pugixml.hpp>

#include <functional>
#include <string>

namespace gw {

// The attribute's text; throws when it is missing.
std::string RequiredAttribute(pugi::xml_node node, const char* name);

// Loads `path` and hands every child of the root to `entry` in document
// order. No file: nothing is read (a path that exists but is no file is an
// error). The first failure (not well-formed, an entry's exception) ends the
// reading; its text, with the entry's number, is the result's error.
BridgeLoad ReadEntries(const std::string& path, const std::function<void(pugi::xml_node)>& entry);

// Replaces the document at `path` with `text`; throws FileError.
void SaveDocumentText(const std::string& path, const std::string& text);

} // namespace gw
