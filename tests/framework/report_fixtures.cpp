#include "tests/framework/report_fixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace fwtest {

namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string CommandOutput(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int status = ::pclose(pipe);
  if (status != 0) throw std::runtime_error(command + " failed with status " + std::to_string(status));
  return output;
}

std::string Collapsed(const std::string& line) {
  std::string out;
  for (char c : line) {
    const bool blank = c == ' ' || c == '\t' || c == '\r';
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string XmlText(std::string text) {
  static const std::pair<const char*, const char*> kEntities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
  for (const auto& [entity, plain] : kEntities)
    for (std::size_t pos = 0; (pos = text.find(entity, pos)) != std::string::npos; pos += std::string(plain).size())
      text.replace(pos, std::string(entity).size(), plain);
  return text;
}

std::vector<std::string> SharedStrings(const std::string& path) {
  std::vector<std::string> strings;
  std::string xml;
  try {
    xml = ZipMember(path, "xl/sharedStrings.xml");
  } catch (const std::exception&) {
    return strings;
  }
  static const std::regex item(R"(<si>(?:<t[^>]*>([^<]*)</t>)?</si>)");
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), item); it != std::sregex_iterator(); ++it)
    strings.push_back(XmlText((*it)[1].str()));
  return strings;
}

}  // namespace

std::vector<std::string> PdfLines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream text(CommandOutput("pdftotext -layout -enc UTF-8 " + Quoted(path) + " -"));
  std::string line;
  while (std::getline(text, line)) {
    for (std::size_t feed; (feed = line.find('\f')) != std::string::npos;) {
      const std::string before = Collapsed(line.substr(0, feed));
      if (!before.empty()) lines.push_back(before);
      lines.push_back("<page break>");
      line.erase(0, feed + 1);
    }
    const std::string collapsed = Collapsed(line);
    if (!collapsed.empty()) lines.push_back(collapsed);
  }
  return lines;
}

int PdfPages(const std::string& path) {
  const std::string info = CommandOutput("pdfinfo " + Quoted(path));
  std::smatch match;
  if (!std::regex_search(info, match, std::regex(R"(Pages:\s+(\d+))"))) return -1;
  return std::stoi(match[1].str());
}

std::string ZipMember(const std::string& path, const std::string& member) {
  return CommandOutput("unzip -p " + Quoted(path) + " " + Quoted(member) + " 2>/dev/null");
}

XlsxSheet XlsxRows(const std::string& path) {
  const std::vector<std::string> shared = SharedStrings(path);
  const std::string xml = ZipMember(path, "xl/worksheets/sheet1.xml");
  static const std::regex cell(
      R"re(<c r="([A-Z]+)(\d+)"((?: [a-z]+="[^"]*")*)(?:/>|>(?:<v>([^<]*)</v>|<is><t[^>]*>([^<]*)</t></is>)</c>))re");
  static const std::regex style(R"re( s="(\d+)")re");
  static const std::regex type(R"re( t="([a-zA-Z]+)")re");
  XlsxSheet sheet;
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), cell); it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    const std::string attributes = m[3].str();
    std::smatch found;
    XlsxCell value;
    if (std::regex_search(attributes, found, style)) value.style = std::stoi(found[1].str());
    const std::string kind = std::regex_search(attributes, found, type) ? found[1].str() : "n";
    if (kind == "s")
      value.text = shared.at(std::stoul(m[4].str()));
    else if (kind == "inlineStr")
      value.text = XmlText(m[5].str());
    else if (kind == "str")
      value.text = XmlText(m[4].str());
    else {
      value.text = m[4].str();
      value.number = m[4].matched;
    }
    sheet[std::stoi(m[2].str())][m[1].str()] = value;
  }
  return sheet;
}

std::vector<std::vector<std::string>> CsvRows(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  std::vector<std::vector<std::string>> rows(1);
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
        field += text[++i];
      else if (c == '"')
        quoted = false;
      else
        field += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ';') {
      rows.back().push_back(std::move(field));
      field.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.back().push_back(std::move(field));
      field.clear();
      rows.emplace_back();
      ++i;
    } else {
      field += c;
    }
  }
  if (rows.back().empty() && field.empty()) rows.pop_back();
  return rows;
}

void ReportsFolder::Write(const std::string& code, const std::string& file, const std::string& json) const {
  std::filesystem::create_directories(dir_.path() / code);
  std::ofstream(dir_.path() / code / file) << json;
}

std::string ProjectReports() { return std::string(VQR_SOURCE_DIR) + "/reports"; }

}  // namespace fwtest
