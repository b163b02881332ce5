#pragma once
// Reading and writing the bridge editors' documents: every child of the root
// is an entry, whatever its name.
#include "bridge/bridge_documents.h"
#include "common/progress.h"

#include <pugixml.hpp>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace gw {

// The attribute's text; throws when it is missing.
std::string RequiredAttribute(pugi::xml_node node, const char* name);

// Loads `path` and hands every child of the root to `entry` in document
// order. No file: nothing is read (a path that exists but is no file is an
// error). The first failure (not well-formed, an entry's exception) ends the
// reading; its text, with the entry's number, is the result's error; a
// document that is not well-formed hands over no entry at all.
//
// A big document is never held as one tree: its entries are parsed a piece
// at a time (see ReadEntriesInPieces); `expect`, if given, is told how many
// entries follow before the first of such a document is handed over. With
// `progress`, the reading reports and a cancel ends it with WorkCancelled
// (some entries may have been handed over by then).
using ExpectEntries = std::function<void(std::size_t entries)>;
BridgeLoad ReadEntries(const std::string& path, const std::function<void(pugi::xml_node)>& entry,
                       const ProgressHooks* progress = nullptr, const ExpectEntries& expect = {});

// What ReadEntries does with a document of more than `pieceBytes`: the
// document's text is checked piece by piece (each a run of whole entries of
// about `pieceBytes`, see xml/xml_pieces.h), then parsed again piece by piece
// for the entries. A document of any other shape than a root element with
// entries (a declaration, a comment or a doctype before the root) and one that
// is not well-formed are read whole, as a small one is, so results and
// messages are the same.
BridgeLoad ReadEntriesInPieces(const std::string& path,
                               const std::function<void(pugi::xml_node)>& entry,
                               const ProgressHooks* progress, std::size_t pieceBytes,
                               const ExpectEntries& expect = {});

// The text of a document of entries, as a pugixml document holding them all
// would print it (raw, without declaration), built a batch of entries at a
// time so that a document of many entries is never held as nodes at once.
// Where a document's text goes a piece at a time, instead of into one string.
using EntrySink = std::function<void(std::string_view text)>;

class EntryDocumentText {
public:
    // `expectedEntries` sizes the text once the first batch shows how long
    // an entry is, so that it is not copied as it grows. With a `sink`, the
    // text goes there as it is made and Finish returns nothing.
    explicit EntryDocumentText(const char* rootName, std::size_t expectedEntries = 0,
                               EntrySink sink = {});
    // A new last entry, to be filled before the next Append or Finish.
    pugi::xml_node Append(const char* entryName);
    std::string Finish();

private:
    void Flush();

    std::string rootName_;
    std::string text_;
    pugi::xml_document batch_;
    pugi::xml_node holder_;
    std::size_t expected_;
    EntrySink sink_;
    std::size_t inBatch_ = 0;
    std::size_t printed_ = 0;
    bool any_ = false;
};

// Replaces the document at `path` with `text`; throws FileError.
void SaveDocumentText(const std::string& path, const std::string& text);

} // namespace gw
