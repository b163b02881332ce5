// The yardstick of `check` as a command: a program that only loads the file
// with pugixml, with the same parse options as a bare load has by default.
#include <pugixml.hpp>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    pugi::xml_document doc;
    return doc.load_file(argv[1]) ? 0 : 1;
}
