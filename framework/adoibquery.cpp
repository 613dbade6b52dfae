#include "contracts/framework/adoibquery.h"

#include "framework/host_configuration.h"
#include "framework/readonly_backend.h"
#include "framework/sql_text.h"
#include "platform/data/database_error.h"
#include "platform/data/field_names.h"

namespace Adoibquery {

namespace {

const TParam* FindIn(const std::vector<TParam>& params, const std::string& name) {
  for (const TParam& param : params)
    if (platform::SameFieldName(param.Name(), name)) return &param;
  return nullptr;
}

}  // namespace

// --- TStrings ---

std::string TStrings::Text() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i) text += '\n';
    text += lines_[i];
  }
  return text;
}

void TStrings::SetText(const std::string& text) {
  lines_.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    lines_.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

// --- TParam ---

void TParam::SetAsString(std::string value) {
  value_ = std::move(value);
  bound_ = true;
  null_ = false;
}

void TParam::Clear() {
  value_.clear();
  bound_ = true;
  null_ = true;
}

// --- the data module ---

std::string TDBDatabase::Target() const {
  return DatabaseName.empty() ? framework::GetHostConfiguration().database : DatabaseName;
}

TDBConnection::TDBConnection(platform::TComponent* owner) : platform::TComponent(owner) {}
TDBConnection::~TDBConnection() = default;

bool TDBConnection::Connected() const noexcept { return backend_ != nullptr; }

void TDBConnection::Open(const std::string& target) {
  if (backend_ && target_ == target) return;
  Close();
  if (target.empty())
    throw platform::EDatabaseError("Banco de dados de consulta não configurado (opção --db do host).");
  backend_ = framework::sql::OpenReadOnly(target);
  target_ = target;
}

void TDBConnection::Close() noexcept {
  backend_.reset();
  target_.clear();
}

framework::sql::ReadOnlyBackend& TDBConnection::Backend() {
  if (!backend_) throw platform::EDatabaseError("A conexão de consulta não está aberta.");
  return *backend_;
}

void TDBTransaction::StartTransaction(TDBConnection& connection) {
  if (inTransaction_) throw platform::EDatabaseError("A transação de consulta já está aberta.");
  connection.Backend().begin();
  connection_ = &connection;
  inTransaction_ = true;
}

void TDBTransaction::Commit() {
  if (!inTransaction_) return;
  inTransaction_ = false;
  connection_->Backend().commit();
}

void TDBTransaction::Rollback() noexcept {
  if (!inTransaction_) return;
  inTransaction_ = false;
  if (connection_->Connected()) connection_->Backend().rollback();
}

TdtmDBGeral::TdtmDBGeral()
    : dtbGeral(new TDBDatabase(this)), adcGeral(new TDBConnection(this)), ibtGeral(new TDBTransaction(this)) {
  SetName("dtmDBGeral");
  dtbGeral->SetName("dtbGeral");
  adcGeral->SetName("adcGeral");
  ibtGeral->SetName("ibtGeral");
}

std::shared_ptr<const platform::DataPacket> TdtmDBGeral::Select(const std::string& sql,
                                                                const std::vector<TParam>& params,
                                                                const std::vector<platform::ColumnDef>& hints) {
  adcGeral->Open(dtbGeral->Target());
  framework::sql::ReadOnlyBackend& backend = adcGeral->Backend();
  const framework::sql::ParsedSql parsed =
      framework::sql::ParseSql(sql, [&](int index) { return backend.placeholder(index); });
  framework::sql::CheckReadOnlyStatement(parsed);
  std::vector<framework::sql::Param> values;
  for (const std::string& name : parsed.occurrences) {
    const TParam* param = FindIn(params, name);
    if (!param || !param->Bound())
      throw platform::EDatabaseError("Parâmetro " + name + " da consulta sem valor.");
    values.push_back(param->IsNull() ? framework::sql::Param() : framework::sql::Param(param->AsString()));
  }
  ibtGeral->StartTransaction(*adcGeral);
  try {
    auto packet = backend.select(parsed.text, values, hints);
    ibtGeral->Commit();
    return packet;
  } catch (...) {
    ibtGeral->Rollback();
    throw;
  }
}

namespace {
TdtmDBGeral sharedConnection;
}  // namespace

TdtmDBGeral* const dtmDBGeral = &sharedConnection;

// --- TADOIBQuery ---

TADOIBQuery::TADOIBQuery(platform::TComponent* owner) : platform::TClientDataSet(owner) { SetReadOnly(true); }

void TADOIBQuery::syncParams() {
  const std::string text = SQL.Text();
  if (text == parsedText_) return;
  const framework::sql::ParsedSql parsed = framework::sql::ParseSql(text, [](int) { return std::string("?"); });
  std::vector<TParam> params;
  for (const std::string& name : parsed.names) {
    const TParam* old = FindIn(params_, name);
    params.push_back(old ? *old : TParam(name));
  }
  params_ = std::move(params);
  parsedText_ = text;
}

std::vector<TParam>& TADOIBQuery::Params() {
  syncParams();
  return params_;
}

TParam* TADOIBQuery::FindParam(const std::string& name) {
  syncParams();
  return const_cast<TParam*>(FindIn(params_, name));
}

TParam& TADOIBQuery::ParamByName(const std::string& name) {
  if (TParam* param = FindParam(name)) return *param;
  throw platform::EDatabaseError("Parâmetro '" + name + "' não encontrado na consulta" +
                                 (Name().empty() ? std::string() : " " + Name()) + ".");
}

std::vector<platform::ColumnDef> TADOIBQuery::declaredColumns() const {
  std::vector<platform::ColumnDef> columns;
  for (const platform::TField* field : Fields())
    columns.push_back(platform::ColumnDef{field->FieldName(), field->DataType(), field->Size()});
  return columns;
}

void TADOIBQuery::Open() {
  if (Active()) return;
  syncParams();
  SetData(dtmDBGeral->Select(SQL.Text(), params_, declaredColumns()));
}

void TADOIBQuery::SetActive(bool active) {
  if (active)
    Open();
  else
    Close();
}

void TADOIBQuery::InternalOpen() {
  throw platform::EDatabaseError("A consulta " + Name() + " abre apenas pelo seu próprio Open.");
}

}  // namespace Adoibquery
