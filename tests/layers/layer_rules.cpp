#include "tests/layers/layer_rules.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace layerstest {
namespace {

namespace fs = std::filesystem;

// "*" matches any run of characters within one step of a path.
bool Glob(std::string_view pattern, std::string_view text) {
  if (pattern.empty()) return text.empty();
  if (pattern.front() == '*') {
    for (std::size_t skip = 0;; ++skip) {
      if (Glob(pattern.substr(1), text.substr(skip))) return true;
      if (skip == text.size() || text[skip] == '/') return false;
    }
  }
  return !text.empty() && pattern.front() == text.front() && Glob(pattern.substr(1), text.substr(1));
}

// The path as text, with no trailing "/".
std::string Normal(const fs::path& path) {
  std::string text = path.lexically_normal().generic_string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

bool Holds(std::string_view folder, std::string_view path) {
  return path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/';
}

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::istringstream in{std::string(text)};
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::vector<std::string> Steps(std::string_view path) {
  std::vector<std::string> steps;
  std::size_t start = 0;
  for (std::size_t slash; (slash = path.find('/', start)) != std::string_view::npos; start = slash + 1)
    steps.emplace_back(path.substr(start, slash - start));
  steps.emplace_back(path.substr(start));
  return steps;
}

// Every folder holding one of `paths`, at any depth.
std::set<std::string> Folders(const std::vector<std::string>& paths) {
  std::set<std::string> folders;
  for (const std::string& path : paths)
    for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
      folders.insert(path.substr(0, slash));
  return folders;
}

[[noreturn]] void Refuse(int line, const std::string& what) {
  throw std::runtime_error("cmake/layers.txt:" + std::to_string(line) + ": " + what);
}

bool AnyMatches(std::string_view pattern, const std::vector<std::string>& items) {
  return std::any_of(items.begin(), items.end(), [&](const std::string& item) { return Glob(pattern, item); });
}

// Runs `each(number, line)` on every line of `text`, numbered from 1.
template <class Each>
void ForEachLine(std::string_view text, Each&& each) {
  int number = 0;
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line);) each(++number, line);
}

// The lines of the layers file that say something, each checked for its form.
std::vector<Statement> Statements(std::string_view text) {
  std::vector<Statement> statements;
  ForEachLine(text, [&](int number, std::string line) {
    std::string reason;
    if (const std::size_t colon = line.find(" : "); colon != std::string::npos) {
      reason = line.substr(colon + 3);
      line.resize(colon);
    }
    std::vector<std::string> words = Words(line);
    if (words.empty() || words.front().starts_with('#')) return;
    const std::string& verb = words.front();
    const bool part = verb == "part" && words.size() == 2 && reason.empty();
    const bool arrow = (verb == "allow" || verb == "forbid") && words.size() >= 4 && words[2] == "->";
    if (!part && !arrow) Refuse(number, "neither \"part F\", \"allow P -> T...\" nor \"forbid P -> T... : why\"");
    if (verb == "allow" && !reason.empty()) Refuse(number, "an allow takes no reason");
    if (verb == "forbid" && reason.empty()) Refuse(number, "a forbid says why after \" : \"");
    statements.push_back({number, std::move(words), std::move(reason)});
  });
  return statements;
}

struct Include {
  int line;
  bool quoted;
  std::string path;
};

// The #include lines of a C++ text; an include of a macro is not one.
std::vector<Include> IncludesOf(std::string_view text) {
  std::vector<Include> includes;
  ForEachLine(text, [&](int number, const std::string& line) {
    std::string_view rest = line;
    auto skipBlanks = [&rest] {
      while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    };
    skipBlanks();
    if (!rest.starts_with('#')) return;
    rest.remove_prefix(1);
    skipBlanks();
    if (!rest.starts_with("include")) return;
    rest.remove_prefix(7);
    skipBlanks();
    if (rest.empty() || (rest.front() != '"' && rest.front() != '<')) return;
    const char close = rest.front() == '"' ? '"' : '>';
    const std::size_t end = rest.find(close, 1);
    if (end == std::string_view::npos) return;
    includes.push_back({number, close == '"', std::string(rest.substr(1, end - 1))});
  });
  return includes;
}

const std::string& TextOf(const std::vector<SourceFile>& sources, const std::string& path) {
  static const std::string none;
  for (const SourceFile& file : sources)
    if (file.path == path) return file.text;
  return none;
}

bool IncludesTheTree(const LayerRules& rules, std::string_view text) {
  for (const Include& include : IncludesOf(text))
    if (rules.PartOf(include.path)) return true;
  return false;
}

// The folders of the tree that the include folder `dir` offers.
std::vector<std::string> Offered(const fs::path& dir, const fs::path& source, const fs::path& stage) {
  const std::string text = Normal(dir);
  const std::string root = Normal(source);
  std::vector<std::string> offered;
  if (Holds(Normal(stage), text)) {
    std::error_code error;
    for (fs::recursive_directory_iterator it(text, error), end; !error && it != end; it.increment(error))
      if (it->is_symlink()) offered.push_back(it->path().lexically_relative(text).generic_string());
  } else if (text == root) {
    offered.push_back("");
  } else if (Holds(root, text)) {
    offered.push_back(text.substr(root.size() + 1));
  }
  return offered;
}

std::vector<std::string> CommandWords(const nlohmann::json& entry) {
  if (entry.contains("arguments")) return entry["arguments"].get<std::vector<std::string>>();
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, inWord = false;
  for (char c : entry.value("command", std::string())) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (c == ' ' && !quoted) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

}  // namespace

LayerRules LayerRules::Read(std::string_view text, const std::vector<std::string>& paths) {
  LayerRules rules;
  rules.paths_ = paths;
  const std::set<std::string> folders = Folders(paths);
  std::vector<Statement> arrows;
  for (Statement& statement : Statements(text)) {
    if (statement.words.front() != "part") {
      arrows.push_back(std::move(statement));
      continue;
    }
    const std::size_t before = rules.parts_.size();
    for (const std::string& folder : folders)
      if (Glob(statement.words[1], folder)) rules.parts_.push_back(folder);
    if (rules.parts_.size() == before)
      Refuse(statement.line, "part " + statement.words[1] + " is no folder of the tree");
  }
  std::sort(rules.parts_.begin(), rules.parts_.end(), [](const std::string& a, const std::string& b) {
    return a.size() > b.size() || (a.size() == b.size() && a < b);
  });
  rules.parts_.erase(std::unique(rules.parts_.begin(), rules.parts_.end()), rules.parts_.end());
  for (const Statement& arrow : arrows) rules.AddArrows(arrow);
  rules.RefuseContradictions();
  return rules;
}

void LayerRules::AddArrows(const Statement& arrow) {
  const std::string& from = arrow.words[1];
  if (!AnyMatches(from, parts_)) Refuse(arrow.line, from + " matches no part");
  for (std::size_t i = 3; i < arrow.words.size(); ++i) {
    const std::string& to = arrow.words[i];
    if (!AnyMatches(to, parts_) && !AnyMatches(to, paths_)) Refuse(arrow.line, to + " matches no part and no file");
    (arrow.words.front() == "allow" ? allowed_ : forbidden_).push_back({from, to, arrow.reason});
  }
}

// An allow that lets some part include a file a forbid refuses says two things at once.
void LayerRules::RefuseContradictions() const {
  for (const Arrow& arrow : allowed_)
    for (const std::string& from : parts_)
      for (const std::string& path : paths_) {
        const auto to = PartOf(path);
        if (!Glob(arrow.from, from) || !to || *to == from) continue;
        if ((Glob(arrow.to, *to) || Glob(arrow.to, path)) && ForbiddenReason(from, *to, path))
          throw std::runtime_error("cmake/layers.txt: allow " + arrow.from + " -> " + arrow.to + " lets " + from +
                                   " include " + path + ", which a forbid refuses");
      }
}

std::optional<std::string> LayerRules::PartOf(std::string_view path) const {
  for (const std::string& part : parts_)  // longest first
    if (Holds(part, path)) return part;
  return std::nullopt;
}

std::optional<std::string> LayerRules::ForbiddenReason(const std::string& from, const std::string& to,
                                                       std::string_view path) const {
  for (const Arrow& arrow : forbidden_)
    if (Glob(arrow.from, from) && (Glob(arrow.to, to) || Glob(arrow.to, path))) return arrow.reason;
  return std::nullopt;
}

bool LayerRules::Allowed(const std::string& from, const std::string& to, std::string_view path) const {
  return std::any_of(allowed_.begin(), allowed_.end(), [&](const Arrow& arrow) {
    return Glob(arrow.from, from) && (Glob(arrow.to, to) || Glob(arrow.to, path));
  });
}

std::optional<std::string> LayerRules::Refusal(const std::string& from, const std::string& to,
                                               std::string_view path) const {
  if (from == to) return std::nullopt;
  if (auto reason = ForbiddenReason(from, to, path)) return from + " may not include " + to + ": " + *reason;
  if (Allowed(from, to, path)) return std::nullopt;
  return from + " may not include " + to + ": no rule of cmake/layers.txt allows it";
}

bool LayerRules::MayReach(const std::string& from, const std::string& to) const {
  if (from == to) return true;
  for (const std::string& path : paths_)
    if (PartOf(path) == to && !Refusal(from, to, path)) return true;
  return false;
}

std::vector<std::string> CheckIncludes(const LayerRules& rules, const std::vector<SourceFile>& sources) {
  std::vector<std::string> faults;
  std::set<std::string> tree, held;
  for (const SourceFile& file : sources) tree.insert(file.path);
  for (const SourceFile& file : sources) {
    const auto part = rules.PartOf(file.path);
    if (!part) {
      faults.push_back(file.path + ": belongs to no part of cmake/layers.txt");
      continue;
    }
    held.insert(*part);
    for (const Include& include : IncludesOf(file.text)) {
      const std::string where = file.path + ":" + std::to_string(include.line) + ": includes \"" + include.path + "\"";
      const std::vector<std::string> steps = Steps(include.path);
      if (include.path.starts_with('/')) {
        faults.push_back(where + " by an absolute path");
      } else if (std::any_of(steps.begin(), steps.end(), [](const auto& s) { return s == ".." || s == "."; })) {
        faults.push_back(where + " with a \".\" or \"..\" step");
      } else if (const auto to = rules.PartOf(include.path); !to) {
        if (include.quoted) faults.push_back(where + ", which names no part of the tree (write it from the root)");
      } else if (!tree.count(include.path)) {
        faults.push_back(where + ", which is no file of the tree");
      } else if (auto refusal = rules.Refusal(*part, *to, include.path)) {
        faults.push_back(where + ": " + *refusal);
      }
    }
  }
  for (const std::string& part : rules.Parts())
    if (!held.count(part)) faults.push_back("part " + part + " of cmake/layers.txt holds no source file");
  return faults;
}

std::vector<std::string> CheckIncludePaths(const LayerRules& rules, const std::vector<CompiledFile>& compiled,
                                           const std::vector<SourceFile>& sources, const fs::path& source,
                                           const fs::path& stage) {
  std::vector<std::string> faults;
  std::map<std::pair<std::string, std::string>, bool> reach;
  auto mayReach = [&](const std::string& from, const std::string& to) {
    auto [it, fresh] = reach.try_emplace({from, to}, false);
    if (fresh) it->second = rules.MayReach(from, to);
    return it->second;
  };
  // What a file of the part may include, and what those files may include in turn: the
  // build has to offer all of it for the includes to compile.
  std::map<std::string, std::set<std::string>> closures;
  auto closure = [&](const std::string& from) -> const std::set<std::string>& {
    auto [it, fresh] = closures.try_emplace(from);
    if (!fresh) return it->second;
    std::vector<std::string> pending{from};
    while (!pending.empty()) {
      const std::string part = pending.back();
      pending.pop_back();
      for (const std::string& to : rules.Parts())
        if (mayReach(part, to) && it->second.insert(to).second) pending.push_back(to);
    }
    return it->second;
  };
  std::map<std::string, std::set<std::string>> covered;  // part -> parts offered to its files
  for (const CompiledFile& file : compiled) {
    const auto part = rules.PartOf(file.path);
    if (!part || !IncludesTheTree(rules, TextOf(sources, file.path))) continue;
    std::set<std::string>& offeredParts = covered[*part];
    for (const std::string& dir : file.includePath)
      for (const std::string& folder : Offered(dir, source, stage)) {
        if (folder.empty() || folder == ".") {
          faults.push_back(file.path + ": the repository root is on its include path");
          continue;
        }
        bool justified = false;
        for (const std::string& held : rules.Parts())
          if (held == folder || Holds(folder, held) || Holds(held, folder)) {
            offeredParts.insert(held);
            justified = justified || closure(*part).count(held);
          }
        if (!justified)
          faults.push_back(file.path + ": its include path offers " + folder + ", which cmake/layers.txt gives " +
                           *part + " no right to");
      }
  }
  for (const auto& [part, offered] : covered)
    for (const std::string& to : rules.Parts())
      if (to != part && mayReach(part, to) && !offered.count(to))
        faults.push_back("cmake/layers.txt lets " + part + " include " + to +
                         ", but the build offers it to none of its files");
  std::sort(faults.begin(), faults.end());
  faults.erase(std::unique(faults.begin(), faults.end()), faults.end());
  return faults;
}

std::vector<CompiledFile> ReadCompileCommands(const fs::path& file, const fs::path& source) {
  std::ifstream in(file);
  if (!in) throw std::runtime_error("no compile commands at " + file.string());
  const nlohmann::json entries = nlohmann::json::parse(in);
  const std::string root = Normal(source);
  std::vector<CompiledFile> compiled;
  for (const nlohmann::json& entry : entries) {
    const fs::path directory = entry.value("directory", std::string());
    const std::string path = Normal(directory / entry.value("file", std::string()));
    if (!Holds(root, path)) continue;
    CompiledFile one{path.substr(root.size() + 1), {}};
    const std::vector<std::string> words = CommandWords(entry);
    for (std::size_t i = 0; i < words.size(); ++i)
      for (const char* flag : {"-I", "-isystem", "-iquote"}) {
        const std::string_view word = words[i];
        std::string dir;
        if (word == flag && i + 1 < words.size())
          dir = words[++i];
        else if (std::string_view(flag) == "-I" && word.starts_with("-I") && word.size() > 2)
          dir = std::string(word.substr(2));
        else
          continue;
        one.includePath.push_back(Normal(directory / dir));
      }
    compiled.push_back(std::move(one));
  }
  return compiled;
}

std::vector<SourceFile> ReadSources(const fs::path& root) {
  static const std::set<std::string> kExtensions{".h", ".hpp", ".hh", ".cpp", ".cc", ".cxx", ".c", ".ipp", ".inc"};
  std::vector<SourceFile> sources;
  for (fs::recursive_directory_iterator it(root), end; it != end; ++it) {
    const std::string relative = it->path().lexically_relative(root).generic_string();
    const std::string name = it->path().filename().string();
    if (it->is_directory() &&
        (name.starts_with(".") || name == "node_modules" || relative == "var" || relative == "fuzz/corpus" ||
         (it.depth() == 0 && name.starts_with("build")))) {
      it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file() || it->is_symlink() || !kExtensions.count(it->path().extension().string())) continue;
    std::ifstream in(it->path(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    sources.push_back({relative, text.str()});
  }
  std::sort(sources.begin(), sources.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
  return sources;
}

}  // namespace layerstest
