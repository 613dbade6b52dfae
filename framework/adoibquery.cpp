#include "contracts/framework/adoibquery.h"

#include "contracts/framework/host_configuration.h"
#include "framework/readonly_backend.h"
#include "framework/readonly_statement.h"
#include "platform/data/database_error.h"

namespace Adoibquery {

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
                                                                const platform::TParams& params,
                                                                const std::vector<platform::ColumnDef>& hints) {
  const std::vector<framework::sql::Param> values = framework::sql::BoundValues(sql, params);
  adcGeral->Open(dtbGeral->Target());
  framework::sql::ReadOnlyBackend& backend = adcGeral->Backend();
  const std::string text = framework::sql::NumberedText(sql, backend);
  ibtGeral->StartTransaction(*adcGeral);
  try {
    auto packet = backend.select(text, values, hints);
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
  params_.ParseSQL(text);
  parsedText_ = text;
}

platform::TParams& TADOIBQuery::Params() {
  syncParams();
  return params_;
}

platform::TParam* TADOIBQuery::FindParam(const std::string& name) {
  syncParams();
  return params_.FindParam(name);
}

platform::TParam& TADOIBQuery::ParamByName(const std::string& name) {
  if (platform::TParam* param = FindParam(name)) return *param;
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
