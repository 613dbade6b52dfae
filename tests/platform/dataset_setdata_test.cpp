// Loading packets into a TClientDataSet: binding declared fields, creating fields,
// refusing mismatching packets with nothing changed, and large packets kept shared.
#include <gtest/gtest.h>

#include "platform/data/client_dataset.h"
#include "tests/support/dataset_fixtures.h"

namespace {

using namespace platform;
using namespace vqr::test;
using Texts = std::vector<std::string>;

// The price list as the screen declares it, before any data arrives.
class PriceList : public ::testing::Test {
 protected:
  void SetUp() override {
    code = &cds.AddField<TStringField>("CDPRODUTO", 10);
    code->SetVisible(false);
    name = &cds.AddField<TStringField>("NMPRODUTO", 50);
    name->SetDisplayLabel("Nome");
    name->SetReadOnly(true);
    price = &cds.AddField<TFloatField>("VRPRECOPROD");
    price->SetDisplayFormat("###,#0.000");
    start = &cds.AddField<TDateTimeField>("DTVALINI");
  }
  static std::shared_ptr<const DataPacket> Prices(const std::vector<vqr::test::Row>& rows) {
    return MakePacket({{"cdproduto", FieldType::String, 10},
                       {"NMPRODUTO", FieldType::String, 50},
                       {"CDARVPROD", FieldType::String, 20},
                       {"VRPRECOPROD", FieldType::Float, 0},
                       {"DTVALINI", FieldType::DateTime, 0}},
                      rows);
  }

  TClientDataSet cds;
  TStringField* code = nullptr;
  TStringField* name = nullptr;
  TFloatField* price = nullptr;
  TDateTimeField* start = nullptr;
};

TEST_F(PriceList, DeclaredFieldsBindByNameIgnoringCaseAndKeepTheirOrder) {
  cds.SetData(Prices({{"P1", "Arroz", "101001", 12.5, TDateTime{46000}}, {"P2", "Feijão", "101002", Variant::Null(),
                                                                          Variant::Null()}}));
  EXPECT_TRUE(cds.Active());
  ASSERT_EQ(cds.FieldCount(), 4);
  EXPECT_EQ(cds.Fields()[0], code);
  EXPECT_EQ(code->AsString(), "P1");
  EXPECT_EQ(price->DisplayText(), "12,500");
  EXPECT_EQ(cds.FindField("CDARVPROD"), nullptr);  // an undeclared column has no field
  cds.Next();
  EXPECT_TRUE(price->IsNull());
  EXPECT_EQ(price->AsFloat(), 0);
  EXPECT_EQ(price->DisplayText(), "");
  // The undeclared column travels on in Data and Delta.
  cds.Edit();
  price->SetAsFloat(3);
  cds.Post();
  EXPECT_EQ(cds.Delta().asPacket().value(0, 2), Variant("101002"));
  EXPECT_EQ(cds.Data().asPacket().columnCount(), 5u);
}

TEST_F(PriceList, AMissingColumnIsRefusedNamingTheFieldAndNothingChanges) {
  cds.SetData(Prices({{"P1", "Arroz", "1", 1.0, Variant::Null()}, {"P2", "Feijão", "2", 2.0, Variant::Null()}}));
  cds.Next();
  cds.Edit();
  price->SetAsFloat(7);
  auto wrong = MakePacket({{"CDPRODUTO", FieldType::String, 10}, {"NMPRODUTO", FieldType::String, 50},
                           {"VRPRECOPROD", FieldType::Float, 0}},
                          {{"X", "Outro", 9.0}});
  try {
    cds.SetData(wrong);
    FAIL() << "accepted a packet without DTVALINI";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("DTVALINI"), std::string::npos) << e.what();
  }
  EXPECT_EQ(cds.State(), dsEdit);
  EXPECT_EQ(cds.RecNo(), 2);
  EXPECT_EQ(price->AsFloat(), 7);
  EXPECT_EQ(cds.RecordCount(), 2);
  cds.Cancel();
  EXPECT_EQ(ColumnTexts(cds, "CDPRODUTO"), (Texts{"P1", "P2"}));
}

TEST_F(PriceList, AColumnOfAnotherKindIsRefused) {
  auto wrong = MakePacket({{"CDPRODUTO", FieldType::String, 10}, {"NMPRODUTO", FieldType::String, 50},
                           {"VRPRECOPROD", FieldType::String, 10}, {"DTVALINI", FieldType::DateTime, 0}},
                          {});
  EXPECT_THROW(cds.SetData(wrong), EDatabaseError);
  EXPECT_FALSE(cds.Active());
}

TEST_F(PriceList, RefusalOnAClosedDataSetRaisesNoEvents) {
  EventLog log;
  log.Watch(cds);
  EXPECT_THROW(cds.SetData(Variant::Null()), EDatabaseError);
  EXPECT_THROW(cds.SetData(Variant("texto")), EDatabaseError);
  EXPECT_THROW(cds.SetData(std::shared_ptr<const DataPacket>()), EDatabaseError);
  auto delta = std::make_shared<DataPacket>(DataPacket::Delta({{"CDPRODUTO", FieldType::String, 10}}));
  EXPECT_THROW(cds.SetData(delta), EDatabaseError);
  EXPECT_TRUE(log.entries.empty());
  EXPECT_FALSE(cds.Active());
}

TEST_F(PriceList, AnUnknownIndexFieldRefusesTheLoad) {
  cds.SetData(Prices({{"P1", "Arroz", "1", 1.0, Variant::Null()}}));
  cds.Close();
  cds.SetIndexFieldNames("NAOEXISTE");
  EXPECT_THROW(cds.SetData(Prices({})), EDatabaseError);
  EXPECT_FALSE(cds.Active());
  cds.SetIndexFieldNames("");
  cds.Open();
  EXPECT_EQ(code->AsString(), "P1");  // the earlier rows survived
}

TEST_F(PriceList, ReloadingAnOpenDataSetCancelsTheEditAndStartsAtTheFirstRow) {
  cds.SetData(Prices({{"P1", "Arroz", "1", 1.0, Variant::Null()}, {"P2", "Feijão", "2", 2.0, Variant::Null()}}));
  cds.Last();
  cds.Edit();
  price->SetAsFloat(8);
  EventLog log;
  log.Watch(cds);
  cds.SetData(Prices({{"P3", "Milho", "3", 3.0, Variant::Null()}}));
  EXPECT_EQ(log.Take(), (Texts{"BeforeCancel", "AfterCancel", "AfterScroll"}));
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.RecNo(), 1);
  EXPECT_EQ(code->AsString(), "P3");
  EXPECT_EQ(cds.ChangeCount(), 0);
}

TEST_F(PriceList, ARefusedCancelRefusesTheReload) {
  cds.SetData(Prices({{"P1", "Arroz", "1", 1.0, Variant::Null()}}));
  cds.Edit();
  cds.BeforeCancel = [](TDataSet&) { Abort(); };
  EXPECT_THROW(cds.SetData(Prices({})), EAbort);
  EXPECT_EQ(cds.State(), dsEdit);
  EXPECT_EQ(cds.RecordCount(), 1);
}

TEST_F(PriceList, ReadOnlyFieldRefusesChanges) {
  cds.SetData(Prices({{"P1", "Arroz", "1", 1.0, Variant::Null()}}));
  cds.Edit();
  try {
    name->SetAsString("Outro");
    FAIL() << "a read-only field accepted a value";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "O campo 'Nome' não pode ser modificado");
  }
  EXPECT_EQ(name->AsString(), "Arroz");
  EXPECT_FALSE(name->CanModify());
  EXPECT_TRUE(price->CanModify());
}

TEST_F(PriceList, OpenWithoutDataCreatesAnEmptyDataSetFromTheFields) {
  cds.Open();
  EXPECT_TRUE(cds.IsEmpty());
  cds.Append();
  code->SetAsString("P9");
  cds.Post();
  EXPECT_EQ(cds.RecordCount(), 1);
  EXPECT_EQ(cds.Data().asPacket().columns()[2].name, "VRPRECOPROD");
  EXPECT_THROW(TClientDataSet().Open(), EDatabaseError);
}

TEST_F(PriceList, FieldsCannotBeAddedToAnOpenDataSet) {
  cds.Open();
  EXPECT_THROW(cds.AddField<TStringField>("X", 1), EDatabaseError);
  TStringField loose("Y", 1);
  EXPECT_THROW(loose.SetDataSet(&cds), EDatabaseError);
  EXPECT_EQ(cds.FieldCount(), 4);
  EXPECT_THROW(cds.AddField<TStringField>("cdproduto", 1), EDatabaseError);  // closed or not, names are unique
}

TEST(CreatedFields, OneFieldPerColumnWithItsKind) {
  TClientDataSet cds;
  cds.SetData(MakePacket({{"S", FieldType::String, 7}, {"F", FieldType::Float, 0}, {"D", FieldType::DateTime, 0},
                          {"I", FieldType::Integer, 0}, {"B", FieldType::Boolean, 0}},
                         {{"x", 1.5, TDateTime{46000}, std::int64_t{42}, true}}));
  ASSERT_EQ(cds.FieldCount(), 5);
  EXPECT_NE(dynamic_cast<TStringField*>(cds.Fields()[0]), nullptr);
  EXPECT_EQ(cds.Fields()[0]->Size(), 7);
  EXPECT_NE(dynamic_cast<TFloatField*>(cds.Fields()[1]), nullptr);
  EXPECT_NE(dynamic_cast<TDateTimeField*>(cds.Fields()[2]), nullptr);
  EXPECT_NE(dynamic_cast<TIntegerField*>(cds.Fields()[3]), nullptr);
  EXPECT_NE(dynamic_cast<TBooleanField*>(cds.Fields()[4]), nullptr);
  EXPECT_EQ(cds.FieldByName("i").AsInteger(), 42);
  EXPECT_EQ(cds.FieldByName("D").AsString(), "09/12/2025");
  EXPECT_TRUE(cds.FieldByName("B").AsBoolean());
}

TEST(CreatedFields, SurviveAReloadOfTheSameShapeAndAreReplacedOtherwise) {
  TClientDataSet cds;
  TDataSource source;
  source.SetDataSet(&cds);
  EventLog log;
  RecordingLink link(log);
  link.SetDataSource(&source);
  cds.SetData(FormulaPacket({{"001", "A", 1.0}}));
  TField* order = &cds.FieldByName("NRORDEMFAT");
  log.Take();
  cds.SetData(FormulaPacket({{"002", "B", 2.0}}));
  EXPECT_EQ(&cds.FieldByName("NRORDEMFAT"), order);
  EXPECT_EQ(log.Take(), (Texts{"link:DataSetChanged"}));
  cds.SetData(MakePacket({{"OUTRO", FieldType::Integer, 0}}, {{std::int64_t{1}}}));
  EXPECT_EQ(cds.FindField("NRORDEMFAT"), nullptr);
  EXPECT_EQ(log.Take(), (Texts{"link:LayoutChanged", "link:DataSetChanged"}));
}

TEST(CreatedFields, DeclaringAFieldReplacesTheCreatedOnes) {
  TClientDataSet cds;
  cds.SetData(FormulaPacket({{"001", "A", 1.0}}));
  cds.Close();
  cds.AddField<TStringField>("SGFATPRECO", 4);
  cds.Open();
  ASSERT_EQ(cds.FieldCount(), 1);
  EXPECT_EQ(cds.Fields()[0]->AsString(), "A");
}

TEST(FloatFieldOnIntegerColumn, ReadsAndWritesWholeNumbersOnly) {
  TClientDataSet cds;
  auto& qty = cds.AddField<TFloatField>("QTD");
  cds.SetData(MakePacket({{"QTD", FieldType::Integer, 0}}, {{std::int64_t{3}}}));
  EXPECT_EQ(qty.AsFloat(), 3);
  cds.Edit();
  qty.SetAsFloat(4);
  EXPECT_THROW(qty.SetAsFloat(4.5), EConvertError);
  EXPECT_EQ(qty.AsFloat(), 4);
  cds.Post();
  EXPECT_EQ(cds.Data().asPacket().value(0, 0), Variant(std::int64_t{4}));
}

TEST(LargePacket, IsKeptSharedAndReadWithoutCopying) {
  constexpr int kRows = 100000;
  auto packet = std::make_shared<DataPacket>(std::vector<ColumnDef>{
      {"CDPRODUTO", FieldType::String, 10}, {"VRPRECOPROD", FieldType::Float, 0}});
  packet->reserve(kRows);
  for (int i = 0; i < kRows; ++i) {
    packet->appendString("P" + std::to_string(i));
    packet->appendFloat(i * 0.5);
    packet->endRow();
  }
  TClientDataSet cds;
  cds.SetData(std::shared_ptr<const DataPacket>(packet));
  EXPECT_EQ(cds.RecordCount(), kRows);
  EXPECT_EQ(cds.DataPacketPtr().get(), packet.get());
  EXPECT_EQ(cds.DisplayTextAt(kRows, cds.FieldByName("CDPRODUTO")), "P99999");
  EXPECT_EQ(cds.RecNo(), 1);
  cds.SetRecNo(50001);
  cds.Edit();
  cds.FieldByName("VRPRECOPROD").SetAsFloat(-1);
  cds.Post();
  EXPECT_EQ(cds.ChangeCount(), 1);
  EXPECT_EQ(packet->floatAt(50000, 1), 25000);  // the shared packet itself never changes
  cds.Last();
  cds.Delete();
  EXPECT_EQ(cds.RecordCount(), kRows - 1);
  EXPECT_TRUE(cds.Locate("CDPRODUTO", "P77777"));
  EXPECT_EQ(cds.RecNo(), 77778);
}

}  // namespace
