// The XML layer's load as a command: the program loads the file as every
// reader of the core does, and ends. Set against check_bare, in processes of
// their own, no round's freed memory weighs on the next.
#include "xml/xml_document.h"

#include <exception>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    try {
        gw::XmlDocument::LoadFile(argv[1]);
        return 0;
    } catch (const std::exception&) {
        return 1;
    }
}
