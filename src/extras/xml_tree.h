#pragma once
// The tree of the XML window without the widgets: one item per parsed node,
// made only when its parent is first opened, with the node's caption until the
// user edits it; and Write, which turns the tree back into a document.
#include "extras/xml_reader.h"

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace gw {

namespace detail {

// Frees the levels of a tree below `children` through a work list instead of
// recursion, so a deeply nested document cannot overflow the stack. Nodes
// whose children are all leaves (most of them) are freed directly.
template <class Node> bool HasGrandchildren(const std::vector<Node>& children) {
    for (const Node& c : children)
        if (!c.children.empty())
            return true;
    return false;
}

template <class Node> void FreeLevels(std::vector<Node>& children) {
    if (!HasGrandchildren(children))
        return;
    std::vector<std::vector<Node>> pending;
    pending.push_back(std::move(children));
    while (!pending.empty()) {
        std::vector<Node> level = std::move(pending.back());
        pending.pop_back();
        for (Node& n : level)
            if (HasGrandchildren(n.children))
                pending.push_back(std::move(n.children));
    }
}

} // namespace detail

class XmlTree {
public:
    struct Item {
        Item() = default;
        Item(Item&&) noexcept = default;
        Item& operator=(Item&&) noexcept = default;
        ~Item() { detail::FreeLevels(children); }

        const TXMLNode* node = nullptr;
        Item* parent = nullptr;
        std::size_t row = 0;
        bool made = false;          // children made
        std::vector<Item> children; // sized once when made, so items never move
    };

    XmlTree() = default;
    // Takes the parsed document; its node becomes the one top item.
    explicit XmlTree(TXMLDocument document);

    bool Empty() const { return top_ == nullptr; }
    // The "File: " item; nullptr for an empty tree.
    Item* Top() const { return top_.get(); }

    std::size_t ChildCount(const Item& item) const { return item.node->children().size(); }
    // Makes the item's children on first use.
    Item& Child(Item& item, std::size_t row);
    // Every item, made; returns how many items the tree holds.
    std::size_t MakeAll();

    TXMLNode::Kind Kind(const Item& item) const { return item.node->kind(); }
    // The caption, or the text the user gave the item.
    std::string Text(const Item& item) const;
    bool Edited(const Item& item) const { return edited_.count(&item) != 0; }
    void SetText(const Item& item, std::string text);

private:
    TXMLDocument document_; // items point into its store, which stays where it is
    std::unique_ptr<Item> top_;
    std::unordered_map<const Item*, std::string> edited_;
};

// Write refused: what() names what would be lost or is not valid.
class XmlWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file name Write takes from the top item's text: what follows its first
// ":" (the whole text when there is none), trimmed.
std::string XmlWriteFileName(const XmlTree& tree);

// The document text the tree stands for, raw UTF-8 without indentation. Items
// the user did not edit keep their node's exact name and value; an edited text
// "name = value" is split at its first "=" and both sides trimmed. The whole
// tree is written: declaration, processing instructions, attributes and text of
// the root, and elements at every depth. Throws XmlWriteError when the tree
// holds something a document cannot hold (an invalid name, a repeated
// attribute, "?>" inside a processing instruction, a character XML 1.0
// cannot hold, an encoding other than UTF-8 in the declaration).
std::string XmlTreeDocumentText(XmlTree& tree);

// Writes the tree into `projectDir` under XmlWriteFileName, replacing a file
// there; returns the path written. Throws XmlWriteError (no project folder, a
// name that leaves the folder, an unwritable tree) or FileError.
std::string WriteXmlTree(XmlTree& tree, const std::string& projectDir);

} // namespace gw
