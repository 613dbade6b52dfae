#include "support/temp_dir.h"

#include <stdlib.h>

#include <stdexcept>

namespace vqrtest {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vqrtest.XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;  // a leftover temporary folder must not fail a test run
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace vqrtest
