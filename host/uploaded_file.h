#pragma once
// A file the browser uploaded, stored under a name the host chose in its private upload
// folder; the file is removed when the last holder lets it go (the edit that names it
// goes away or names another file, or the upload was refused).
#include <filesystem>

namespace host {

class UploadedFile {
 public:
  explicit UploadedFile(std::filesystem::path path) : path_(std::move(path)) {}
  ~UploadedFile();
  UploadedFile(const UploadedFile&) = delete;
  UploadedFile& operator=(const UploadedFile&) = delete;

  const std::filesystem::path& path() const noexcept { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace host
