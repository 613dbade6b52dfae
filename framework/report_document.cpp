#include "framework/report_document.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "contracts/framework/host_configuration.h"
#include "contracts/framework/qrddlgs.h"
#include "framework/local_time.h"
#include "platform/text/text_fold.h"

namespace framework::report {

namespace {

// The title folded to lower-case ASCII words joined by "-".
std::string Slug(const std::string& title) {
  std::string slug;
  for (char c : platform::FoldForCompare(title)) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (keep)
      slug += c;
    else if (!slug.empty() && slug.back() != '-')
      slug += '-';
  }
  while (!slug.empty() && slug.back() == '-') slug.pop_back();
  return slug.empty() ? "relatorio" : slug;
}

// Creates `path` empty unless it exists; false when it does.
bool Claim(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  if (errno == EEXIST) return false;
  throw Qrddlgs::EReportError("Não foi possível criar o relatório em '" + path.parent_path().string() +
                              "': " + std::strerror(errno) + ".");
}

std::filesystem::path DocumentsFolder() {
  const std::string& folder = GetHostConfiguration().documentsDir;
  if (folder.empty())
    throw Qrddlgs::EReportError("A pasta dos relatórios gerados não está configurada (opção --documents do host).");
  return folder;
}

}  // namespace

DocumentFile::DocumentFile(const std::string& title, const std::string& extension) : title_(title) {
  const std::filesystem::path folder = DocumentsFolder();
  const std::string base = Slug(title) + "-" + FormatLocalNow("%Y%m%d-%H%M%S");
  for (int n = 1;; ++n) {
    final_ = folder / (base + (n > 1 ? "-" + std::to_string(n) : std::string()) + extension);
    if (Claim(final_)) break;
  }
  work_ = final_;
  work_ += ".part";
}

DocumentFile::~DocumentFile() {
  if (published_) return;
  std::error_code ec;
  std::filesystem::remove(work_, ec);
  std::filesystem::remove(final_, ec);
}

const platform::TDocumentEntry& DocumentFile::Publish() {
  std::error_code ec;
  std::filesystem::rename(work_, final_, ec);
  if (ec)
    throw Qrddlgs::EReportError("Não foi possível concluir o relatório '" + final_.string() + "': " + ec.message() +
                                ".");
  published_ = true;
  const std::string absolute = std::filesystem::absolute(final_).string();
  return platform::Application().AddDocument({title_, "/documents/" + final_.filename().string(), absolute});
}

}  // namespace framework::report
