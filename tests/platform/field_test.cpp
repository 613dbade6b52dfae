// Field values and texts: pt-BR numbers and dates, empty texts, conversions that fail,
// OnGetText/OnSetText, sizes, read-only and validation.
#include <gtest/gtest.h>

#include <limits>

#include "platform/data/client_dataset.h"
#include "platform/text/edit_mask.h"
#include "tests/support/dataset_fixtures.h"

namespace {

using namespace platform;
using namespace vqr::test;
using Texts = std::vector<std::string>;

class Fields : public ::testing::Test {
 protected:
  void SetUp() override {
    name = &cds.AddField<TStringField>("NMPRODUTO", 5);
    name->SetDisplayLabel("Nome");
    price = &cds.AddField<TFloatField>("VRPRECOPROD");
    price->SetDisplayLabel("Preço");
    price->SetDisplayFormat("###,#0.000");
    start = &cds.AddField<TDateTimeField>("DTVALINI");
    count = &cds.AddField<TIntegerField>("QTD");
    flag = &cds.AddField<TBooleanField>("ATIVO");
    cds.SetData(MakePacket({{"NMPRODUTO", FieldType::String, 5},
                            {"VRPRECOPROD", FieldType::Float, 0},
                            {"DTVALINI", FieldType::DateTime, 0},
                            {"QTD", FieldType::Integer, 0},
                            {"ATIVO", FieldType::Boolean, 0}},
                           {{"Arroz", 1234.5, EncodeDate(2026, 12, 31), std::int64_t{7}, true},
                            {Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null()}}));
  }

  TClientDataSet cds;
  TStringField* name = nullptr;
  TFloatField* price = nullptr;
  TDateTimeField* start = nullptr;
  TIntegerField* count = nullptr;
  TBooleanField* flag = nullptr;
};

TEST_F(Fields, FloatTextsFollowTheFormats) {
  EXPECT_EQ(price->DisplayText(), "1.234,500");
  EXPECT_EQ(price->Text(), "1.234,500");  // no EditFormat: edits with the DisplayFormat
  price->SetEditFormat("0.00");
  EXPECT_EQ(price->Text(), "1234,50");
  EXPECT_EQ(price->AsString(), "1234,5");
  price->SetDisplayFormat("");
  price->SetEditFormat("");
  EXPECT_EQ(price->DisplayText(), "1234,5");
  EXPECT_EQ(price->Alignment(), taRightJustify);
  EXPECT_EQ(name->Alignment(), taLeftJustify);
}

TEST_F(Fields, NullsReadAsEmptyTextsAndZero) {
  cds.Next();
  EXPECT_TRUE(price->IsNull());
  EXPECT_EQ(price->DisplayText(), "");
  EXPECT_EQ(price->Text(), "");
  EXPECT_EQ(price->AsFloat(), 0);
  EXPECT_EQ(start->AsDateTime().value, 0);
  EXPECT_EQ(start->DisplayText(), "");
  EXPECT_EQ(count->AsInteger(), 0);
  EXPECT_FALSE(flag->AsBoolean());
  EXPECT_EQ(name->AsString(), "");
}

TEST_F(Fields, SetTextConvertsPtBrTexts) {
  cds.Edit();
  price->SetText("1.234,5");
  EXPECT_EQ(price->AsFloat(), 1234.5);
  price->SetText("  12,25 ");
  EXPECT_EQ(price->AsFloat(), 12.25);
  start->SetText("01/02/2026");
  EXPECT_EQ(start->AsDateTime().value, EncodeDate(2026, 2, 1).value);
  EXPECT_EQ(start->Text(), "01/02/2026");
  start->SetText("01/02/2026 13:30");
  EXPECT_EQ(start->Text(), "01/02/2026 13:30:00");
  count->SetText("1.234");
  EXPECT_EQ(count->AsInteger(), 1234);
  flag->SetText("N");
  EXPECT_FALSE(flag->AsBoolean());
}

TEST_F(Fields, EmptyTextSetsNull) {
  cds.Edit();
  for (TField* field : std::initializer_list<TField*>{name, price, start, count, flag}) {
    field->SetText("");
    EXPECT_TRUE(field->IsNull()) << field->FieldName();
  }
  price->SetAsFloat(1);
  price->SetText("   ");
  EXPECT_TRUE(price->IsNull());
  name->SetAsString("");  // a program's empty string stays an empty string
  EXPECT_FALSE(name->IsNull());
}

TEST_F(Fields, TextThatDoesNotConvertRaisesAndKeepsTheValue) {
  cds.Edit();
  struct Bad {
    TField* field;
    const char* text;
  };
  for (const Bad& bad : {Bad{price, "12,3x"}, Bad{price, "1.5"}, Bad{start, "31/02/2026"}, Bad{start, "  /  /    "},
                         Bad{start, "amanhã"}, Bad{count, "2,5"}, Bad{count, "dez"}, Bad{flag, "talvez"}}) {
    const Variant before = bad.field->AsVariant();
    EXPECT_THROW(bad.field->SetText(bad.text), EConvertError) << bad.text;
    EXPECT_EQ(bad.field->AsVariant(), before) << bad.text;
  }
  try {
    price->SetText("abc");
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' não é um valor numérico válido");
  }
  EXPECT_FALSE(cds.Modified());
}

TEST_F(Fields, NaNAndInfinitiesNeverEnterAFloatOrDateField) {
  cds.Edit();
  const double bad[] = {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN()};
  for (double value : bad) {
    for (TField* field : {static_cast<TField*>(price), static_cast<TField*>(start)}) {
      const Variant before = field->AsVariant();
      EXPECT_THROW(field->SetAsFloat(value), EConvertError) << field->FieldName() << " " << value;
      EXPECT_THROW(field->SetAsVariant(Variant(TDateTime{value})), EConvertError) << field->FieldName();
      EXPECT_EQ(field->AsVariant(), before);
    }
  }
  for (const char* text : {"1e999", "-1E400", "inf", "NaN"}) EXPECT_THROW(price->SetText(text), EConvertError) << text;
  EXPECT_EQ(price->DisplayText(), "1.234,500");
  EXPECT_FALSE(cds.Modified());
  try {
    price->SetAsFloat(std::numeric_limits<double>::infinity());
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Valor numérico inválido para o campo 'Preço'", 0), 0u) << e.what();
  }
}

TEST_F(Fields, StringLongerThanSizeIsRefusedNotCut) {
  cds.Edit();
  name->SetAsString("Preço");  // five characters, six bytes
  EXPECT_EQ(name->AsString(), "Preço");
  try {
    name->SetText("Feijão");
    FAIL() << "accepted six characters in a field of five";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "O campo 'Nome' aceita no máximo 5 caracteres (texto com 6)");
  }
  EXPECT_EQ(name->AsString(), "Preço");
}

TEST_F(Fields, ChangingAValueRequiresEditOrInsert) {
  try {
    price->SetAsFloat(1);
    FAIL() << "changed a value in browse state";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Dataset não está em modo de edição ou inserção");
  }
  cds.SetName("cdsPrecoClie");
  try {
    price->Clear();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "cdsPrecoClie: Dataset não está em modo de edição ou inserção");
  }
  EXPECT_EQ(price->AsFloat(), 1234.5);
}

TEST_F(Fields, DateTextsShowTheTimeOnlyWhenNotMidnight) {
  EXPECT_EQ(start->Text(), "31/12/2026");
  cds.Edit();
  start->SetAsDateTime(TDateTime{EncodeDate(2026, 12, 31).value + EncodeTime(8, 0, 1).value});
  EXPECT_EQ(start->Text(), "31/12/2026 08:00:01");
  start->SetDisplayFormat("dd/mm/yy");
  EXPECT_EQ(start->DisplayText(), "31/12/26");
  EXPECT_EQ(start->Text(), "31/12/2026 08:00:01");  // the edit text keeps the whole value
  start->SetAsString("05/06/2027");
  EXPECT_EQ(start->AsString(), "05/06/2027");
}

TEST_F(Fields, ConversionsBetweenKinds) {
  EXPECT_EQ(count->AsString(), "7");
  EXPECT_EQ(count->AsFloat(), 7);
  EXPECT_EQ(flag->AsString(), "True");
  EXPECT_EQ(flag->DisplayText(), "True");
  flag->SetDisplayValues("Sim;Não");
  EXPECT_EQ(flag->DisplayText(), "Sim");
  cds.Edit();
  flag->SetText("não");
  EXPECT_FALSE(flag->AsBoolean());
  price->SetAsFloat(2.5);
  EXPECT_EQ(price->AsInteger(), 3);  // half away from zero
  EXPECT_THROW(count->SetAsFloat(2.5), EConvertError);
  count->SetAsFloat(3);
  EXPECT_EQ(count->AsInteger(), 3);
  name->SetAsFloat(1.5);
  EXPECT_EQ(name->AsString(), "1,5");
  price->SetAsString("3,75");
  EXPECT_EQ(price->AsFloat(), 3.75);
  EXPECT_THROW(price->SetAsVariant(VarArrayOf({Variant(1)})), EConvertError);
}

TEST_F(Fields, OnGetTextProducesBothTexts) {
  price->OnGetText = [](TField& sender, std::string& text, bool displayText) {
    EXPECT_TRUE(text.empty());
    text = (displayText ? "show " : "edit ") + sender.AsString();
  };
  EXPECT_EQ(price->DisplayText(), "show 1234,5");
  EXPECT_EQ(price->Text(), "edit 1234,5");
  EXPECT_EQ(price->AsString(), "1234,5");  // values are untouched
}

TEST_F(Fields, OnSetTextReplacesTheDefaultConversion) {
  // The price screen's date rule: a text of only "/" and blanks empties the date;
  // anything else goes through the usual conversion.
  auto rule = [](TField& sender, const std::string& text) {
    std::string stripped = text;
    std::erase(stripped, '/');
    if (stripped.find_first_not_of(' ') == std::string::npos)
      sender.Clear();
    else
      sender.SetAsDateTime(StrToDateTime(text));
  };
  start->OnSetText = rule;
  cds.Edit();
  start->SetText("  /  /    ");
  EXPECT_TRUE(start->IsNull());
  start->SetText("15/03/2026");
  EXPECT_EQ(start->Text(), "15/03/2026");
  EXPECT_THROW(start->SetText("15/13/2026"), EConvertError);
  EXPECT_EQ(start->Text(), "15/03/2026");
}

TEST_F(Fields, OnValidateRaisingUndoesTheWrite) {
  price->OnValidate = [](TField& sender) {
    if (sender.AsFloat() < 0) throw EDatabaseError("Preço negativo");
  };
  int changes = 0;
  price->OnChange = [&changes](TField&) { ++changes; };
  cds.Edit();
  EXPECT_THROW(price->SetAsFloat(-1), EDatabaseError);
  EXPECT_EQ(price->AsFloat(), 1234.5);
  EXPECT_EQ(changes, 0);
  EXPECT_FALSE(cds.Modified());
  price->SetAsFloat(2);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(cds.Modified());
}

TEST_F(Fields, LabelsAndWidthsHaveDefaults) {
  EXPECT_EQ(cds.FieldByName("QTD").DisplayLabel(), "QTD");
  EXPECT_EQ(price->DisplayLabel(), "Preço");
  EXPECT_EQ(name->DisplayWidth(), 5);
  EXPECT_EQ(price->DisplayWidth(), 10);
  name->SetDisplayWidth(30);
  EXPECT_EQ(name->DisplayWidth(), 30);
  EXPECT_EQ(price->Index(), 1);
  price->SetIndex(0);
  EXPECT_EQ(cds.Fields()[0], price);
  EXPECT_THROW(cds.FieldByName("NAOEXISTE"), EDatabaseError);
}

TEST_F(Fields, LayoutChangesReachTheLinks) {
  TDataSource source;
  source.SetDataSet(&cds);
  EventLog log;
  RecordingLink link(log);
  link.SetDataSource(&source);
  log.Take();
  name->SetVisible(false);
  price->SetDisplayLabel("Valor");
  EXPECT_EQ(log.Take(), (Texts{"link:LayoutChanged", "link:LayoutChanged"}));
}

TEST_F(Fields, FocusControlAsksTheLinks) {
  TDataSource source;
  source.SetDataSet(&cds);
  EventLog log;
  RecordingLink first(log);
  RecordingLink second(log);
  first.SetDataSource(&source);
  second.SetDataSource(&source);
  log.Take();
  start->FocusControl();
  EXPECT_EQ(first.focused, start);
  EXPECT_EQ(second.focused, nullptr);  // the first control that took it ends the search
  cds.Close();
  name->FocusControl();  // closed: nothing to focus
  EXPECT_EQ(first.focused, start);
}

TEST(RegistrationNumber, ShownThroughTheMaskOfItsRowsPersonKind) {
  // The customer search list: each row's number formatted by its own person kind.
  TClientDataSet cds;
  auto& kind = cds.AddField<TStringField>("IDTPIJURCLIE", 1);
  auto& number = cds.AddField<TStringField>("NRINSJURCLIE", 20);
  number.OnGetText = [&kind](TField& sender, std::string& text, bool) {
    const char* mask = kind.AsString() == "J" ? "00.000.000/0000-00;0;_" : "000.000.000-00;0;_";
    text = FormatMaskText(mask, sender.AsString());
  };
  cds.SetData(MakePacket({{"IDTPIJURCLIE", FieldType::String, 1}, {"NRINSJURCLIE", FieldType::String, 20}},
                         {{"J", "12345678000195"}, {"F", "12345678909"}}));
  EXPECT_EQ(cds.DisplayTextAt(1, number), "12.345.678/0001-95");
  EXPECT_EQ(cds.DisplayTextAt(2, number), "123.456.789-09");
  EXPECT_EQ(cds.RecNo(), 1);
  EXPECT_EQ(number.DisplayText(), "12.345.678/0001-95");
  EXPECT_EQ(number.AsString(), "12345678000195");
}

TEST(MaskedCodes, ShowThroughTheirEditMaskAndEditAsStored) {
  // Product codes are stored without the picture's dots and shown with them.
  TClientDataSet cds;
  auto& code = cds.AddField<TStringField>("CDARVPROD", 20);
  auto& name = cds.AddField<TStringField>("NMPRODUTO", 50);
  cds.SetData(MakePacket({{"CDARVPROD", FieldType::String, 20}, {"NMPRODUTO", FieldType::String, 50}},
                         {{"101001", "Refrigerante"}, {"101", "Refrigerantes"}, {Variant::Null(), "Sem código"}}));
  EXPECT_EQ(code.DisplayText(), "101001") << "no mask: shown as stored";
  code.SetEditMask("0.00.000;0;_");
  EXPECT_EQ(code.DisplayText(), "1.01.001");
  EXPECT_EQ(code.Text(), "101001") << "the editor lays the stored text into the mask itself";
  EXPECT_EQ(code.AsString(), "101001");
  EXPECT_EQ(cds.DisplayTextAt(2, code), "1.01.   ") << "a shorter code leaves its places blank";
  EXPECT_EQ(cds.DisplayTextAt(3, code), "") << "null stays empty, not an empty mask";
  EXPECT_EQ(name.DisplayText(), "Refrigerante");
}

TEST(CodedColumns, TextsMapToCodesAndBack) {
  // The formula screen's operation column: codes stored, catalog texts shown and typed.
  const std::vector<std::pair<std::string, std::string>> catalog = {
      {"SUM", "+"}, {"SUB", "-"}, {"MUL", "x"}, {"DIV", "÷"}};
  TClientDataSet cds;
  auto& op = cds.AddField<TStringField>("IDTPOPERFATCLIE", 3);
  op.OnGetText = [&catalog](TField& sender, std::string& text, bool) {
    for (const auto& [code, shown] : catalog)
      if (code == sender.AsString()) text = shown;
  };
  op.OnSetText = [&catalog](TField& sender, const std::string& text) {
    for (const auto& [code, shown] : catalog)
      if (shown == text) {
        sender.SetAsString(code);
        return;
      }
  };
  cds.SetData(MakePacket({{"IDTPOPERFATCLIE", FieldType::String, 3}}, {{"SUM"}}));
  EXPECT_EQ(op.DisplayText(), "+");
  cds.Edit();
  op.SetText("÷");
  EXPECT_EQ(op.AsString(), "DIV");
  EXPECT_EQ(op.Text(), "÷");
  op.SetText("?");  // no match: unchanged, no message
  EXPECT_EQ(op.AsString(), "DIV");
}

}  // namespace
