#include "contracts/framework/host_configuration.h"

namespace framework {

static HostConfiguration& current() {
  static HostConfiguration configuration;
  return configuration;
}

void SetHostConfiguration(HostConfiguration configuration) { current() = std::move(configuration); }

const HostConfiguration& GetHostConfiguration() { return current(); }

}  // namespace framework
