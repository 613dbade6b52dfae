// Module loading in-process: missing files and entries, the package table, the forms
// a module owns, unloading with its windows open, and a fresh start on reload.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/module_host.h"
#include "platform/core/exceptions.h"
#include "platform/ui/application.h"
#include "platform/ui/form.h"
#include "platform/ui/screen.h"
#include "tests/support/ui_driver.h"

using host::ModuleHost;
using namespace platform;

namespace {

const std::string kTestModule = std::string(VQR_BINARY_DIR) + "/lib/TestModule.so";

std::string errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

std::string slurp(const std::filesystem::path& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

struct Modules : testsupport::UiTest {
  std::filesystem::path log;
  void SetUp() override {
    log = std::filesystem::temp_directory_path() / ("vqr_module_inproc_" + std::to_string(::getpid()) + ".log");
    std::filesystem::remove(log);
    ::setenv("VQR_TESTMODULE_LOG", log.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("VQR_TESTMODULE_LOG");
    std::filesystem::remove(log);
    testsupport::UiTest::TearDown();
  }
  TCustomForm* window(const std::string& name) { return Screen().FindWindow(name); }
};

}  // namespace

TEST_F(Modules, MissingFileIsACleanErrorWithTheLoadersText) {
  ModuleHost module;
  std::string text = errorOf([&] { module.Load("/nao/existe.so"); });
  EXPECT_NE(text.find("Não foi possível carregar o módulo /nao/existe.so"), std::string::npos) << text;
  EXPECT_NE(text.find("cannot open shared object file"), std::string::npos) << text;
  EXPECT_FALSE(module.Loaded());
}

TEST_F(Modules, LibraryWithoutTheEntriesIsRefusedAndLeftUnloaded) {
  ModuleHost module;
  std::string platformLib = std::string(VQR_BINARY_DIR) + "/lib/libplatform.so";
  std::string text = errorOf([&] { module.Load(platformLib); });
  EXPECT_NE(text.find("não exporta a entrada IniProc"), std::string::npos) << text;
  EXPECT_NE(text.find("undefined symbol"), std::string::npos) << text;
  EXPECT_FALSE(module.Loaded());
  EXPECT_THROW(module.IniProc(), Exception);
}

TEST_F(Modules, LoadReadsThePackageTableAndRunsInitializeOnce) {
  ModuleHost module;
  module.Load(kTestModule);
  EXPECT_EQ(module.Units(), (std::vector<std::string>{"TestForms", "TestGrid"}));
  EXPECT_EQ(module.RequiredPackages(), (std::vector<std::string>{"platform", "framework"}));
  EXPECT_EQ(slurp(log), "Initialize\n");
  EXPECT_THROW(module.Load(kTestModule), Exception);  // already loaded
  EXPECT_EQ(slurp(log), "Initialize\n");
  module.Unload();
  EXPECT_EQ(slurp(log), "Initialize\nFinalize\n");
}

TEST_F(Modules, UnloadClosesAndDestroysTheModulesFormsOnly) {
  auto* own = NewForm<TForm>(&Application());
  own->SetName("frmHostOwn");
  own->Show();
  ModuleHost module;
  module.Load(kTestModule);
  module.IniProc();
  ASSERT_NE(window("frmTeste"), nullptr);
  EXPECT_EQ(module.ModuleForms().size(), 1u);
  module.Unload();
  EXPECT_EQ(window("frmTeste"), nullptr);
  EXPECT_EQ(window("frmHostOwn"), own);
  for (TCustomForm* f : Screen().Forms()) EXPECT_NE(f->Name(), "frmTeste");
}

TEST_F(Modules, ReloadStartsFreshAndIniProcCreatesTheFormAgain) {
  ModuleHost module;
  module.Load(kTestModule);
  module.IniProc();
  module.Unload();
  module.Load(kTestModule);
  module.IniProc();  // the unit variable was reset: a new form, not a dangling one
  ASSERT_NE(window("frmTeste"), nullptr);
  module.Unload();
  EXPECT_EQ(slurp(log), "Initialize\nFinalize\nInitialize\nFinalize\n");
}

TEST_F(Modules, DestroyingTheHostUnloadsEvenWhenAFormRefusesToClose) {
  {
    ModuleHost module;
    module.Load(kTestModule);
    module.IniProc();
    window("frmTeste")->OnCloseQuery = [](TObject*, bool& canClose) { canClose = false; };
    EXPECT_THROW(module.Unload(), Exception);
    EXPECT_TRUE(module.Loaded());
  }
  EXPECT_EQ(window("frmTeste"), nullptr);
  EXPECT_EQ(slurp(log), "Initialize\nFinalize\n");
}
