#pragma once
// A logout, `kill` or Ctrl+C in the terminal ends the program as its close
// button does, so what closing saves (the remembered project) is still saved.

namespace gw {

// From now on SIGTERM, SIGINT and SIGHUP close every shown window through the
// event loop, modal dialogs included, and end the event loops. A signal that
// comes before the event loop runs is handled once it does. Once per process,
// after the application object exists.
void CloseOnTerminationSignals();

} // namespace gw
