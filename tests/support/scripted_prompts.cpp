#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

namespace gwtest {

ScriptedPrompts::ScriptedPrompts() {
    gw::InstallPrompts(this);
}

ScriptedPrompts::~ScriptedPrompts() {
    gw::InstallPrompts(nullptr);
    // An answer nobody asked for means the window did not do what the test
    // scripted for it.
    if (!files_.empty() || !questions_.empty())
        ADD_FAILURE() << "Scripted answers left unused: " << files_.size()
                      << " file or folder answer(s), " << questions_.size()
                      << " question answer(s)";
}

QStringList ScriptedPrompts::Texts() const {
    QStringList out;
    for (const auto& s : shown_)
        if (s.kind == Shown::Message || s.kind == Shown::Error || s.kind == Shown::Question)
            out << s.text;
    return out;
}

QStringList ScriptedPrompts::Messages() const {
    QStringList out;
    for (const auto& s : shown_)
        if (s.kind == Shown::Message)
            out << s.text;
    return out;
}

QStringList ScriptedPrompts::Errors() const {
    QStringList out;
    for (const auto& s : shown_)
        if (s.kind == Shown::Error)
            out << s.text;
    return out;
}

void ScriptedPrompts::Message(QWidget*, const QString& text) {
    shown_.push_back({Shown::Message, text, {}, {}, {}});
}

void ScriptedPrompts::Error(QWidget*, const QString& text) {
    shown_.push_back({Shown::Error, text, {}, {}, {}});
}

bool ScriptedPrompts::Question(QWidget*, const QString& caption, const QString& text) {
    shown_.push_back({Shown::Question, text, {}, {}, caption});
    if (questions_.empty())
        return false;
    bool a = questions_.front();
    questions_.pop_front();
    return a;
}

std::optional<QString> ScriptedPrompts::NextFile() {
    if (files_.empty())
        return std::nullopt;
    const auto [chosen, path] = files_.front();
    files_.pop_front();
    if (!chosen)
        return std::nullopt;
    return path;
}

std::optional<QString> ScriptedPrompts::OpenFile(QWidget*, const QString& caption,
                                                 const QString& folder, const QString& filter) {
    shown_.push_back({Shown::OpenFile, caption, folder, filter, {}});
    return NextFile();
}

std::optional<QString> ScriptedPrompts::SaveFile(QWidget*, const QString& caption,
                                                 const QString& folder, const QString& filter,
                                                 const QString& defaultSuffix) {
    shown_.push_back({Shown::SaveFile, caption, folder, filter, defaultSuffix});
    return NextFile();
}

std::optional<QString> ScriptedPrompts::Folder(QWidget*, const QString& title, const QString& root,
                                               const QString& preselect) {
    shown_.push_back({Shown::Folder, title, preselect, {}, root});
    return NextFile();
}

} // namespace gwtest
