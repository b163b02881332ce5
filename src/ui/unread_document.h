#pragma once
// An editor whose document failed to load still opens, showing what it could
// read; its OK must not then replace the file with that without a word (the
// rows after the fault, or the whole malformed document, would be lost). Every
// editor that reads a document keeps one guard: its show loads through the
// guard, and its OK asks the guard before it writes.
#include <QString>

#include <functional>
#include <string>

class QWidget;

namespace gw {

// The question OK asks: "FILE could not be read. Replace it with what is shown?"
QString ReplaceUnreadQuestion(const std::string& path);

class UnreadDocumentGuard {
public:
    // Runs `load`, the editor's reading of the document at `path`. When it
    // throws, the document counts as unread until the next Load and the
    // exception goes on to the caller's error box.
    void Load(const std::string& path, const std::function<void()>& load);

    // For an editor that reports a failed load itself instead of throwing.
    void MarkUnread(const std::string& path);

    bool Unread() const { return unread_; }

    // OK's check before it replaces the document: true when the document was
    // read, or when the user answers Yes to the question. No leaves the file
    // as it is; the editor then stays open.
    bool MayReplace(QWidget* parent) const;

private:
    std::string path_;
    bool unread_ = false;
};

} // namespace gw
