#include "framework/sheet/xlsx_reader.h"

#include <expat.h>
#include <zip.h>

#include <charconv>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "contracts/framework/planilha.h"

namespace framework::sheet {
namespace {

using Planilha::EPlanilha;

constexpr std::size_t kMaxSheetRow = 1'048'576;
constexpr const char* kNotWorkbook = "O arquivo não é uma planilha XLSX válida";

// ---------------------------------------------------------------------------------
// The archive

class Archive {
 public:
  explicit Archive(const std::string& bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source) archive_ = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (source && !archive_) zip_source_free(source);
    zip_error_fini(&error);
    if (!archive_) throw EPlanilha(std::string(kNotWorkbook) + " (o arquivo zip está danificado).");
  }
  ~Archive() { zip_discard(archive_); }
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  bool has(const std::string& name) const { return zip_name_locate(archive_, name.c_str(), 0) >= 0; }

  // Unpacks the entry in pieces of `size` bytes into the buffer `room(size)` gives,
  // telling `filled` how many went in each time, 0 at the end.
  template <class Room, class Filled>
  void read(const std::string& name, std::size_t size, Room&& room, Filled&& filled) {
    const zip_int64_t index = zip_name_locate(archive_, name.c_str(), 0);
    if (index < 0) throw EPlanilha(std::string(kNotWorkbook) + " (falta a parte " + name + ").");
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
      throw EPlanilha(std::string(kNotWorkbook) + " (parte " + name + " ilegível).");
    spend(stat.size);
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0),
                                                             &zip_fclose);
    if (!file) throw EPlanilha(std::string(kNotWorkbook) + " (parte " + name + " ilegível).");
    zip_uint64_t total = 0;
    for (;;) {
      const zip_int64_t got = zip_fread(file.get(), room(size), size);
      if (got < 0) throw EPlanilha(std::string(kNotWorkbook) + " (parte " + name + " danificada).");
      total += static_cast<zip_uint64_t>(got);
      if (total > stat.size) spend(total - stat.size);
      filled(static_cast<std::size_t>(got));
      if (got == 0) return;
    }
  }

 private:
  void spend(zip_uint64_t bytes) {
    if (bytes > budget_)
      throw EPlanilha("O arquivo descompactado passaria de " + std::to_string(Planilha::kMaxBytesDescompactados / (1024 * 1024)) +
                      " MB: é grande demais ou uma bomba de compactação.");
    budget_ -= bytes;
  }

  zip_t* archive_ = nullptr;
  zip_uint64_t budget_ = Planilha::kMaxBytesDescompactados;
};

// ---------------------------------------------------------------------------------
// XML: element names as their local part (after the namespace), document types and
// entity declarations refused.

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void start(std::string_view name, const char** attributes) = 0;
  virtual void end(std::string_view name) = 0;
  virtual void text(std::string_view) {}
};

std::string_view LocalName(const char* name) {
  std::string_view full(name);
  const std::size_t bar = full.rfind('|');
  return bar == std::string_view::npos ? full : full.substr(bar + 1);
}

// The value of the attribute with that local name, or nullptr.
const char* Attribute(const char** attributes, std::string_view name) {
  for (std::size_t i = 0; attributes[i]; i += 2)
    if (LocalName(attributes[i]) == name) return attributes[i + 1];
  return nullptr;
}

class XmlParser {
 public:
  XmlParser(XmlHandler& handler, std::string part) : handler_(handler), part_(std::move(part)) {
    parser_ = XML_ParserCreateNS(nullptr, '|');
    if (!parser_) throw std::bad_alloc();
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &XmlParser::OnStart, &XmlParser::OnEnd);
    XML_SetCharacterDataHandler(parser_, &XmlParser::OnText);
    XML_SetStartDoctypeDeclHandler(parser_, &XmlParser::OnDoctype);
    XML_SetEntityDeclHandler(parser_, &XmlParser::OnEntity);
  }
  ~XmlParser() { XML_ParserFree(parser_); }
  XmlParser(const XmlParser&) = delete;
  XmlParser& operator=(const XmlParser&) = delete;

  // Room for `size` bytes in the parser's own buffer, to be parsed by `parse`.
  void* room(std::size_t size) {
    void* buffer = XML_GetBuffer(parser_, static_cast<int>(size));
    if (!buffer) throw std::bad_alloc();
    return buffer;
  }

  // Parses the `size` bytes put in the room; 0 ends the document.
  void parse(std::size_t size) {
    if (XML_ParseBuffer(parser_, static_cast<int>(size), size == 0 ? 1 : 0) == XML_STATUS_OK) return;
    if (failure_) std::rethrow_exception(failure_);
    if (refused_)
      throw EPlanilha("A planilha traz declarações de tipo de documento ou de entidades XML (parte " + part_ +
                      "), que não são aceitas.");
    throw EPlanilha(std::string(kNotWorkbook) + " (XML inválido na parte " + part_ + ": " +
                    XML_ErrorString(XML_GetErrorCode(parser_)) + ").");
  }

 private:
  template <class Work>
  static void Guard(void* data, Work&& work) {
    auto* self = static_cast<XmlParser*>(data);
    if (self->failure_) return;
    try {
      work(*self);
    } catch (...) {
      self->failure_ = std::current_exception();
      XML_StopParser(self->parser_, XML_FALSE);
    }
  }
  static void OnStart(void* data, const char* name, const char** attributes) {
    Guard(data, [&](XmlParser& self) { self.handler_.start(LocalName(name), attributes); });
  }
  static void OnEnd(void* data, const char* name) {
    Guard(data, [&](XmlParser& self) { self.handler_.end(LocalName(name)); });
  }
  static void OnText(void* data, const char* text, int length) {
    Guard(data, [&](XmlParser& self) { self.handler_.text(std::string_view(text, static_cast<std::size_t>(length))); });
  }
  static void Refuse(void* data) {
    auto* self = static_cast<XmlParser*>(data);
    self->refused_ = true;
    XML_StopParser(self->parser_, XML_FALSE);
  }
  static void OnDoctype(void* data, const char*, const char*, const char*, int) { Refuse(data); }
  static void OnEntity(void* data, const char*, int, const char*, int, const char*, const char*, const char*,
                       const char*) {
    Refuse(data);
  }

  XML_Parser parser_;
  XmlHandler& handler_;
  std::string part_;
  std::exception_ptr failure_;
  bool refused_ = false;
};

void ParsePart(Archive& archive, const std::string& name, XmlHandler& handler) {
  // Larger pieces (256 KiB) measured no faster.
  constexpr std::size_t kPiece = 64 * 1024;
  XmlParser parser(handler, name);
  archive.read(
      name, kPiece, [&](std::size_t size) { return parser.room(size); }, [&](std::size_t size) { parser.parse(size); });
}

// ---------------------------------------------------------------------------------
// The parts

// The relationship id of the workbook's first sheet.
class WorkbookHandler : public XmlHandler {
 public:
  std::string firstSheet;
  void start(std::string_view name, const char** attributes) override {
    if (name != "sheet" || !firstSheet.empty()) return;
    if (const char* id = Attribute(attributes, "id")) firstSheet = id;
  }
  void end(std::string_view) override {}
};

class RelationshipsHandler : public XmlHandler {
 public:
  explicit RelationshipsHandler(std::string id) : id_(std::move(id)) {}
  std::string target;
  void start(std::string_view name, const char** attributes) override {
    if (name != "Relationship") return;
    const char* id = Attribute(attributes, "Id");
    const char* to = Attribute(attributes, "Target");
    if (id && to && id_ == id) target = to;
  }
  void end(std::string_view) override {}

 private:
  std::string id_;
};

// The texts of a cell (shared or inline): every <t> but those of phonetic runs.
class CellTextCollector {
 public:
  void start(std::string_view name) {
    if (name == "t" && phonetic_ == 0) inText_ = true;
    if (name == "rPh") ++phonetic_;
  }
  void end(std::string_view name) {
    if (name == "t") inText_ = false;
    if (name == "rPh") --phonetic_;
  }
  void text(std::string_view chunk, std::string& into) {
    if (!inText_) return;
    into.append(chunk);
    if (into.size() > Planilha::kMaxCaracteresCelula)
      throw EPlanilha("Um texto da planilha passa de " + std::to_string(Planilha::kMaxCaracteresCelula) + " caracteres.");
  }

 private:
  bool inText_ = false;
  int phonetic_ = 0;
};

class SharedStringsHandler : public XmlHandler {
 public:
  std::vector<std::string> strings;
  void start(std::string_view name, const char**) override {
    if (name == "si") strings.emplace_back();
    collector_.start(name);
  }
  void end(std::string_view name) override { collector_.end(name); }
  void text(std::string_view chunk) override {
    if (!strings.empty()) collector_.text(chunk, strings.back());
  }

 private:
  CellTextCollector collector_;
};

std::optional<std::size_t> ParseIndex(std::string_view text) {
  std::size_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// "BC12" -> column 54 (from 0); nullopt for a reference without letters.
std::optional<std::size_t> ColumnOf(std::string_view reference) {
  std::size_t column = 0, letters = 0;
  for (char c : reference) {
    if (c < 'A' || c > 'Z') break;
    column = column * 26 + static_cast<std::size_t>(c - 'A' + 1);
    if (++letters > 3) return std::nullopt;
  }
  if (letters == 0) return std::nullopt;
  return column - 1;
}

// A cell's type attribute ("t"): a number when absent.
enum class CellType { Number, Shared, Inline, Other };

CellType TypeOf(const char* type) {
  if (!type) return CellType::Number;
  const std::string_view name(type);
  if (name == "n") return CellType::Number;
  if (name == "s") return CellType::Shared;
  if (name == "inlineStr") return CellType::Inline;
  return CellType::Other;
}

class SheetHandler : public XmlHandler {
 public:
  SheetHandler(const std::vector<std::string>& shared, const RowSink& sink) : shared_(shared), sink_(sink) {}

  void start(std::string_view name, const char** attributes) override {
    if (name == "row") return startRow(attributes);
    if (name == "c") return startCell(attributes);
    if (!inCell_) return;
    if (name == "v") inValue_ = true;
    collector_.start(name);
  }

  void end(std::string_view name) override {
    if (name == "row") return endRow();
    if (name == "c") return endCell();
    if (name == "v") inValue_ = false;
    collector_.end(name);
  }

  void text(std::string_view chunk) override {
    if (!inCell_) return;
    if (inValue_) {
      value_.append(chunk);
      if (value_.size() > Planilha::kMaxCaracteresCelula)
        throw EPlanilha("Um valor da planilha passa de " + std::to_string(Planilha::kMaxCaracteresCelula) + " caracteres.");
    } else if (type_ == CellType::Inline) {
      collector_.text(chunk, inline_);
    }
  }

 private:
  void startRow(const char** attributes) {
    std::size_t line = row_.line + 1;
    if (const char* r = Attribute(attributes, "r")) {
      auto number = ParseIndex(r);
      if (!number || *number == 0 || *number > kMaxSheetRow) throw EPlanilha(std::string(kNotWorkbook) + " (linha inválida).");
      line = *number;
    }
    row_.cells.clear();  // keeps its room for the next rows
    row_.line = line;
    nextColumn_ = 0;
  }

  void endRow() {
    if (row_.empty()) return;
    if (++rows_ > Planilha::kMaxLinhas)
      throw EPlanilha("A planilha tem mais de " + std::to_string(Planilha::kMaxLinhas) + " linhas.");
    sink_(row_);
  }

  void startCell(const char** attributes) {
    inCell_ = true;
    value_.clear();
    inline_.clear();
    type_ = TypeOf(Attribute(attributes, "t"));
    column_ = nextColumn_;
    if (const char* r = Attribute(attributes, "r"))
      if (auto column = ColumnOf(r)) column_ = *column;
    nextColumn_ = column_ + 1;
  }

  void endCell() {
    inCell_ = false;
    inValue_ = false;
    if (column_ >= Planilha::kMaxColunas) return;
    RawCell cell = makeCell();
    if (cell.kind == RawCell::Kind::Empty) return;
    if (row_.cells.size() <= column_) row_.cells.resize(column_ + 1);
    row_.cells[column_] = std::move(cell);
  }

  RawCell makeCell() {
    RawCell cell;
    if (type_ == CellType::Shared) {
      auto index = ParseIndex(value_);
      if (!index || *index >= shared_.size()) throw EPlanilha(std::string(kNotWorkbook) + " (texto compartilhado inexistente).");
      cell.text = shared_[*index];
    } else if (type_ == CellType::Inline) {
      cell.text = std::move(inline_);
    } else if (type_ == CellType::Number && !value_.empty()) {
      const char* first = value_.data();
      auto [end, error] = std::from_chars(first, first + value_.size(), cell.number);
      if (error == std::errc() && end == first + value_.size()) {
        cell.kind = RawCell::Kind::Number;
        cell.text = std::move(value_);
        return cell;
      }
      cell.text = std::move(value_);
    } else {
      cell.text = std::move(value_);  // a formula's text result, a truth value, an error
    }
    if (!cell.text.empty()) cell.kind = RawCell::Kind::Text;
    return cell;
  }

  const std::vector<std::string>& shared_;
  const RowSink& sink_;
  CellTextCollector collector_;
  RawRow row_;
  std::size_t rows_ = 0;
  std::size_t nextColumn_ = 0;
  std::size_t column_ = 0;
  bool inCell_ = false;
  bool inValue_ = false;
  CellType type_ = CellType::Number;
  std::string value_;
  std::string inline_;
};

// The sheet's part name from a relationship target ("worksheets/sheet1.xml" or
// "/xl/worksheets/sheet1.xml").
std::string PartOf(const std::string& target) {
  if (!target.empty() && target.front() == '/') return target.substr(1);
  return "xl/" + target;
}

}  // namespace

bool LooksLikeZip(const std::string& bytes) { return bytes.size() >= 4 && bytes.compare(0, 4, "PK\x03\x04") == 0; }

void ReadXlsx(const std::string& bytes, const RowSink& sink) {
  Archive archive(bytes);
  if (!archive.has("xl/workbook.xml"))
    throw EPlanilha(std::string(kNotWorkbook) + ": é um arquivo compactado de outro tipo.");
  WorkbookHandler workbook;
  ParsePart(archive, "xl/workbook.xml", workbook);
  std::string sheet = "xl/worksheets/sheet1.xml";
  if (!workbook.firstSheet.empty() && archive.has("xl/_rels/workbook.xml.rels")) {
    RelationshipsHandler relationships(workbook.firstSheet);
    ParsePart(archive, "xl/_rels/workbook.xml.rels", relationships);
    if (!relationships.target.empty()) sheet = PartOf(relationships.target);
  }
  SharedStringsHandler shared;
  if (archive.has("xl/sharedStrings.xml")) ParsePart(archive, "xl/sharedStrings.xml", shared);
  SheetHandler handler(shared.strings, sink);
  ParsePart(archive, sheet, handler);
}

}  // namespace framework::sheet
