#include "server/access/sign_in_throttle.h"

#include <algorithm>

namespace server::access {
namespace {

constexpr std::size_t kCountsKept = 10'000;

}  // namespace

std::optional<SignInThrottle::Lock> SignInThrottle::lockOf(const std::string& login, const std::string& address,
                                                           Clock::time_point now) {
  std::lock_guard lock(mutex_);
  if (auto it = logins_.find(login); it != logins_.end() && it->second.lockedUntil > now)
    return Lock{"usuário " + login, it->second.lockedUntil - now};
  if (auto it = addresses_.find(address); it != addresses_.end() && it->second.lockedUntil > now)
    return Lock{"endereço " + address, it->second.lockedUntil - now};
  return std::nullopt;
}

SignInThrottle::Failure SignInThrottle::failed(const std::string& login, const std::string& address,
                                               Clock::time_point now) {
  std::lock_guard lock(mutex_);
  unsigned byLogin = 0, byAddress = 0;
  std::optional<Lock> begun = failOne(logins_, login, "usuário " + login, now, byLogin);
  if (auto other = failOne(addresses_, address, "endereço " + address, now, byAddress); !begun) begun = other;
  const auto delay = std::min(options_.delayStep * std::max(byLogin, byAddress), options_.maxDelay);
  return Failure{delay, std::move(begun)};
}

void SignInThrottle::succeeded(const std::string& login, const std::string& address) {
  std::lock_guard lock(mutex_);
  logins_.erase(login);
  addresses_.erase(address);
}

std::optional<SignInThrottle::Lock> SignInThrottle::failOne(std::map<std::string, Count>& counts,
                                                            const std::string& key, const std::string& what,
                                                            Clock::time_point now, unsigned& inARow) {
  if (counts.size() >= kCountsKept) forgetOld(counts, now);
  Count& count = counts[key];
  // A lock that ran out starts the count afresh.
  if (count.lockedUntil != Clock::time_point{} && count.lockedUntil <= now) count = Count{};
  count.last = now;
  inARow = ++count.inARow;
  if (count.inARow < options_.attempts || count.lockedUntil > now) return std::nullopt;
  count.lockedUntil = now + options_.lockTime;
  return Lock{what, options_.lockTime};
}

void SignInThrottle::forgetOld(std::map<std::string, Count>& counts, Clock::time_point now) {
  std::erase_if(counts, [&](const auto& entry) {
    return entry.second.lockedUntil <= now && now - entry.second.last > options_.lockTime;
  });
  // Still full of recent failures: the counts that lock nothing go, the locks stay.
  if (counts.size() >= kCountsKept)
    std::erase_if(counts, [&](const auto& entry) { return entry.second.lockedUntil <= now; });
}

}  // namespace server::access
