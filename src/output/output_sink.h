#pragma once
// Where a generator writes its bytes: a buffer in memory, or a file that is
// replaced only once the whole output is there.
#include <string>
#include <string_view>

namespace gw {

class OutputSink {
public:
    virtual ~OutputSink() = default;
    virtual void Write(std::string_view bytes) = 0;
};

class StringSink : public OutputSink {
public:
    void Write(std::string_view bytes) override { text_.append(bytes); }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// Collects the output and replaces the file in one step on Commit, so a failed
// run never leaves a truncated file where a good one stood.
class AtomicFileSink : public OutputSink {
public:
    explicit AtomicFileSink(std::string path) : path_(std::move(path)) {}
    void Write(std::string_view bytes) override { pending_.append(bytes); }
    // Throws FileError naming the file and the reason.
    void Commit();

private:
    std::string path_;
    std::string pending_;
};

} // namespace gw
