#pragma once
// Every exception type of the core, in one place. The core throws where an
// action must end with a message; the window layer's error boundary shows
// what() in an error box and the command-line companion prints it.
#include <cstddef>
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

// A document that is not well-formed; what() is the parser's text with the
// position, and the position is kept for callers that want it.
class XmlError : public std::runtime_error {
public:
    XmlError(const std::string& message, long line, long column)
        : std::runtime_error(message), line_(line), column_(column) {}
    long Line() const { return line_; }
    long Column() const { return column_; }

private:
    long line_;
    long column_;
};

// A document that parses but lacks what a reader needs (an element, an
// attribute), or holds a value a generator must not use.
class DocumentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A configuration image that would not fit the gateway's buffer.
class BankImageTooLarge : public std::runtime_error {
public:
    BankImageTooLarge(std::size_t size, std::size_t capacity)
        : std::runtime_error("The configuration image would be " + std::to_string(size) +
                             " bytes, more than the " + std::to_string(capacity) +
                             " bytes the gateway can hold"),
          size_(size) {}
    std::size_t Size() const { return size_; }

private:
    std::size_t size_;
};

// Bytes whose header does not describe a configuration image.
class InvalidBankImage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The user stopped long work (the Cancel of its progress dialog). Whatever the
// work was to change is left as it was; there is nothing to tell.
class WorkCancelled : public std::runtime_error {
public:
    WorkCancelled() : std::runtime_error("Cancelled") {}
};

// A serial port operation that failed; ErrorCode is the system's error number
// or -1, and what() carries it behind the message.
class ECommError : public std::runtime_error {
public:
    ECommError(const std::string& message, int errorCode)
        : std::runtime_error(message + " (Error: " + std::to_string(errorCode) + ") "),
          ErrorCode(errorCode) {}
    int ErrorCode;
};

} // namespace gw
