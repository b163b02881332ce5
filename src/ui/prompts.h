#pragma once
// Every message, error, question and file or folder dialog the windows show goes
// through this interface, so tests can run headless, answer from a script and
// check the exact texts.
#include <QString>

#include <optional>

class QWidget;

namespace gw {

class Prompts {
public:
    virtual ~Prompts() = default;

    // Plain message box with one OK button.
    virtual void Message(QWidget* parent, const QString& text) = 0;
    // Error box: error icon, one OK button.
    virtual void Error(QWidget* parent, const QString& text) = 0;
    // Question box with Yes and No; true for Yes.
    virtual bool Question(QWidget* parent, const QString& caption, const QString& text) = 0;
    // File dialogs; the filter is in the "Description (*.ext)|*.ext" form the
    // windows are given. nullopt when the user cancels.
    virtual std::optional<QString> OpenFile(QWidget* parent, const QString& caption,
                                            const QString& folder, const QString& filter) = 0;
    virtual std::optional<QString> SaveFile(QWidget* parent, const QString& caption,
                                            const QString& folder, const QString& filter,
                                            const QString& defaultSuffix) = 0;
    // Folder browser rooted at `root` (the user cannot leave it), with
    // `preselect` selected when it is not empty.
    virtual std::optional<QString> Folder(QWidget* parent, const QString& title,
                                          const QString& root, const QString& preselect) = 0;
};

// The prompts in force; the Qt dialogs unless a test installed others.
Prompts& CurrentPrompts();
// Installs `p` (not owned); nullptr goes back to the Qt dialogs.
void InstallPrompts(Prompts* p);

// Converts a "Description (*.ext)|*.ext|..." filter to the form Qt dialogs take.
QString QtFilter(const QString& filter);

} // namespace gw
