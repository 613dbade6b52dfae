#pragma once
// A document being produced in the host's documents folder. It is written under a
// temporary name beside its final one and published only when complete: renamed and
// added to the application's documents, which the front end offers to the person.
// Going away unpublished removes what was written, so a failed report leaves nothing.
//
// The final name is the title in plain ASCII with the time it was made
// ("tabela-de-precos-por-cliente-20260514-103200.pdf"), with "-2", "-3"... when that
// name is taken; the name is claimed (created empty) as the document starts, so two
// documents never share one. Raises Qrddlgs::EReportError when the folder is not
// configured or cannot be written.
#include <filesystem>
#include <string>

#include "platform/ui/application.h"

namespace framework::report {

class DocumentFile {
 public:
  DocumentFile(const std::string& title, const std::string& extension);
  ~DocumentFile();
  DocumentFile(const DocumentFile&) = delete;
  DocumentFile& operator=(const DocumentFile&) = delete;

  // Where the writer puts the document.
  std::string WorkPath() const { return work_.string(); }
  const platform::TDocumentEntry& Publish();

 private:
  std::string title_;
  std::filesystem::path final_;
  std::filesystem::path work_;
  bool published_ = false;
};

}  // namespace framework::report
