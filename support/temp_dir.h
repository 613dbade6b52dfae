#pragma once
// TempDir: a fresh directory under the system's temporary folder, removed with all it
// holds when the object goes away. file("x.db") names a path inside it.
#include <filesystem>
#include <string>

namespace vqrtest {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const noexcept { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace vqrtest
