// GetPrecoProd and SetTabPreClie: one customer's price list, one price at a time.
#include <cmath>
#include <memory>

#include "contracts/server/packets.h"
#include "contracts/server/price_limits.h"
#include "platform/variant/data_packet.h"
#include "platform/variant/packet_writer.h"
#include "server/modules/caller.h"
#include "server/modules/lookups.h"
#include "server/modules/price_lock.h"
#include "server/modules/price_writer.h"
#include "server/modules/refusal.h"
#include "server/modules/tab_pre_clie.h"
#include "server/modules/wire_values.h"
#include "server/store/price_round.h"
#include "server/store/schema.h"
#include "server/store/sql_builder.h"
#include "server/store/transaction.h"

namespace server::modules::tab_pre_clie {
namespace {

void AppendDateOrNull(platform::PacketWriter& packet, const store::Row& row, int col) {
  if (auto date = row.date(col))
    packet.appendDateTime(*date);
  else
    packet.appendNull();
}

// The price is locked first (price_lock.h), so the history records the one removed.
void RemovePrice(store::Connection& c, const std::string& customer, const std::string& product) {
  if (LockPriceRows(c, "TABPRECLIE T WHERE T.CDCLIENTE = $1 AND T.CDPRODUTO = $2", {customer, product}) == 0)
    return;  // no special price to remove
  store::SqlBuilder sql(c.backend());
  std::string where = " WHERE CDCLIENTE = " + sql.param(customer) + " AND CDPRODUTO = " + sql.param(product);
  std::string history =
      "INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, VRPRECOANT, DTVALINIANT, DTVALFINANT, "
      "VRPRECONOV, DTVALININOV, DTVALFINNOV, IDORIGALT, DTHRALT, CDUSUARIO) "
      "SELECT CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN, NULL, NULL, NULL, " +
      sql.textParam(std::string(1, store::kHistoryManual)) + ", " + sql.timestampParam(NowISO()) + ", " +
      sql.textParam(ChangeAuthor(c)) + " FROM TABPRECLIE" + where;
  if (c.execute(history, sql.params()) == 0) return;  // no special price to remove
  c.execute("DELETE FROM TABPRECLIE WHERE CDCLIENTE = $1 AND CDPRODUTO = $2", {customer, product});
}

void StorePrice(store::Connection& c, const std::string& customer, const std::string& product, double price,
                const std::optional<std::string>& start, const std::optional<std::string>& end) {
  PriceSet set;
  set.select = [&](store::SqlBuilder& sql) {
    return "SELECT " + sql.textParam(customer) + " AS CDCLIENTE, " + sql.textParam(product) +
           " AS CDPRODUTO, " + sql.doubleParam(price) + " AS VRPRECOPROD, " + sql.dateParam(start) +
           " AS DTVALINI, " + sql.dateParam(end) + " AS DTVALFIN";
  };
  set.overwrite = true;
  set.keepDates = false;
  set.origin = store::kHistoryManual;
  WritePriceSet(c, set, NowISO());
}

}  // namespace

PacketPtr GetPrecoProd(store::Connection& c, const contract::PriceListArgs& a) {
  int level = ReadLevels(a.TtNiveis);
  RequireCustomer(c, a.CdCliente);
  // Tens of thousands of rows: written to the wire as they are read.
  platform::PacketWriter packet(contracts::server::PriceColumns());
  c.query(
      "SELECT P.CDPRODUTO, P.NMPRODUTO, P.CDARVPROD, T.VRPRECOPROD, T.DTVALINI, T.DTVALFIN "
      "FROM PRODUTO P LEFT JOIN TABPRECLIE T ON T.CDPRODUTO = P.CDPRODUTO AND T.CDCLIENTE = $1 "
      "WHERE P.NRNIVEL = $2 ORDER BY P.CDARVPROD",
      {a.CdCliente, std::int64_t{level}}, [&](const store::Row& row) {
        packet.appendString(row.textView(0));
        packet.appendString(row.textView(1));
        packet.appendString(row.textView(2));
        if (row.isNull(3))
          packet.appendNull();
        else
          packet.appendFloat(row.real(3));
        AppendDateOrNull(packet, row, 4);
        AppendDateOrNull(packet, row, 5);
        packet.endRow();
      });
  return packet.finish();
}

void SetTabPreClie(store::Connection& c, const contract::PriceArgs& a) {
  const std::string& customer = a.CdCliente;
  const std::string& product = a.CdProduto;
  const double price = a.VrPrecoProd;
  if (a.Flag != "S") throw Refusal("Indicador de gravação inválido: '" + ShownValue(a.Flag) + "'.");
  if (!std::isfinite(price)) throw Refusal("Preço inválido.");
  if (price < 0) throw Refusal("Preço não pode ser negativo.");
  if (price > contracts::server::kMaxPrice) throw Refusal(PriceOverCeiling());
  auto start = ReadValidityDate(a.DtValIni, "Data inicial");
  auto end = ReadValidityDate(a.DtValFin, "Data final");
  bool removal = price == 0;
  if (removal && (start || end)) throw Refusal("Preço deve ser maior que zero.");
  double rounded = removal ? 0.0 : store::RoundPrice(price);
  if (!removal && rounded <= 0) throw Refusal("Preço deve ser maior que zero.");
  if (rounded > contracts::server::kMaxPrice) throw Refusal(PriceOverCeiling());
  CheckValidityPeriod(start, end);

  store::RunInTransaction(c, store::TxMode::Write, [&] {
    RequireCustomer(c, customer);
    if (removal) {
      // Any registered product's price may be removed, a group's left from before too.
      RequireProduct(c, product);
      RemovePrice(c, customer, product);
    } else {
      RequirePricedProduct(c, product);
      StorePrice(c, customer, product, rounded, start, end);
    }
  });
}

}  // namespace server::modules::tab_pre_clie
