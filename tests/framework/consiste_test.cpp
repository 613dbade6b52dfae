// Consiste: emptiness of masked and date texts, padding, registration numbers, masks,
// date texts into fields and the result envelope check.
#include "contracts/framework/consiste.h"

#include <gtest/gtest.h>

#include "contracts/server/result_envelope.h"
#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "platform/text/edit_mask.h"
#include "platform/ui/buttons.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/edit.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/std_controls.h"
#include "platform/ui/user_input.h"
#include "tests/framework/ui_steps.h"
#include "tests/support/dataset_fixtures.h"

namespace {

using platform::Variant;

TEST(EmptyString, BlankAndSeparatorOnlyTextsAreEmpty) {
  EXPECT_TRUE(Consiste::EmptyString(""));
  EXPECT_TRUE(Consiste::EmptyString("   "));
  EXPECT_TRUE(Consiste::EmptyString("  /  /    "));  // untouched date edit
  EXPECT_TRUE(Consiste::EmptyString("//"));
  EXPECT_TRUE(Consiste::EmptyString("\t \t"));
}

TEST(EmptyString, AnyRealCharacterMakesItNonEmpty) {
  EXPECT_FALSE(Consiste::EmptyString("0"));
  EXPECT_FALSE(Consiste::EmptyString("  /  /2026"));
  EXPECT_FALSE(Consiste::EmptyString("1 /  /    "));
  EXPECT_FALSE(Consiste::EmptyString("_"));
  EXPECT_FALSE(Consiste::EmptyString("."));
}

TEST(EmptyString, UntouchedMaskedEditsReadEmpty) {
  // What a masked edit's Text gives when nobody typed in it, for each mask of the system.
  for (const char* mask : {"00.000.000/0000-00;0;_", "000.000.000-00;0;_", "!99/99/9999;1;_", "0.00.000;0;_"}) {
    platform::MaskedText edit{platform::EditMask(mask)};
    EXPECT_TRUE(Consiste::EmptyString(edit.Text())) << mask << " gave \"" << edit.Text() << "\"";
    edit.TypeChar(U'1');
    EXPECT_FALSE(Consiste::EmptyString(edit.Text())) << mask;
  }
}

TEST(Ajusta, FillsWithZerosOnTheLeftToTheWidth) {
  EXPECT_EQ(Consiste::Ajusta("7", 3), "007");
  EXPECT_EQ(Consiste::Ajusta("42", 3), "042");
  EXPECT_EQ(Consiste::Ajusta("123", 3), "123");
  EXPECT_EQ(Consiste::Ajusta("", 3), "000");
  EXPECT_EQ(Consiste::Ajusta(" 7 ", 3), "007");
}

TEST(Ajusta, NeverCutsALongerText) {
  EXPECT_EQ(Consiste::Ajusta("1234", 3), "1234");
  EXPECT_EQ(Consiste::Ajusta("7", 0), "7");
  EXPECT_EQ(Consiste::Ajusta("7", -2), "7");
}

TEST(Ajusta, PaddedOrdersSortAsNumbers) {
  EXPECT_LT(Consiste::Ajusta("9", 3), Consiste::Ajusta("10", 3));
  EXPECT_LT(Consiste::Ajusta("99", 3), Consiste::Ajusta("100", 3));
}

TEST(AjustaInscricao, PunctuatedNumbersAreNormalisedAndClassified) {
  std::string cnpj = "12.345.678/0001-95";
  EXPECT_EQ(Consiste::Ajusta_Inscricao(cnpj), "J");
  EXPECT_EQ(cnpj, "12345678000195");

  std::string cpf = " 123.456.789-09 ";
  EXPECT_EQ(Consiste::Ajusta_Inscricao(cpf), "F");
  EXPECT_EQ(cpf, "12345678909");
}

TEST(AjustaInscricao, WrongLengthsGiveNoKindButStayNormalised) {
  for (std::string text : {"", "123", "1234567890", "123456789012", "1234567890123", "123456789012345"}) {
    std::string number = text;
    EXPECT_EQ(Consiste::Ajusta_Inscricao(number), "") << text;
    EXPECT_EQ(number, text) << text;
  }
  std::string letters = "abc.def";
  EXPECT_EQ(Consiste::Ajusta_Inscricao(letters), "");
  EXPECT_EQ(letters, "");
}

TEST(AjustaInscricao, OnlyAsciiDigitsSurvive) {
  std::string mixed = "1a2b3c4d5e6f7g8h9i0j1";  // 11 digits between letters
  EXPECT_EQ(Consiste::Ajusta_Inscricao(mixed), "F");
  EXPECT_EQ(mixed, "12345678901");
  std::string accented = "１２3";  // full-width digits are not digits of a number
  EXPECT_EQ(Consiste::Ajusta_Inscricao(accented), "");
  EXPECT_EQ(accented, "3");
}

TEST(PictPess, MasksOfEachPersonKind) {
  EXPECT_EQ(Consiste::PictPess("J"), "00.000.000/0000-00;0;_");
  EXPECT_EQ(Consiste::PictPess("F"), "000.000.000-00;0;_");
  EXPECT_EQ(Consiste::PictPess("j"), "00.000.000/0000-00;0;_");
  EXPECT_EQ(Consiste::PictPess(""), "");
  EXPECT_EQ(Consiste::PictPess("X"), "");
}

TEST(PictPess, MasksLayOutNormalisedNumbers) {
  EXPECT_EQ(platform::FormatMaskText(Consiste::PictPess("J"), "12345678000195"), "12.345.678/0001-95");
  EXPECT_EQ(platform::FormatMaskText(Consiste::PictPess("F"), "12345678909"), "123.456.789-09");
  EXPECT_EQ(platform::FormatMaskText(Consiste::PictPess(""), "12345678909"), "12345678909");
}

TEST(DateMask, IsTheDateEditMask) { EXPECT_EQ(Consiste::DateMask(), "!99/99/9999;1;_"); }

class DateSetText : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& date = data.AddField<platform::TDateTimeField>("DTVALINI");
    field = &date;
    data.CreateDataSet();
    data.Append();
    field->SetAsDateTime(platform::EncodeDate(2026, 1, 15));
  }
  platform::TClientDataSet data;
  platform::TField* field = nullptr;
};

TEST_F(DateSetText, ValidTextIsStored) {
  Consiste::DateSetText(*field, "31/12/2026");
  EXPECT_EQ(field->AsDateTime(), platform::EncodeDate(2026, 12, 31));
  Consiste::DateSetText(*field, "29/02/2028");
  EXPECT_EQ(field->AsDateTime(), platform::EncodeDate(2028, 2, 29));
}

TEST_F(DateSetText, InvalidTextIsRejectedAndTheValueKept) {
  for (const char* text : {"31/02/2026", "29/02/2027", "00/01/2026", "12/13/2026", "1 /01/2026", "12/01/26  ",
                           "ab/cd/efgh", "12/01/2026x"}) {
    try {
      Consiste::DateSetText(*field, text);
      ADD_FAILURE() << "accepted " << text;
    } catch (const platform::EConvertError& error) {
      EXPECT_NE(std::string(error.what()).find("não é uma data válida"), std::string::npos) << error.what();
    }
    EXPECT_EQ(field->AsDateTime(), platform::EncodeDate(2026, 1, 15)) << text;
  }
}

TEST_F(DateSetText, BlankDateTextClearsTheField) {
  Consiste::DateSetText(*field, "  /  /    ");
  EXPECT_TRUE(field->IsNull());
}

TEST(CheckResultServ, SuccessGivesTheDataPart) {
  const Variant data = platform::VarArrayOf({Variant("a"), Variant(2)});
  EXPECT_EQ(Consiste::CheckResultServ(contracts::server::MakeSuccess(data), true, 0), data);
  EXPECT_TRUE(Consiste::CheckResultServ(contracts::server::MakeSuccess(), true, 0).isEmpty());
  auto packet = vqr::test::FormulaPacket({{Variant("001"), Variant("ICMS"), Variant(1.5)}});
  const Variant result = Consiste::CheckResultServ(contracts::server::MakeSuccess(Variant(packet)), true, 0);
  EXPECT_EQ(result.asPacket().rowCount(), 1u);
}

TEST(CheckResultServ, FailureRaisesTheServerTextUnchanged) {
  for (const char* message : {"Cliente não cadastrado.", "@PrecoZerNeg", "  texto com espaços  "}) {
    try {
      Consiste::CheckResultServ(contracts::server::MakeFailure(message), true, 0);
      ADD_FAILURE() << "no exception for " << message;
    } catch (const Consiste::EServerRefusal& error) {
      EXPECT_EQ(std::string(error.what()), message);
    }
  }
}

TEST(CheckResultServ, FailureWithoutTextStillSaysSomething) {
  try {
    Consiste::CheckResultServ(contracts::server::MakeFailure(""), true, 0);
    ADD_FAILURE();
  } catch (const Consiste::EServerRefusal& error) {
    EXPECT_FALSE(std::string(error.what()).empty());
  }
}

TEST(CheckResultServ, FailureWithoutRaisingGivesEmpty) {
  EXPECT_TRUE(Consiste::CheckResultServ(contracts::server::MakeFailure("x"), false, 0).isEmpty());
}

TEST(CheckResultServ, MalformedResultsRaiseEvenWithoutTheRaiseFlag) {
  const std::vector<Variant> malformed{
      Variant(),
      Variant::Null(),
      Variant("ok"),
      Variant(1),
      platform::VarArrayOf({}),
      platform::VarArrayOf({Variant(true), Variant("")}),
      platform::VarArrayOf({Variant(1), Variant(""), Variant()}),
      platform::VarArrayOf({Variant(true), Variant(3), Variant()}),
      platform::VarArrayOf({Variant(true), Variant(""), Variant(), Variant()}),
  };
  for (const Variant& result : malformed) {
    EXPECT_THROW(Consiste::CheckResultServ(result, true, 0), Consiste::EServerRefusal);
    EXPECT_THROW(Consiste::CheckResultServ(result, false, 0), Consiste::EServerRefusal);
  }
}

}  // namespace

// --- on the screen ---

namespace {

using testsupport::ClickIn;
using testsupport::ModalScript;

class ConsisteScreen : public testsupport::UiTest {
 protected:
  void SetUp() override {
    form = fwtest::NewTestForm();
    prices = new platform::TClientDataSet(form);
    prices->AddField<platform::TStringField>("CDARVPROD", 20);
    auto& price = prices->AddField<platform::TFloatField>("VRPRECOPROD");
    price.SetDisplayFormat("###,#0.000");
    prices->SetData(vqr::test::MakePacket({{"CDARVPROD", platform::FieldType::String, 20}, {"VRPRECOPROD", platform::FieldType::Float, 0}},
                                          {{Variant("101001"), Variant(12.5)}, {Variant("101002"), Variant::Null()}}));
    source = new platform::TDataSource(form);
    source->SetDataSet(prices);
    grid = new platform::TDBGrid(form);
    grid->SetName("dbgPadrao");
    grid->SetParent(form);
    grid->SetBounds(0, 0, 400, 200);
    grid->SetDataSource(source);
    form->Show();
  }
  platform::TForm* form = nullptr;
  platform::TClientDataSet* prices = nullptr;
  platform::TDataSource* source = nullptr;
  platform::TDBGrid* grid = nullptr;
};

TEST_F(ConsisteScreen, MensErroShowsTheTextThenEndsTheHandlerSilently) {
  std::vector<std::string> errors;
  platform::Application().OnShowError = [&](const std::string& text) { errors.push_back(text); };
  auto* button = new platform::TButton(form);
  button->SetParent(form);
  bool ranPastTheMessage = false;
  button->OnClick = [&](platform::TObject*) {
    Consiste::MensErro("Cliente deve ser informado.", true);
    ranPastTheMessage = true;
  };
  std::string shown;
  nlohmann::json box;
  ModalScript script({fwtest::Do([&] {
                        shown = testsupport::TopMessageText();
                        box = platform::SnapshotState()["windows"].back();
                      }),
                      ClickIn("dlgMessage", "btnOK")});
  platform::Application().Guard([&] { platform::ClickControl(button); });
  EXPECT_EQ(shown, "Cliente deve ser informado.");
  EXPECT_EQ(box["dlgType"], "error");
  EXPECT_FALSE(ranPastTheMessage);
  EXPECT_TRUE(errors.empty());  // the abort is silent
}

TEST_F(ConsisteScreen, MensErroWithoutAbortReturns) {
  ModalScript script({ClickIn("dlgMessage", "btnOK")});
  EXPECT_NO_THROW(Consiste::MensErro("Aviso.", false));
  EXPECT_TRUE(script.Done());
}

TEST_F(ConsisteScreen, MensErroInBeforePostRefusesThePostAndKeepsTheRow) {
  int afterPosts = 0;
  prices->BeforePost = [](platform::TDataSet& rows) {
    if (rows.FieldByName("VRPRECOPROD").AsFloat() == 0) Consiste::MensErro("Preço deve ser maior que zero.", true);
  };
  prices->AfterPost = [&](platform::TDataSet&) { ++afterPosts; };
  ModalScript script({ClickIn("dlgMessage", "btnOK")});
  prices->Edit();
  prices->FieldByName("VRPRECOPROD").SetAsFloat(0);
  EXPECT_THROW(prices->Post(), platform::EAbort);
  EXPECT_EQ(prices->State(), platform::dsEdit);
  EXPECT_EQ(prices->FieldByName("VRPRECOPROD").AsString(), "0");
  EXPECT_EQ(afterPosts, 0);
  EXPECT_EQ(prices->ChangeCount(), 0);
}

TEST_F(ConsisteScreen, GridTextIsTheEditorTextWhileTypingThatField) {
  grid->SetFocus();
  grid->SetSelectedField(&prices->FieldByName("VRPRECOPROD"));
  const std::string before = prices->FieldByName("VRPRECOPROD").Text();
  EXPECT_EQ(Consiste::GridText(*grid, "VRPRECOPROD", false), before);
  EXPECT_EQ(Consiste::GridText(*grid, "VRPRECOPROD", true), "12,500");
  fwtest::Type("7,2");
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_EQ(Consiste::GridText(*grid, "VRPRECOPROD", false), "7,2");
  EXPECT_EQ(Consiste::GridText(*grid, "vrprecoprod", false), "7,2");
  // Another field: its own text, not the editor's.
  EXPECT_EQ(Consiste::GridText(*grid, "CDARVPROD", false), "101001");
  fwtest::PressKey(platform::VK_ESCAPE);
  fwtest::PressKey(platform::VK_ESCAPE);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(Consiste::GridText(*grid, "VRPRECOPROD", false), before);
  EXPECT_THROW(Consiste::GridText(*grid, "NAOEXISTE", false), platform::EDatabaseError);
}

TEST_F(ConsisteScreen, GridTextOnAClosedDatasetIsEmpty) {
  prices->Close();
  EXPECT_EQ(Consiste::GridText(*grid, "VRPRECOPROD", false), "");
}

TEST_F(ConsisteScreen, SetChildEnabledReachesEveryLevelButNotTheContainer) {
  auto* group = new platform::TGroupBox(form);
  group->SetParent(form);
  auto* inner = new platform::TPanel(form);
  inner->SetParent(group);
  auto* edit = new platform::TEdit(form);
  edit->SetParent(inner);
  auto* label = new platform::TLabel(form);
  label->SetParent(group);
  Consiste::SetChildEnabled(*group, false);
  EXPECT_TRUE(group->Enabled());
  EXPECT_FALSE(inner->Enabled());
  EXPECT_FALSE(edit->Enabled());
  EXPECT_FALSE(label->Enabled());
  EXPECT_FALSE(edit->CanFocus());
  Consiste::SetChildEnabled(*group, true);
  EXPECT_TRUE(inner->Enabled() && edit->Enabled() && label->Enabled());
}

}  // namespace
