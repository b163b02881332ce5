#include "cli/cli_xml_tree.h"

#include "cli/cli_commands.h"
#include "extras/xml_reader.h"

#include <exception>
#include <ostream>

namespace gw::cli {

int PrintXmlTreeOfFile(const std::string& file, std::ostream& out, std::ostream& err) {
    TXMLDocument document;
    try {
        document = ReadXmlFile(file);
    } catch (const std::exception& e) {
        // Exactly the error box's text, so scripts can compare it.
        err << e.what() << "\n";
        return kExitInvalid;
    }
    PrintXmlTree(document, out);
    return kExitOk;
}

} // namespace gw::cli
