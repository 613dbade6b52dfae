#pragma once
// A new folder under the system's temporary folder, readable by this user only, removed
// with everything in it when the object goes.
#include <filesystem>
#include <string>

namespace host {

class PrivateFolder {
 public:
  // `prefix` starts the folder's name; `what` names its use in the error raised
  // (platform::Exception) when it cannot be made, e.g. "dos relatórios".
  PrivateFolder(const std::string& prefix, const std::string& what);
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace host
