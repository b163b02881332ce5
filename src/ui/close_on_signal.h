#pragma once
// A logout, `kill` or Ctrl+C in the terminal ends the program as its close
// button does, so what closing saves (the remembered project) is still saved.
class QWidget;

namespace gw {

// From now on SIGTERM, SIGINT and SIGHUP close `window` through the event loop
// and end every running event loop, modal dialogs' included. Once per process.
void CloseOnTerminationSignals(QWidget* window);

} // namespace gw
