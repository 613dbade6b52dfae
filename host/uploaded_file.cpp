#include "host/uploaded_file.h"

#include <spdlog/spdlog.h>

namespace host {

UploadedFile::~UploadedFile() {
  std::error_code ec;
  std::filesystem::remove(path_, ec);
  if (ec) spdlog::warn("web: the uploaded file {} could not be removed: {}", path_.string(), ec.message());
}

}  // namespace host
