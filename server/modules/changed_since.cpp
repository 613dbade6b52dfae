#include "server/modules/changed_since.h"

#include "server/modules/batches.h"

#include <memory>

#include "contracts/server/packets.h"
#include "server/modules/packet_values.h"
#include "server/modules/refusal.h"

namespace server::modules {

std::int64_t HistoryMark(store::Connection& c) {
  return c.queryInteger(std::string("SELECT ") + kLastHistoryNumber, {}).value_or(0);
}

std::optional<std::int64_t> CallHistoryMark(const store::Connection& c) {
  const platform::Variant& condition = c.callCondition();
  if (condition.isEmpty()) return std::nullopt;
  if (condition.kind() != platform::Variant::Kind::Integer || condition.asInteger() < 0)
    throw Refusal("Posição do histórico da prévia inválida: esperado um número inteiro não negativo.");
  return condition.asInteger();
}

contracts::server::RunReply ChangedSincePreview(store::Connection& c, std::int64_t batch) {
  auto packet = std::make_shared<platform::DataPacket>(contracts::server::ChangedSinceColumns());
  contracts::server::RunReply reply{packet, {}};
  const auto mark = CallHistoryMark(c);
  if (!mark) return reply;
  // L: the last change of the price, after the position and before the batch's own,
  // that is not the batch's.
  c.query("SELECT H.CDCLIENTE, C.NMRAZSOCCLIE, H.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, L.CDUSUARIO, L.DTHRALT, "
          "H.VRPRECOANT, H.VRPRECONOV FROM TABPRECLIEHIST H JOIN TABPRECLIEHIST L ON L.CDCLIENTE = H.CDCLIENTE AND "
          "L.CDPRODUTO = H.CDPRODUTO AND L.NRSEQHIST = (SELECT MAX(X.NRSEQHIST) FROM TABPRECLIEHIST X WHERE "
          "X.CDCLIENTE = H.CDCLIENTE AND X.CDPRODUTO = H.CDPRODUTO AND X.NRSEQHIST > CAST($2 AS BIGINT) AND "
          "X.NRSEQHIST < H.NRSEQHIST AND X.NRLOTE IS DISTINCT FROM CAST($1 AS BIGINT)) JOIN CLIENTE C ON C.CDCLIENTE = H.CDCLIENTE JOIN PRODUTO P "
          "ON P.CDPRODUTO = H.CDPRODUTO WHERE " +
              InBatch("H", "CAST($1 AS BIGINT)") + " ORDER BY C.NMRAZSOCCLIE, H.CDCLIENTE, P.CDARVPROD",
          {batch, *mark}, [&](const store::Row& row) {
            ++reply.record.changed;
            if (packet->rowCount() >= static_cast<std::size_t>(contracts::server::kMaxChangedSinceRows)) return;
            for (int col = 0; col < 6; ++col) packet->appendString(row.isNull(col) ? "" : row.textView(col));
            AppendDateOrNull(*packet, row, 6);
            AppendRealOrNull(*packet, row, 7);
            AppendRealOrNull(*packet, row, 8);
            packet->endRow();
          });
  return reply;
}

}  // namespace server::modules
