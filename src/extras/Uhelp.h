#pragma once
// The help window: shows the help text delivered with the program (beside it in
// a build, in the prefix's share/sw40931 when installed).
#include "common/product.h"
#include "ui/modal_window.h"

#include <string>

class QTextEdit;

namespace gw {

inline constexpr const char* kMsgHelpUnreadable = "Impossible to read file Help";

// ShareDir/help<ProductVariant>.dat
std::string HelpFilePath(const std::string& shareDir);

class TFHelp : public ModalWindow {
    Q_OBJECT
public:
    explicit TFHelp(QWidget* parent = nullptr);
    void FormShow() override;

    QTextEdit* RichEdit1;
};

extern TFHelp* FHelp;

} // namespace gw
