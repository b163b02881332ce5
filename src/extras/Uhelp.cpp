#include "extras/Uhelp.h"

#include "app/project_globals.h"
#include "common/file_io.h"
#include "ui/guard.h"
#include "ui/look.h"
#include "ui/prompts.h"

#include <QTextEdit>
#include <QVBoxLayout>

namespace gw {

TFHelp* FHelp = nullptr;

std::string HelpFilePath(const std::string& shareDir) {
    return JoinPath(shareDir, "help" + std::to_string(ProductVariant) + ".dat");
}

TFHelp::TFHelp(QWidget* parent) : ModalWindow(parent) {
    setObjectName("FHelp");
    setWindowTitle("Help");
    resize(492, 397);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName("RichEdit1");
    RichEdit1->setReadOnly(true);
    RichEdit1->setFrameShape(QFrame::NoFrame);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setFont(HouseFont());
    QPalette p = RichEdit1->palette();
    p.setColor(QPalette::Base, kBackground);
    p.setColor(QPalette::Text, kText);
    RichEdit1->setPalette(p);
    layout->addWidget(RichEdit1);
}

void TFHelp::FormShow() {
    std::string text;
    try {
        text = ReadWholeFile(HelpFilePath(Project.ShareDir));
    } catch (const std::exception&) {
        RichEdit1->clear();
        CurrentPrompts().Message(this, kMsgHelpUnreadable);
        return;
    }
    const QString t = QString::fromUtf8(text);
    if (Qt::mightBeRichText(t))
        RichEdit1->setHtml(t);
    else
        RichEdit1->setPlainText(t);
}

} // namespace gw
