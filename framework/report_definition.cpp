#include "framework/report_definition.h"

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <map>
#include <nlohmann/json.hpp>

#include "contracts/framework/qrddlgs.h"
#include "framework/readonly_backend.h"
#include "framework/sql_text.h"
#include "platform/data/database_error.h"
#include "platform/data/field_names.h"
#include "platform/data/sql_params.h"

namespace framework::report {

namespace {

using nlohmann::json;

constexpr std::size_t kMaxParamName = 255;
constexpr int kMaxWidth = 200;

// A fault of the definition being read, turned into EReportError with the file name.
class Fault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One JSON object of the definition: every key read must be one of `keys`, and any
// other key is refused, so a misspelt key never goes unnoticed.
class Object {
 public:
  Object(const json& value, std::string where, std::initializer_list<const char*> keys)
      : value_(value), where_(std::move(where)) {
    if (!value.is_object()) throw Fault(where_ + " deve ser um objeto");
    for (const auto& [key, ignored] : value.items())
      if (std::none_of(keys.begin(), keys.end(), [&](const char* k) { return key == k; }))
        throw Fault("chave desconhecida \"" + key + "\" em " + where_);
  }

  bool has(const char* key) const { return value_.contains(key); }
  const json& at(const char* key) const {
    if (!has(key)) throw Fault(where_ + " sem \"" + key + "\"");
    return value_.at(key);
  }
  std::string text(const char* key) const {
    const json& v = at(key);
    if (!v.is_string() || v.get<std::string>().empty())
      throw Fault("\"" + std::string(key) + "\" de " + where_ + " deve ser um texto não vazio");
    return v.get<std::string>();
  }
  std::string text(const char* key, const std::string& fallback) const { return has(key) ? text(key) : fallback; }
  std::string name(const char* key) const {
    std::string value = text(key);
    if (!sql::IsSqlName(value)) throw Fault("\"" + value + "\" em " + where_ + " não é um nome válido");
    return value;
  }
  int integer(const char* key, int fallback, int low, int high) const {
    if (!has(key)) return fallback;
    const json& v = at(key);
    if (!v.is_number_integer() || v.get<int>() < low || v.get<int>() > high)
      throw Fault("\"" + std::string(key) + "\" de " + where_ + " deve ser um inteiro de " + std::to_string(low) +
                  " a " + std::to_string(high));
    return v.get<int>();
  }
  template <class T>
  T choice(const char* key, T fallback, const std::map<std::string, T>& choices) const {
    if (!has(key)) return fallback;
    const std::string value = text(key);
    auto it = choices.find(value);
    if (it == choices.end()) throw Fault("\"" + value + "\" não é um valor de \"" + key + "\" em " + where_);
    return it->second;
  }
  const std::string& where() const { return where_; }

 private:
  const json& value_;
  std::string where_;
};

const std::map<std::string, ValueKind> kValueKinds{
    {"text", ValueKind::Text}, {"number", ValueKind::Number},           {"integer", ValueKind::Integer},
    {"date", ValueKind::Date}, {"productCode", ValueKind::ProductCode}, {"registration", ValueKind::Registration}};

const std::map<std::string, ParamKind> kParamKinds{{"text", ParamKind::Text},     {"integer", ParamKind::Integer},
                                                   {"number", ParamKind::Number}, {"date", ParamKind::Date},
                                                   {"flag", ParamKind::Flag},     {"list", ParamKind::List}};

const std::map<std::string, Alignment> kAlignments{
    {"left", Alignment::Left}, {"center", Alignment::Center}, {"right", Alignment::Right}};

const std::map<std::string, TotalFunction> kFunctions{{"count", TotalFunction::Count}, {"sum", TotalFunction::Sum}};

bool Numeric(ValueKind kind) { return kind == ValueKind::Number || kind == ValueKind::Integer; }

Field ReadField(const json& value, const std::string& where) {
  const Object o(value, where, {"column", "title", "width", "kind", "format", "kindColumn", "align"});
  Field field;
  field.column = o.name("column");
  field.title = o.text("title");
  field.width = o.integer("width", 10, 1, kMaxWidth);
  field.kind = o.choice("kind", ValueKind::Text, kValueKinds);
  if (field.kind == ValueKind::Number)
    field.format = o.text("format", "###,#0.00");
  else if (o.has("format"))
    throw Fault("\"format\" em " + where + " vale apenas para \"kind\": \"number\"");
  if (field.kind == ValueKind::Registration)
    field.kindColumn = o.name("kindColumn");
  else if (o.has("kindColumn"))
    throw Fault("\"kindColumn\" em " + where + " vale apenas para \"kind\": \"registration\"");
  field.align = o.choice("align", Numeric(field.kind) ? Alignment::Right : Alignment::Left, kAlignments);
  return field;
}

std::vector<Field> ReadFields(const json& value, const std::string& where) {
  if (!value.is_array() || value.empty()) throw Fault(where + " deve ser uma lista não vazia");
  std::vector<Field> fields;
  for (std::size_t i = 0; i < value.size(); ++i)
    fields.push_back(ReadField(value[i], where + " (item " + std::to_string(i + 1) + ")"));
  return fields;
}

Parameter ReadParameter(const json& value, const std::string& where) {
  const Object o(value, where,
                 {"name", "kind", "prompt", "summary", "display", "keys", "allFlag", "known", "default", "min", "max"});
  Parameter param;
  param.name = o.name("name");
  if (param.name.size() > kMaxParamName) throw Fault("nome de parâmetro com mais de 255 caracteres em " + where);
  param.kind = o.choice("kind", ParamKind::Text, kParamKinds);
  param.prompt = o.text("prompt", param.name);
  param.summary = o.text("summary", "");
  param.display = o.choice("display", ValueKind::Text, kValueKinds);
  if (param.kind == ParamKind::List) {
    const Object keys(o.at("keys"), "\"keys\" de " + param.name, {"table", "column", "item"});
    param.keys = ListKeys{keys.name("table"), keys.name("column"), keys.text("item", "código")};
    param.allFlag = o.text("allFlag", "");
  } else if (o.has("keys") || o.has("allFlag")) {
    throw Fault("\"keys\" e \"allFlag\" em " + where + " valem apenas para \"kind\": \"list\"");
  }
  if (o.has("known")) {
    if (param.kind != ParamKind::Text) throw Fault("\"known\" em " + where + " vale apenas para \"kind\": \"text\"");
    const Object known(o.at("known"), "\"known\" de " + param.name, {"table", "column"});
    param.known = KnownValues{known.name("table"), known.name("column")};
  }
  if (o.has("default")) {
    if (param.kind != ParamKind::Date || o.text("default", "") != "today")
      throw Fault("\"default\" em " + where + " vale apenas \"today\", para \"kind\": \"date\"");
    param.todayByDefault = true;
  }
  if (param.kind == ParamKind::Integer) {
    constexpr int kLimit = 1'000'000'000;
    if (o.has("min")) param.min = o.integer("min", 0, -kLimit, kLimit);
    if (o.has("max")) param.max = o.integer("max", 0, param.min.value_or(-kLimit), kLimit);
  } else if (o.has("min") || o.has("max")) {
    throw Fault("\"min\" e \"max\" em " + where + " valem apenas para \"kind\": \"integer\"");
  }
  return param;
}

std::string ReadSqlText(const json& value, const std::string& where) {
  std::string text;
  if (value.is_string()) {
    text = value.get<std::string>();
  } else if (value.is_array()) {
    for (const json& line : value) {
      if (!line.is_string()) throw Fault(where + " deve ser uma lista de linhas de texto");
      text += (text.empty() ? "" : "\n") + line.get<std::string>();
    }
  } else {
    throw Fault(where + " deve ser um texto ou uma lista de linhas");
  }
  try {
    sql::CheckReadOnlyStatement(text);
  } catch (const platform::EDatabaseError& e) {
    throw Fault(where + ": " + e.what());
  }
  return text;
}

void ReadSql(const json& value, Definition& definition) {
  if (value.is_object()) {
    const Object o(value, "\"sql\"", {"sqlite", "postgresql"});
    if (o.has("sqlite")) definition.sqlite = ReadSqlText(o.at("sqlite"), "\"sql.sqlite\"");
    if (o.has("postgresql")) definition.postgresql = ReadSqlText(o.at("postgresql"), "\"sql.postgresql\"");
    if (definition.sqlite.empty() && definition.postgresql.empty()) throw Fault("\"sql\" sem nenhuma consulta");
  } else {
    definition.sqlite = definition.postgresql = ReadSqlText(value, "\"sql\"");
  }
}

void CheckParameters(const Definition& definition) {
  for (std::size_t i = 0; i < definition.parameters.size(); ++i) {
    const Parameter& param = definition.parameters[i];
    for (std::size_t j = 0; j < i; ++j)
      if (platform::SameFieldName(definition.parameters[j].name, param.name))
        throw Fault("parâmetro " + param.name + " declarado duas vezes");
    if (param.allFlag.empty()) continue;
    const Parameter* flag = definition.FindParameter(param.allFlag);
    if (!flag || flag->kind != ParamKind::Flag)
      throw Fault("\"allFlag\" de " + param.name + " deve nomear um parâmetro \"flag\" declarado");
  }
  for (const std::string* sql : {&definition.sqlite, &definition.postgresql})
    for (const platform::SqlParamRef& ref : platform::FindSqlParams(*sql))
      if (!definition.FindParameter(ref.name))
        throw Fault("a consulta usa o parâmetro " + ref.name + ", que a definição não declara");
}

void CheckTotals(const Definition& definition) {
  for (const Total& total : definition.totals) {
    auto column = std::find_if(definition.columns.begin(), definition.columns.end(),
                               [&](const Field& f) { return platform::SameFieldName(f.column, total.column); });
    if (column == definition.columns.end())
      throw Fault("total da coluna " + total.column + ", que não está nas colunas");
    if (total.function == TotalFunction::Sum && !Numeric(column->kind))
      throw Fault("soma da coluna " + total.column + ", que não é numérica");
  }
}

Definition ReadJson(const json& document, const std::filesystem::path& file) {
  const Object o(document, "a definição", {"title", "parameters", "sql", "group", "columns", "totals"});
  Definition definition;
  definition.file = file;
  definition.title = o.text("title");
  if (o.has("parameters")) {
    const json& params = o.at("parameters");
    if (!params.is_array()) throw Fault("\"parameters\" deve ser uma lista");
    for (std::size_t i = 0; i < params.size(); ++i)
      definition.parameters.push_back(ReadParameter(params[i], "parâmetro " + std::to_string(i + 1)));
  }
  ReadSql(o.at("sql"), definition);
  if (o.has("group")) {
    const Object group(o.at("group"), "\"group\"", {"by", "header"});
    definition.group = Group{group.name("by"), ReadFields(group.at("header"), "\"group.header\"")};
  }
  definition.columns = ReadFields(o.at("columns"), "\"columns\"");
  if (o.has("totals")) {
    const json& totals = o.at("totals");
    if (!totals.is_array()) throw Fault("\"totals\" deve ser uma lista");
    for (std::size_t i = 0; i < totals.size(); ++i) {
      const Object t(totals[i], "total " + std::to_string(i + 1), {"column", "function", "title"});
      definition.totals.push_back(
          Total{t.name("column"), t.choice("function", TotalFunction::Count, kFunctions), t.text("title")});
    }
  }
  CheckParameters(definition);
  CheckTotals(definition);
  return definition;
}

[[noreturn]] void Refuse(const std::filesystem::path& file, const std::string& what) {
  throw Qrddlgs::EReportError("Definição de relatório inválida em '" + file.string() + "': " + what + ".");
}

}  // namespace

const std::string& Definition::SqlFor(const std::string& target) const {
  const bool postgres = sql::IsPostgresTarget(target);
  const std::string& text = postgres ? postgresql : sqlite;
  if (text.empty())
    throw Qrddlgs::EReportError("O relatório \"" + title + "\" não tem consulta para " +
                                (postgres ? "PostgreSQL" : "SQLite") + " (" + file.string() + ").");
  return text;
}

const Parameter* Definition::FindParameter(const std::string& name) const {
  for (const Parameter& param : parameters)
    if (platform::SameFieldName(param.name, name)) return &param;
  return nullptr;
}

const Field* Definition::FindField(const std::string& column) const {
  for (const Field& field : columns)
    if (platform::SameFieldName(field.column, column)) return &field;
  if (group)
    for (const Field& field : group->header)
      if (platform::SameFieldName(field.column, column)) return &field;
  return nullptr;
}

Definition ReadDefinition(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Qrddlgs::EReportError("Não foi possível ler a definição de relatório '" + file.string() + "'.");
  json document;
  try {
    document = json::parse(in);
  } catch (const json::parse_error& e) {
    Refuse(file, std::string("JSON mal formado (") + e.what() + ")");
  }
  try {
    return ReadJson(document, file);
  } catch (const Fault& fault) {
    Refuse(file, fault.what());
  }
}

std::vector<std::filesystem::path> DefinitionFiles(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    if (entry.is_regular_file() && entry.path().extension() == ".json") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace framework::report
