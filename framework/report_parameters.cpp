#include "framework/report_parameters.h"

#include <algorithm>
#include <set>

#include "contracts/framework/adoibquery.h"
#include "contracts/framework/qrddlgs.h"
#include "contracts/server/customer_list.h"
#include "framework/report_values.h"
#include "platform/text/ascii_text.h"

namespace framework::report {

namespace {

constexpr std::size_t kKeysPerQuery = 200;
constexpr std::size_t kKeysNamed = 5;
constexpr std::size_t kKeysInSummary = 10;

bool NeedsValue(ParamKind kind) {
  return kind == ParamKind::Integer || kind == ParamKind::Number || kind == ParamKind::Date;
}

bool Blank(const platform::TParam& param) {
  return param.IsNull() || (param.Value().kind() == platform::Variant::Kind::String &&
                            platform::TrimBlanks(param.Value().asString()).empty());
}

platform::FieldType TypeOf(ParamKind kind) {
  switch (kind) {
    case ParamKind::Integer:
      return platform::FieldType::Integer;
    case ParamKind::Number:
      return platform::FieldType::Float;
    case ParamKind::Date:
      return platform::FieldType::DateTime;
    default:
      return platform::FieldType::String;
  }
}

// The keys of a list text (a list parameter is a customer list as the screens encode
// it), in their order, without repetitions.
std::vector<std::string> ListKeysOf(const std::string& list) { return contracts::server::DecodeCustomerList(list); }

std::string JoinKeys(const std::vector<std::string>& keys, const std::string& separator) {
  std::string text;
  for (const std::string& key : keys) text += (text.empty() ? "" : separator) + key;
  return text;
}

[[noreturn]] void Refuse(const Parameter& param, const std::string& what) {
  throw Qrddlgs::EReportError("Parâmetro " + param.name + " (" + param.prompt + ") do relatório: " + what);
}

void Normalise(const Parameter& decl, platform::TParam& param) {
  if (NeedsValue(decl.kind) && Blank(param)) Refuse(decl, "sem valor.");
  try {
    switch (decl.kind) {
      case ParamKind::Integer: {
        const std::int64_t value = param.AsInteger();
        if (const std::string fault = RangeFault(decl, value); !fault.empty()) Refuse(decl, fault);
        param.SetAsInteger(value);
        break;
      }
      case ParamKind::Number:
        param.SetAsFloat(param.AsFloat());
        break;
      case ParamKind::Date:
        param.SetAsDateTime(param.AsDateTime());
        break;
      case ParamKind::Flag: {
        const std::string flag(platform::TrimBlanks(param.AsString()));
        if (flag != "T" && !flag.empty()) Refuse(decl, "valor '" + flag + "' inválido (\"T\" ou vazio).");
        param.SetAsString(flag);
        break;
      }
      case ParamKind::List:
        param.SetAsString(contracts::server::EncodeCustomerList(ListKeysOf(param.AsString())));
        break;
      case ParamKind::Text:
        param.SetAsString(param.AsString());
        break;
    }
  } catch (const platform::EConvertError& e) {
    Refuse(decl, e.what());
  } catch (const contracts::server::ECustomerList& e) {
    Refuse(decl, e.what());
  }
}

// Whether the list's all-flag says every key, so the list is not applied.
bool AllKeys(const Parameter& list, const platform::TParams& params) {
  if (list.allFlag.empty()) return false;
  const platform::TParam* flag = params.FindParam(list.allFlag);
  return flag && !flag->IsNull() && flag->AsString() == "T";
}

// The keys among `keys` that exist in the column `where` names.
template <typename Where>
std::set<std::string> ExistingKeys(const Where& where, const std::vector<std::string>& keys) {
  std::set<std::string> found;
  for (std::size_t start = 0; start < keys.size(); start += kKeysPerQuery) {
    const std::size_t end = std::min(keys.size(), start + kKeysPerQuery);
    std::string sql = "SELECT " + where.column + " FROM " + where.table + " WHERE " + where.column + " IN (";
    platform::TParams params;
    for (std::size_t i = start; i < end; ++i) {
      const std::string name = "K" + std::to_string(i - start + 1);
      sql += (i > start ? ", :" : ":") + name;
      params.CreateParam(name).SetAsString(keys[i]);
    }
    sql += ")";
    const auto rows = Adoibquery::dtmDBGeral->Select(sql, params, {{where.column, platform::FieldType::String, 0}});
    for (std::size_t r = 0; r < rows->rowCount(); ++r) found.emplace(rows->stringAt(r, 0));
  }
  return found;
}

[[noreturn]] void RefuseUnknown(const ListKeys& where, const std::vector<std::string>& unknown) {
  std::vector<std::string> quoted;
  for (std::size_t i = 0; i < unknown.size() && i < kKeysNamed; ++i) quoted.push_back("'" + unknown[i] + "'");
  std::string names = JoinKeys(quoted, ", ");
  if (unknown.size() > kKeysNamed) names += " e mais " + std::to_string(unknown.size() - kKeysNamed);
  if (unknown.size() == 1) throw Qrddlgs::EReportError("Código de " + where.item + " não cadastrado: " + names + ".");
  throw Qrddlgs::EReportError("Códigos de " + where.item + " não cadastrados: " + names + ".");
}

std::string ListSummary(const Parameter& list, const platform::TParams& params) {
  if (AllKeys(list, params)) return "todos";
  const platform::TParam* param = params.FindParam(list.name);
  const std::vector<std::string> keys =
      param && !param->IsNull() ? ListKeysOf(param->AsString()) : std::vector<std::string>{};
  if (keys.empty()) return "nenhum";
  if (keys.size() > kKeysInSummary) return std::to_string(keys.size()) + " escolhidos";
  return JoinKeys(keys, ", ");
}

// The summary's text of a parameter: a value its declaration expects to exist and that
// does not is marked, so a code typed wrong shows on the document.
std::string ValueSummary(const Parameter& decl, const platform::TParam& param) {
  std::string text = ParameterText(decl, param);
  if (!decl.known || text.empty()) return text;
  const std::string value(platform::TrimBlanks(param.AsString()));
  if (ExistingKeys(*decl.known, {value}).empty()) text += " (não cadastrado)";
  return text;
}

}  // namespace

platform::TParams DeclaredParams(const Definition& definition) {
  platform::TParams params;
  for (const Parameter& decl : definition.parameters) params.CreateParam(decl.name, TypeOf(decl.kind));
  return params;
}

std::vector<const Parameter*> MissingParams(const Definition& definition, const platform::TParams& params) {
  std::vector<const Parameter*> missing;
  for (const Parameter& decl : definition.parameters) {
    const platform::TParam* param = params.FindParam(decl.name);
    if (!param || param->IsNull() || (NeedsValue(decl.kind) && Blank(*param))) missing.push_back(&decl);
  }
  return missing;
}

void NormaliseParams(const Definition& definition, platform::TParams& params) {
  for (const Parameter& decl : definition.parameters) {
    platform::TParam* param = params.FindParam(decl.name);
    if (!param || param->IsNull()) Refuse(decl, "sem valor.");
    Normalise(decl, *param);
  }
}

std::string RangeFault(const Parameter& param, std::int64_t value) {
  if ((!param.min || value >= *param.min) && (!param.max || value <= *param.max)) return "";
  const std::string low = param.min ? std::to_string(*param.min) : "";
  const std::string high = param.max ? std::to_string(*param.max) : "";
  if (param.min && param.max) return std::to_string(value) + " fora do intervalo de " + low + " a " + high + ".";
  if (param.min) return std::to_string(value) + " é menor que " + low + ".";
  return std::to_string(value) + " é maior que " + high + ".";
}

void CheckListKeys(const Definition& definition, const platform::TParams& params) {
  for (const Parameter& decl : definition.parameters) {
    if (decl.kind != ParamKind::List || !decl.keys || AllKeys(decl, params)) continue;
    const std::vector<std::string> keys = ListKeysOf(params.ParamByName(decl.name).AsString());
    const std::set<std::string> found = ExistingKeys(*decl.keys, keys);
    std::vector<std::string> unknown;
    for (const std::string& key : keys)
      if (!found.count(key)) unknown.push_back(key);
    if (!unknown.empty()) RefuseUnknown(*decl.keys, unknown);
  }
}

std::string FilterSummary(const Definition& definition, const platform::TParams& params) {
  std::string summary;
  for (const Parameter& decl : definition.parameters) {
    if (decl.summary.empty()) continue;
    const platform::TParam* param = params.FindParam(decl.name);
    const std::string value = decl.kind == ParamKind::List ? ListSummary(decl, params)
                              : param                      ? ValueSummary(decl, *param)
                                                           : std::string();
    if (value.empty()) continue;
    summary += (summary.empty() ? "" : "; ") + decl.summary + ": " + value;
  }
  return summary;
}

}  // namespace framework::report
