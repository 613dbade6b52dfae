#pragma once
// Watches for SIGINT, SIGTERM and SIGHUP on a thread of its own and calls `onSignal`
// there once per signal, so the host can end its UI loop and clean up as on a normal
// exit (its temporary folders removed, the module's windows closed) instead of dying
// where it stands. Signals arriving while no watch exists keep their default action.
#include <functional>
#include <memory>

namespace host {

class TerminationWatch {
 public:
  explicit TerminationWatch(std::function<void(int signal)> onSignal);
  ~TerminationWatch();
  TerminationWatch(const TerminationWatch&) = delete;
  TerminationWatch& operator=(const TerminationWatch&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace host
