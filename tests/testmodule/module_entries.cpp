// The four entries of the test module, with C linkage. Initialize and Finalize append
// a line to the file named by VQR_TESTMODULE_LOG (when set), so tests can count them
// across loads.
#include <cstdio>
#include <cstdlib>

#include "platform/ui/application.h"
#include "platform/ui/package_info.h"
#include "platform/ui/screen.h"
#include "tests/testmodule/test_forms.h"

namespace {

void appendLog(const char* line) {
  const char* path = std::getenv("VQR_TESTMODULE_LOG");
  if (!path || !*path) return;
  if (std::FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "%s\n", line);
    std::fclose(f);
  }
}

const platform::PackageUnitInfo kUnits[] = {{"TestForms"}, {"TestGrid"}};
const char* const kRequires[] = {"platform", "framework"};
const platform::PackageInfoTable kTable = {"TestModule", 2, kUnits, 2, kRequires};

}  // namespace

extern "C" {

void Initialize() {
  testmodule::frmTeste = nullptr;
  appendLog("Initialize");
}

void Finalize() {
  testmodule::frmTeste = nullptr;
  appendLog("Finalize");
}

const platform::PackageInfoTable* GetPackageInfoTable() { return &kTable; }

void IniProc() {
  using namespace platform;
  Screen().SetCursor(crHourGlass);
  if (!testmodule::frmTeste) {
    testmodule::frmTeste = NewForm<testmodule::TfrmTeste>(&Application());
    auto* form = testmodule::frmTeste;
    form->OnDestroy = [](TObject*) { testmodule::frmTeste = nullptr; };
  }
  Screen().SetCursor(crDefault);
  testmodule::frmTeste->Show();
}

}
