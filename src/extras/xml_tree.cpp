#include "extras/xml_tree.h"

#include "common/file_io.h"
#include "xml/xml_document.h"
#include "xml/xml_text.h"

#include <set>
#include <utility>

namespace gw {

XmlTree::XmlTree(TXMLDocument document)
    : document_(std::move(document)), top_(std::make_unique<Item>()) {
    top_->node = &document_.Node();
}

XmlTree::Item& XmlTree::Child(Item& item, std::size_t row) {
    if (!item.made) {
        const TXMLNodeList nodes = item.node->children();
        const std::size_t n = nodes.size();
        item.children.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            Item& c = item.children[i];
            c.node = &nodes[i];
            c.parent = &item;
            c.row = i;
        }
        item.made = true;
    }
    return item.children.at(row);
}

std::size_t XmlTree::MakeAll() {
    if (!top_)
        return 0;
    std::size_t count = 0;
    std::vector<Item*> pending{top_.get()};
    while (!pending.empty()) {
        Item* item = pending.back();
        pending.pop_back();
        ++count;
        for (std::size_t i = 0; i < ChildCount(*item); ++i)
            pending.push_back(&Child(*item, i));
    }
    return count;
}

std::string XmlTree::Text(const Item& item) const {
    const auto e = edited_.find(&item);
    return e != edited_.end() ? e->second : NodeCaption(*item.node);
}

void XmlTree::SetText(const Item& item, std::string text) {
    edited_[&item] = std::move(text);
}

namespace {

const char* const kNothingToWrite = "Nothing to write: open an XML file first";
const char* const kProjectNotValid = "Project not valid";
const char* const kPiSuffix = "ProcessingInstruction";

std::string Trim(const std::string& s) {
    const char* const ws = " \t\r\n";
    const std::size_t begin = s.find_first_not_of(ws);
    if (begin == std::string::npos)
        return {};
    return s.substr(begin, s.find_last_not_of(ws) - begin + 1);
}

[[noreturn]] void Refuse(const std::string& message) {
    throw XmlWriteError(message);
}

// The name and the value an item stands for.
struct Pair {
    std::string name;
    std::string value;
};

Pair ItemPair(const XmlTree& tree, const XmlTree::Item& item) {
    if (!tree.Edited(item))
        return {std::string(item.node->name()), std::string(item.node->value())};
    const std::string text = tree.Text(item);
    const std::size_t eq = text.find('=');
    Pair p;
    if (eq == std::string::npos) {
        p.name = Trim(text);
    } else {
        p.name = Trim(text.substr(0, eq));
        p.value = Trim(text.substr(eq + 1));
    }
    if (item.node->kind() == TXMLNode::ProcessingInstruction && p.name.ends_with(kPiSuffix) &&
        p.name.size() > std::string_view(kPiSuffix).size())
        p.name.resize(p.name.size() - std::string_view(kPiSuffix).size());
    return p;
}

void CheckName(const std::string& name) {
    if (!IsXmlName(name))
        Refuse("\"" + name + "\" is not a valid XML name");
}

// Text XML 1.0 cannot hold would be written as a character reference no
// reader accepts (or, for a NUL, cut short).
void CheckText(const std::string& name, const std::string& text) {
    if (const auto unfit = FindUnfitXmlChar(text))
        Refuse("\"" + name + "\": " + DescribeUnfitXmlChar(*unfit) +
               " cannot be stored in an XML document");
}

bool IsUtf8Name(std::string encoding) {
    for (char& ch : encoding)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    return encoding == "UTF-8" || encoding == "UTF8";
}

} // namespace

std::string XmlWriteFileName(const XmlTree& tree) {
    if (tree.Empty())
        return {};
    const std::string text = tree.Text(*tree.Top());
    const std::size_t colon = text.find(':');
    return Trim(colon == std::string::npos ? text : text.substr(colon + 1));
}

std::string XmlTreeDocumentText(XmlTree& tree) {
    if (tree.Empty())
        Refuse(kNothingToWrite);
    XmlDocument out;
    // Each item's children go into its output node; an element's own children
    // are written when it is taken from the list, so order is kept at every level.
    struct Work {
        XmlTree::Item* item;
        pugi::xml_node node;
    };
    std::vector<Work> pending{{tree.Top(), out.Doc()}};
    while (!pending.empty()) {
        Work w = pending.back();
        pending.pop_back();
        std::set<std::string> attributes;
        for (std::size_t i = 0; i < tree.ChildCount(*w.item); ++i) {
            XmlTree::Item& child = tree.Child(*w.item, i);
            switch (tree.Kind(child)) {
            case TXMLNode::Attribute: {
                const Pair p = ItemPair(tree, child);
                CheckName(p.name);
                CheckText(p.name, p.value);
                if (!attributes.insert(p.name).second)
                    Refuse("Attribute \"" + p.name + "\" appears twice in \"" +
                           ItemPair(tree, *w.item).name + "\"");
                if (w.node.type() == pugi::node_declaration && p.name == "encoding" &&
                    !IsUtf8Name(p.value))
                    Refuse("Write stores UTF-8, but the XML declaration names the encoding \"" +
                           p.value + "\"");
                w.node.append_attribute(p.name.c_str()).set_value(p.value.c_str());
                break;
            }
            case TXMLNode::Element: {
                const Pair p = ItemPair(tree, child);
                CheckName(p.name);
                CheckText(p.name, p.value);
                pugi::xml_node e = w.node.append_child(p.name.c_str());
                if (!p.value.empty())
                    e.append_child(pugi::node_pcdata).set_value(p.value.c_str());
                pending.push_back({&child, e});
                break;
            }
            case TXMLNode::ProcessingInstruction: {
                const Pair p = ItemPair(tree, child);
                CheckName(p.name);
                CheckText(p.name, p.value);
                if (IsReservedXmlName(p.name))
                    Refuse(kMsgReservedPiName);
                if (p.value.find("?>") != std::string::npos)
                    Refuse("Processing instruction \"" + p.name + "\" cannot contain \"?>\"");
                pugi::xml_node pi = w.node.append_child(pugi::node_pi);
                pi.set_name(p.name.c_str());
                pi.set_value(p.value.c_str());
                break;
            }
            case TXMLNode::XMLDeclaration:
                pending.push_back({&child, w.node.append_child(pugi::node_declaration)});
                break;
            case TXMLNode::Document:
                break;
            }
        }
    }
    return out.Text();
}

std::string WriteXmlTree(XmlTree& tree, const std::string& projectDir) {
    if (tree.Empty())
        Refuse(kNothingToWrite);
    if (projectDir.empty())
        Refuse(kProjectNotValid);
    const std::string name = XmlWriteFileName(tree);
    // The file goes into the project folder, never beside or above it.
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
        Refuse("File name not valid: \"" + name + "\"");
    const std::string text = XmlTreeDocumentText(tree);
    const std::string path = JoinPath(projectDir, name);
    WriteFileAtomic(path, text);
    return path;
}

} // namespace gw
