#pragma once
// A label that acts like a link: hand cursor, clicked() on a left click.
#include <QLabel>
#include <QUrl>

#include <functional>

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

// Asks the desktop to show a local file with the program it belongs to (a
// page in the browser); false when no program took it.
bool OpenLocalFile(const QString& path);

// What hands a URL to the desktop. Tests put a recorder in its place, so no
// browser starts; an empty opener puts the desktop back.
using DesktopOpener = std::function<bool(const QUrl&)>;
void InstallDesktopOpener(DesktopOpener opener);

} // namespace gw
