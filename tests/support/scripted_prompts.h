#pragma once
// Prompts for window tests: records every text shown and answers dialogs from a
// queue, so a test runs headless and checks exactly what the user would see.
#include "ui/prompts.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <utility>
#include <vector>

namespace gwtest {

struct Shown {
    enum Kind { Message, Error, Question, OpenFile, SaveFile, Folder } kind;
    QString text;   // the message, or the dialog's caption or title
    QString folder; // file and folder dialogs: the initial folder
    QString filter; // file dialogs
    QString extra;  // save dialog: default suffix; folder dialog: root
};

class ScriptedPrompts : public gw::Prompts {
public:
    ScriptedPrompts();           // installs itself
    ~ScriptedPrompts() override; // goes back to the Qt dialogs

    // Answers, used in order. A dialog with no answer queued is cancelled; a
    // question with none queued answers No.
    void AnswerFile(const QString& path) { files_.push_back({true, path}); }
    void CancelFile() { files_.push_back({false, {}}); }
    void AnswerQuestion(bool yes) { questions_.push_back(yes); }

    const std::vector<Shown>& All() const { return shown_; }
    // The texts of the message and error boxes, in order.
    QStringList Texts() const;
    QStringList Messages() const;
    QStringList Errors() const;
    void Clear() { shown_.clear(); }

    void Message(QWidget*, const QString& text) override;
    void Error(QWidget*, const QString& text) override;
    bool Question(QWidget*, const QString& caption, const QString& text) override;
    std::optional<QString> OpenFile(QWidget*, const QString& caption, const QString& folder,
                                    const QString& filter) override;
    std::optional<QString> SaveFile(QWidget*, const QString& caption, const QString& folder,
                                    const QString& filter, const QString& defaultSuffix) override;
    std::optional<QString> Folder(QWidget*, const QString& title, const QString& root,
                                  const QString& preselect) override;

private:
    std::optional<QString> NextFile();

    std::vector<Shown> shown_;
    std::deque<std::pair<bool, QString>> files_; // chosen?, path
    std::deque<bool> questions_;
};

} // namespace gwtest
