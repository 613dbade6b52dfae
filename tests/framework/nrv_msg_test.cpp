// The message catalog: lookup by key and the Yes/No question.
#include "contracts/framework/nrv_msg.h"

#include <gtest/gtest.h>

#include "platform/core/exceptions.h"

#include "tests/framework/ui_steps.h"

namespace {

using testsupport::ClickIn;
using testsupport::ModalScript;

std::vector<std::string> CatalogLines() {
  return {"Excl|Confirma exclusão?", "DtIni<DtFin|Data inicial deve ser menor ou igual à data final.",
                    "P|Percentual", "Pipe|a|b", "sem barra", "@PrecoZerNeg|Operação Cancelada.", "|vazio",
          "Excl|segunda linha da mesma chave"};
}

TEST(Msg, TextAfterTheFirstBarOfTheFirstMatchingLine) {
  Nrv_msg::TMessages messages;
  messages.Lines = CatalogLines();
  EXPECT_EQ(messages.Msg("Excl"), "Confirma exclusão?");
  EXPECT_EQ(messages.Msg("DtIni<DtFin"), "Data inicial deve ser menor ou igual à data final.");
  EXPECT_EQ(messages.Msg("Pipe"), "a|b");
  EXPECT_EQ(messages.Msg("@PrecoZerNeg"), "Operação Cancelada.");
  EXPECT_EQ(messages.Msg(""), "vazio");
}

TEST(Msg, KeysMatchWholeAndExactly) {
  Nrv_msg::TMessages messages;
  messages.Lines = CatalogLines();
  EXPECT_EQ(messages.Msg("Exc"), "Exc");        // a prefix is not the key
  EXPECT_EQ(messages.Msg("excl"), "excl");      // case counts
  EXPECT_EQ(messages.Msg("P"), "Percentual");   // not confused with "Pipe"
  EXPECT_EQ(messages.Msg("sem barra"), "sem barra");
}

TEST(Msg, MissingKeyGivesTheKeyItself) {
  Nrv_msg::TMessages messages;
  messages.Lines = CatalogLines();
  EXPECT_EQ(messages.Msg("@Desconhecida"), "@Desconhecida");
  Nrv_msg::TMessages empty;
  EXPECT_EQ(empty.Msg("Custo"), "Custo");
}

TEST(Msg, AddWritesALineOfTheCatalog) {
  Nrv_msg::TMessages messages;
  messages.Add("Custo", "Custo");
  messages.Add("DIV", "÷");
  EXPECT_EQ(messages.Lines.back(), "DIV|÷");
  EXPECT_EQ(messages.Msg("DIV"), "÷");
}

class ShowMsg : public testsupport::UiTest {};

TEST_F(ShowMsg, AsksWithTheKeysTextAndGivesTheAnswer) {
  Nrv_msg::TMessages messages;
  messages.Lines = CatalogLines();
  const platform::TMsgDlgButtons yesNo{platform::mbYes, platform::mbNo};
  {
    std::string asked;
    ModalScript yes({fwtest::Do([&] { asked = testsupport::TopMessageText(); }), ClickIn("dlgMessage", "btnYes")});
    EXPECT_EQ(messages.ShowMsg("Excl", platform::mtConfirmation, yesNo, 0), 6);
    EXPECT_EQ(asked, "Confirma exclusão?");
  }
  {
    ModalScript no({ClickIn("dlgMessage", "btnNo")});
    EXPECT_EQ(messages.ShowMsg("Excl", platform::mtConfirmation, yesNo, 0), 7);
  }
  ModalScript escape({fwtest::KeyStep(platform::VK_ESCAPE)});
  EXPECT_NE(messages.ShowMsg("Excl", platform::mtConfirmation, yesNo, 0), 6);
}

}  // namespace

namespace {

TEST(ServerText, AnAtSignMakesTheWholeTextACatalogKey) {
  Nrv_msg::TMessages messages;
  messages.Lines = CatalogLines();
  EXPECT_EQ(messages.ServerText("@PrecoZerNeg"), "Operação Cancelada.");
  EXPECT_EQ(messages.ServerText("Cliente 9 não cadastrado."), "Cliente 9 não cadastrado.") << "no @: as it came";
  EXPECT_EQ(messages.ServerText("@Desconhecida"), "@Desconhecida") << "a key the catalog lacks shows plainly";
}

class ReportError : public testsupport::UiTest {};

TEST_F(ReportError, ShowsTheKeysTextAndEndsTheOperation) {
  Nrv_msg::TMessages messages;
  messages.Lines = CatalogLines();
  std::string shown;
  ModalScript script({fwtest::Do([&] { shown = testsupport::TopMessageText(); }), ClickIn("dlgMessage", "btnOK")});
  EXPECT_THROW(messages.ReportError("DtIni<DtFin"), platform::EAbort);
  EXPECT_EQ(shown, "Data inicial deve ser menor ou igual à data final.");
}

}  // namespace
