#include "host/termination_watch.h"

#include <csignal>
#include <thread>
#include <utility>  // std::exchange, which boost/asio/awaitable.hpp uses without including it

#include <boost/asio.hpp>

namespace host {

namespace asio = boost::asio;

struct TerminationWatch::State {
  asio::io_context io;
  asio::signal_set signals{io, SIGINT, SIGTERM, SIGHUP};
  std::function<void(int)> onSignal;
  std::thread thread;

  void wait() {
    signals.async_wait([this](const boost::system::error_code& ec, int signal) {
      if (ec) return;
      onSignal(signal);
      wait();
    });
  }
};

TerminationWatch::TerminationWatch(std::function<void(int signal)> onSignal) : state_(std::make_unique<State>()) {
  state_->onSignal = std::move(onSignal);
  state_->wait();
  state_->thread = std::thread([state = state_.get()] { state->io.run(); });
}

TerminationWatch::~TerminationWatch() {
  state_->io.stop();
  state_->thread.join();
}

}  // namespace host
