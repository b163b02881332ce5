#include "ui/bridge_controls.h"

#include "ui/controls.h"
#include "ui/prompts.h"

#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace gw {

QPushButton* PlaceButton(QWidget* parent, const char* name, const char* caption, int x, int y,
                         int w, int h) {
    QPushButton* b = MakeButton(parent, name, caption, x, y, w, h);
    b->setAutoDefault(false);
    return b;
}

QTabWidget* ContentTabs(QWidget* content) {
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(6, 6, 6, 0);
    auto* tabs = new QTabWidget(content);
    tabs->setObjectName("PageControl1");
    layout->addWidget(tabs);
    return tabs;
}

bool ShowLoadNotice(QWidget* parent, const BridgeLoad& load, const char* notFound,
                    const char* readError) {
    if (!load.fileFound)
        CurrentPrompts().Message(parent, notFound);
    else if (load.error)
        CurrentPrompts().Message(parent, readError);
    return load.error.has_value();
}

} // namespace gw
