#pragma once
// The small set of exceptions the core raises where an action must end with a
// message; the window layer's error boundary shows what() in an error box.
#include <stdexcept>
#include <string>

namespace gw {

// A text that should have been an integer.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file or folder the system refused to read, write or create.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace gw
