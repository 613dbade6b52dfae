#pragma once
// SignInThrottle: wrong passwords in a row, counted per login and per client address.
//
// Each wrong password holds its refusal back a little longer than the one before
// (delayStep times the failures in a row, at most maxDelay), so guessing is slow even
// before a lock. After `attempts` wrong passwords in a row for one login, or from one
// address, that login or address is locked for `lockTime`: its sign-ins are refused
// without looking at the password. A right password clears the count of its login and
// address. Safe to use from any thread.
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace server::access {

struct ThrottleOptions {
  unsigned attempts = 5;
  std::chrono::seconds lockTime{300};
  std::chrono::milliseconds delayStep{1000};
  std::chrono::milliseconds maxDelay{5000};
};

class SignInThrottle {
 public:
  using Clock = std::chrono::steady_clock;

  explicit SignInThrottle(ThrottleOptions options) : options_(options) {}

  struct Lock {
    std::string what;  // "usuário maria" or "endereço 10.0.0.7"
    Clock::duration left;
  };
  // The lock that refuses this sign-in now, if any.
  std::optional<Lock> lockOf(const std::string& login, const std::string& address, Clock::time_point now);

  struct Failure {
    std::chrono::milliseconds delay;  // how long to hold the refusal back
    std::optional<Lock> lockBegun;    // set when this failure locked the login or the address
  };
  Failure failed(const std::string& login, const std::string& address, Clock::time_point now);
  void succeeded(const std::string& login, const std::string& address);

  const ThrottleOptions& options() const noexcept { return options_; }

 private:
  struct Count {
    unsigned inARow = 0;
    Clock::time_point last;
    Clock::time_point lockedUntil;
  };
  // Once a map grows past its bound, counts older than the lock time are forgotten
  // (then any that locks nothing), so guessing at many logins cannot fill the memory.
  void forgetOld(std::map<std::string, Count>& counts, Clock::time_point now);
  std::optional<Lock> failOne(std::map<std::string, Count>& counts, const std::string& key, const std::string& what,
                              Clock::time_point now, unsigned& inARow);

  ThrottleOptions options_;
  std::mutex mutex_;
  std::map<std::string, Count> logins_;
  std::map<std::string, Count> addresses_;
};

}  // namespace server::access
