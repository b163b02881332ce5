#pragma once
// A benchmark's answers to the windows' file and folder dialogs: one file for
// every open dialog (or none), no file to save, no folder. Messages and
// questions are each benchmark's own.
#include "ui/prompts.h"

#include <optional>
#include <utility>

namespace gwbench {

class FileDialogAnswers : public gw::Prompts {
public:
    explicit FileDialogAnswers(std::optional<QString> openFile = std::nullopt)
        : openFile_(std::move(openFile)) {}

    std::optional<QString> OpenFile(QWidget*, const QString&, const QString&,
                                    const QString&) override {
        return openFile_;
    }
    std::optional<QString> SaveFile(QWidget*, const QString&, const QString&, const QString&,
                                    const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> Folder(QWidget*, const QString&, const QString&,
                                  const QString&) override {
        return std::nullopt;
    }

private:
    std::optional<QString> openFile_;
};

} // namespace gwbench
