#include "host/private_folder.h"

#include <stdlib.h>

#include <spdlog/spdlog.h>

#include "platform/core/exceptions.h"

namespace host {

PrivateFolder::PrivateFolder(const std::string& prefix, const std::string& what) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (!mkdtemp(pattern.data())) throw platform::Exception("Não foi possível criar a pasta " + what + " em " + pattern);
  path_ = pattern;
}

PrivateFolder::~PrivateFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
  if (ec) spdlog::warn("Pasta temporária {} não removida: {}", path_.string(), ec.message());
}

}  // namespace host
