#pragma once
// A label that acts like a link: hand cursor, clicked() on a left click.
#include <QLabel>

namespace gw {

class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickableLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

// Asks the desktop to open a web page or a mail address.
void OpenExternal(const QString& url);

} // namespace gw
