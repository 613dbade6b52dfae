#pragma once
// The layers of the tree (cmake/layers.txt) as rules, and the checks of a tree's
// includes and of a build's include paths against them.
//
//   LayerRules rules = LayerRules::Read(text, paths);   // paths: every file of the tree
//   std::vector<std::string> wrong = CheckIncludes(rules, sources);
//   std::vector<std::string> offered = CheckIncludePaths(rules, compiled, stage);
//
// Each check answers one line per fault, naming the file, the line and what is wrong
// (an empty list when the tree keeps to its layers). Read raises std::runtime_error
// naming the line of the layers file it cannot take.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace layerstest {

// One line of the layers file: its number, its words, the reason after " : ".
struct Statement {
  int line;
  std::vector<std::string> words;
  std::string reason;
};

class LayerRules {
 public:
  // The rules of `text` over a tree holding the files `paths` (from the root), which
  // give the folders a part pattern stands for.
  static LayerRules Read(std::string_view text, const std::vector<std::string>& paths);

  const std::vector<std::string>& Parts() const noexcept { return parts_; }
  // The longest part holding `path`, if any.
  std::optional<std::string> PartOf(std::string_view path) const;
  // Why a file of part `from` may not include `path` (of part `to`); nothing when it may.
  std::optional<std::string> Refusal(const std::string& from, const std::string& to, std::string_view path) const;
  // Whether a file of `from` may include some file of part `to`.
  bool MayReach(const std::string& from, const std::string& to) const;

 private:
  struct Arrow {
    std::string from;
    std::string to;
    std::string reason;
  };
  void AddArrows(const Statement& arrow);
  void RefuseContradictions() const;
  std::optional<std::string> ForbiddenReason(const std::string& from, const std::string& to,
                                             std::string_view path) const;
  bool Allowed(const std::string& from, const std::string& to, std::string_view path) const;

  std::vector<std::string> parts_;
  std::vector<std::string> paths_;
  std::vector<Arrow> allowed_;
  std::vector<Arrow> forbidden_;
};

struct SourceFile {
  std::string path;  // from the repository root
  std::string text;
};

// Every include of every file against the rules: no ".." step, no absolute path, no
// path relative to the including file, a file of the tree, an arrow the rules allow.
// Also every file in a part, and every part holding a file.
std::vector<std::string> CheckIncludes(const LayerRules& rules, const std::vector<SourceFile>& sources);

struct CompiledFile {
  std::string path;                      // from the repository root
  std::vector<std::string> includePath;  // the folders given with -I, -isystem, -iquote
};

// The folders of the tree each include path offers: a staged folder of the build
// (below `stage`, holding links named after the folders they stand for) offers its
// links; a folder of the source tree (`source`) itself. For each compiled file that
// includes any file of the tree (`sources`), every folder offered must hold a part the
// file may include, or one that such a part may include in turn, and the repository
// root is never offered; for each part, every part its files may include is offered to
// one of them.
std::vector<std::string> CheckIncludePaths(const LayerRules& rules, const std::vector<CompiledFile>& compiled,
                                           const std::vector<SourceFile>& sources,
                                           const std::filesystem::path& source, const std::filesystem::path& stage);

// The compile commands of a build (compile_commands.json), for the files of the
// source tree.
std::vector<CompiledFile> ReadCompileCommands(const std::filesystem::path& file, const std::filesystem::path& source);

// The C++ sources of the tree below `root`, build and tool folders left out.
std::vector<SourceFile> ReadSources(const std::filesystem::path& root);

}  // namespace layerstest
