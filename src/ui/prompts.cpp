#include "ui/prompts.h"

#include "ui/folder_picker.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace gw {

namespace {

QString Title() {
    return QApplication::applicationDisplayName();
}

class QtPrompts final : public Prompts {
public:
    void Message(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, Title(), text, QMessageBox::Ok, parent);
        box.exec();
    }
    void Error(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Critical, Title(), text, QMessageBox::Ok, parent);
        box.exec();
    }
    bool Question(QWidget* parent, const QString& caption, const QString& text) override {
        QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                        parent);
        return box.exec() == QMessageBox::Yes;
    }
    std::optional<QString> OpenFile(QWidget* parent, const QString& caption, const QString& folder,
                                    const QString& filter) override {
        QString f = QFileDialog::getOpenFileName(parent, caption, folder, QtFilter(filter));
        if (f.isEmpty())
            return std::nullopt;
        return f;
    }
    std::optional<QString> SaveFile(QWidget* parent, const QString& caption, const QString& folder,
                                    const QString& filter, const QString& defaultSuffix) override {
        QFileDialog dlg(parent, caption, folder, QtFilter(filter));
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setDefaultSuffix(defaultSuffix);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return std::nullopt;
        return dlg.selectedFiles().first();
    }
    std::optional<QString> Folder(QWidget* parent, const QString& title, const QString& root,
                                  const QString& preselect) override {
        FolderPicker picker(parent, title, root, preselect);
        if (picker.exec() != QDialog::Accepted)
            return std::nullopt;
        return picker.ChosenFolder();
    }
};

QtPrompts& QtInstance() {
    static QtPrompts p;
    return p;
}

Prompts* installed = nullptr;

} // namespace

Prompts& CurrentPrompts() {
    return installed ? *installed : QtInstance();
}

void InstallPrompts(Prompts* p) {
    installed = p;
}

QString QtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i];
        QString pattern = parts[i + 1];
        pattern.replace(';', ' ');
        // The description usually names the pattern already: "X (*.gsd)".
        out << (desc.contains('(') ? desc.left(desc.indexOf('(')).trimmed() : desc) + " (" +
                   pattern + ")";
    }
    return out.join(";;");
}

} // namespace gw
