// A method's data part is made and read by the one declaration on both sides: a reply
// goes out and comes back the same, and a data part of another shape than declared is
// refused, naming the method, instead of being read by position.
#include <gtest/gtest.h>

#include "contracts/server/tab_pre_clie_methods.h"

namespace contractstest {
namespace {

namespace c = contracts::server;
using platform::VarArrayOf;
using platform::Variant;

c::PacketPtr EmptyPacket(const std::vector<platform::ColumnDef>& columns) {
  return std::make_shared<platform::DataPacket>(columns);
}

template <class M>
std::string RefusalOf(const Variant& data) {
  try {
    c::DecodeReplyOf<M>(data);
  } catch (const platform::EPacketError& e) {
    return e.what();
  }
  return "accepted";
}

TEST(DataParts, AReplyComesBackAsItWentOut) {
  const c::PreviewReply preview{EmptyPacket(c::PreviewColumns()),
                                {.created = 3, .changed = 2, .unchanged = 1, .skipped = 7, .customers = 4}};
  const Variant data = c::EncodeReply<c::PreviewData>(preview, "rdmTabPreClie.GetPreviaCalcCusProd");
  EXPECT_EQ(data.asArray().at(1), VarArrayOf({3, 2, 1, 7, 4, 0, 0})) << "the counts in their declared order";
  const c::PreviewReply back = c::DecodeReplyOf<c::GetPreviaCalcCusProd>(data);
  EXPECT_EQ(back.record, preview.record);
  EXPECT_EQ(back.packet->columns(), c::PreviewColumns());

  // The formula keeps the shape the client has always read: [packet, text].
  const Variant formula = VarArrayOf({Variant(EmptyPacket(c::FormulaColumns())), "Custo + MKP(30,000%)"});
  EXPECT_EQ(c::DecodeReplyOf<c::GetFatPreClie>(formula).text, "Custo + MKP(30,000%)");
  EXPECT_EQ(c::EncodeReply<c::GetFatPreClie::DataPart>(c::DecodeReplyOf<c::GetFatPreClie>(formula),
                                                       "rdmTabPreClie.GetFatPreClie"),
            formula);
}

TEST(DataParts, ADataPartOfAnotherShapeIsRefusedNamingTheMethod) {
  const Variant rows(EmptyPacket(c::PreviewColumns()));
  const std::string preview = "Resposta de rdmTabPreClie.GetPreviaCalcCusProd fora do contrato: ";
  EXPECT_EQ(RefusalOf<c::GetPreviaCalcCusProd>(VarArrayOf({rows, "0;2;1;1;1;0;0"})),
            preview + "esperava uma lista de 7 valores")
      << "counts joined in a text are no record";
  EXPECT_EQ(RefusalOf<c::GetPreviaCalcCusProd>(VarArrayOf({rows, VarArrayOf({0, 2, 1, 1, 1, 0})})),
            preview + "esperava uma lista de 7 valores");
  EXPECT_EQ(RefusalOf<c::GetPreviaCalcCusProd>(VarArrayOf({rows, VarArrayOf({0, 2, "1", 1, 1, 0, 0})})),
            preview + "QTMANTIDOS deve ser inteiro");
  EXPECT_EQ(RefusalOf<c::GetPreviaCalcCusProd>(rows), preview + "esperava uma lista de 2 valores");
  EXPECT_EQ(RefusalOf<c::SetDesfazLote>(VarArrayOf({Variant(EmptyPacket(c::KeptColumns())), "2"})),
            "Resposta de rdmTabPreClie.SetDesfazLote fora do contrato: esperava uma lista de 2 valores");
  EXPECT_EQ(RefusalOf<c::GetPrecoProd>(Variant(EmptyPacket(c::CustomerColumns()))),
            "Pacote de dados de rdmTabPreClie.GetPrecoProd com colunas fora do contrato");
  EXPECT_EQ(RefusalOf<c::GetPrecoProd>(Variant()),
            "Resposta de rdmTabPreClie.GetPrecoProd fora do contrato: esperava um pacote de dados");
  EXPECT_THROW(c::EncodeReply<c::GetPrecoProd::DataPart>(nullptr, "rdmTabPreClie.GetPrecoProd"),
               platform::EPacketError);
}

}  // namespace
}  // namespace contractstest
