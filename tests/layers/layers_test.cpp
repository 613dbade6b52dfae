// The layers of the tree, stated once in cmake/layers.txt, hold for every include of
// every source file and for the include path the build gives every file; and each way
// around them (a ".." step, an absolute path, a path relative to the file, an arrow the
// file forbids or does not allow) is refused.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/layers/layer_rules.h"

namespace layerstest {
namespace {

const std::filesystem::path kSource = VQR_SOURCE_DIR;
const std::filesystem::path kBinary = VQR_BINARY_DIR;

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string LayersText() {
  std::ifstream in(kSource / "cmake" / "layers.txt");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> PathsOf(const std::vector<SourceFile>& sources) {
  std::vector<std::string> paths;
  for (const SourceFile& file : sources) paths.push_back(file.path);
  return paths;
}

class Layers : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { tree_ = ReadSources(kSource); }
  static LayerRules RulesOver(const std::vector<SourceFile>& sources) {
    return LayerRules::Read(LayersText(), PathsOf(sources));
  }
  static std::vector<SourceFile> tree_;
};
std::vector<SourceFile> Layers::tree_;

TEST_F(Layers, EveryIncludeOfTheTreeKeepsToTheLayersFile) {
  ASSERT_GT(tree_.size(), 100u);
  EXPECT_EQ(Joined(CheckIncludes(RulesOver(tree_), tree_)), "");
}

TEST_F(Layers, TheBuildOffersEveryFileThePartsTheLayersFileGivesItAndNoOthers) {
  const std::vector<CompiledFile> compiled = ReadCompileCommands(kBinary / "compile_commands.json", kSource);
  ASSERT_GT(compiled.size(), 100u);
  EXPECT_EQ(Joined(CheckIncludePaths(RulesOver(tree_), compiled, tree_, kSource, kBinary / "include")), "");
}

TEST_F(Layers, EachWayAroundTheLayersIsRefused) {
  std::vector<SourceFile> sources = tree_;
  const std::string absolute = (kSource / "server/modules/refusal.h").generic_string();
  sources.push_back({"screens/Cli_VQR51201/bypass.cpp",
                     "#include \"screens/common/components.h\"\n"
                     "#include \"screens/Cli_VQR51205/cli_vqr51205.h\"\n"
                     "#include <vector>\n"
                     "#include \"platform/../server/modules/refusal.h\"\n"
                     "#include \"../../package/units.h\"\n"
                     "#include \"" + absolute + "\"\n"
                     "  #  include <server/modules/refusal.h>\n"
                     "#include \"screens/Cli_VQR51200/cli_vqr51200.h\"\n"
                     "#include \"screens/Cli_VQR51202/frm_copia_dados.h\"\n"
                     "#include \"components.h\"\n"
                     "#include \"screens/common/none.h\"\n"});
  sources.push_back({"stray/stray.cpp", ""});
  const LayerRules rules = RulesOver(sources);
  const std::string at = "screens/Cli_VQR51201/bypass.cpp:";
  EXPECT_EQ(Joined(CheckIncludes(rules, sources)),
            at + "4: includes \"platform/../server/modules/refusal.h\" with a \".\" or \"..\" step\n" +
            at + "5: includes \"../../package/units.h\" with a \".\" or \"..\" step\n" +
            at + "6: includes \"" + absolute + "\" by an absolute path\n" +
            at + "7: includes \"server/modules/refusal.h\": screens/Cli_VQR51201 may not include server: a screen "
                 "sees the framework and the application server only through their contracts\n" +
            at + "8: includes \"screens/Cli_VQR51200/cli_vqr51200.h\": screens/Cli_VQR51201 may not include "
                 "screens/Cli_VQR51200: no unit reaches into the price table screen; what the units share is the "
                 "module session\n" +
            at + "9: includes \"screens/Cli_VQR51202/frm_copia_dados.h\": screens/Cli_VQR51201 may not include "
                 "screens/Cli_VQR51202: no rule of cmake/layers.txt allows it\n" +
            at + "10: includes \"components.h\", which names no part of the tree (write it from the root)\n" +
            at + "11: includes \"screens/common/none.h\", which is no file of the tree\n" +
            "stray/stray.cpp: belongs to no part of cmake/layers.txt\n");

  // The build is held to the same rules: a unit compiled as the others are, but also
  // given the server's headers or the repository root, is refused.
  std::vector<CompiledFile> compiled;
  for (const CompiledFile& file : ReadCompileCommands(kBinary / "compile_commands.json", kSource))
    if (file.path == "screens/Cli_VQR51201/row_checks.cpp")
      compiled.push_back({"screens/Cli_VQR51201/bypass.cpp", file.includePath});
  ASSERT_EQ(compiled.size(), 1u);
  EXPECT_EQ(Joined(CheckIncludePaths(rules, compiled, sources, kSource, kBinary / "include")), "");
  compiled[0].includePath.push_back((kBinary / "include/appserver_core").string());
  compiled[0].includePath.push_back(kSource.string());
  EXPECT_EQ(Joined(CheckIncludePaths(rules, compiled, sources, kSource, kBinary / "include")),
            "screens/Cli_VQR51201/bypass.cpp: its include path offers server, which cmake/layers.txt gives "
            "screens/Cli_VQR51201 no right to\n"
            "screens/Cli_VQR51201/bypass.cpp: the repository root is on its include path\n");
}

TEST_F(Layers, TheLayersFileRefusesWhatItCannotMean) {
  const std::vector<std::string> paths{"a/x.h", "b/y.h", "b/c/z.h"};
  auto refusal = [&](const std::string& text) -> std::string {
    try {
      LayerRules::Read(text, paths);
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "read";
  };
  EXPECT_EQ(refusal("part a\npart b\nallow a -> b\nforbid b -> a : b stands below a\n"), "read");
  EXPECT_EQ(refusal("part a\npart nowhere\n"), "cmake/layers.txt:2: part nowhere is no folder of the tree");
  EXPECT_EQ(refusal("part a\nallow a -> q\n"), "cmake/layers.txt:2: q matches no part and no file");
  EXPECT_EQ(refusal("part a\npart b\nforbid a -> b\n"), "cmake/layers.txt:3: a forbid says why after \" : \"");
  EXPECT_EQ(refusal("part a\nlet a -> b\n"),
            "cmake/layers.txt:2: neither \"part F\", \"allow P -> T...\" nor \"forbid P -> T... : why\"");
  EXPECT_EQ(refusal("part a\npart b\npart b/c\nallow a -> b/*\nforbid a -> b/c : not c\n"),
            "cmake/layers.txt: allow a -> b/* lets a include b/c/z.h, which a forbid refuses");
}

}  // namespace
}  // namespace layerstest
