// The customer price table driven through the host as a person would: choosing the
// customer, the grid's key and text rules, the checks before post, saving and deleting
// (checked in the database and in the server's call log), server failures, who is
// signed in (a refused permission, a session that expires), and the screen's life
// across closing and module reloads.
#include <gtest/gtest.h>

#include <thread>

#include "platform/ui/ui_types.h"
#include "tests/screens/price_table_fixture.h"

namespace screenstest {
namespace {

using platform::VK_BACK;
using platform::VK_DELETE;
using platform::VK_DOWN;
using platform::VK_ESCAPE;
using platform::VK_F2;
using platform::VK_INSERT;
using platform::VK_RETURN;
using platform::VK_TAB;

// --- choosing the customer ---------------------------------------------------------

class CustomerSelection : public PriceTableTest {};

TEST_F(CustomerSelection, TypedNumberWithPunctuationIsNormalisedLookedUpAndMasked) {
  openScreen();
  typeCustomer(kLegal.formatted);
  EXPECT_EQ(host().focusPath(), kGrid) << messageText();
  EXPECT_EQ(host().control(kName)["text"], kLegal.name);
  json number = host().control(kNumber);
  EXPECT_EQ(number["text"], kLegal.number);
  EXPECT_EQ(number["editText"], kLegal.formatted);
  auto lookups = serverCalls("GetPesqCliente");
  ASSERT_EQ(lookups.size(), 1u);
  // Logged masked: only the last digits of the number, which came without punctuation.
  EXPECT_NE(lookups[0].find("inscricao=**********0195"), std::string::npos) << lookups[0];
  EXPECT_EQ(lookups[0].find(kLegal.number), std::string::npos) << lookups[0];
  EXPECT_EQ(gridText(0, kColCode), "1.01.001") << "the product code shows in the product picture";
  EXPECT_EQ(gridText(0, kColPrice), "10,500");
  EXPECT_EQ(gridText(0, kColStart), "01/01/2026");
  EXPECT_EQ(gridText(0, kColEnd), "31/12/2026");
}

TEST_F(CustomerSelection, PlainDigitsOfANaturalPersonTakeItsMask) {
  openScreen();
  chooseCustomer(kNatural);
  EXPECT_EQ(host().control(kName)["text"], kNatural.name);
  EXPECT_EQ(host().control(kNumber)["editText"], kNatural.formatted);
  EXPECT_EQ(gridText(0, kColPrice), "");
}

TEST_F(CustomerSelection, UnknownNumberSaysNotRegisteredAndKeepsTheFocus) {
  openScreen();
  typeCustomer("11.222.333/0001-81");
  ASSERT_TRUE(host().messageBox());
  EXPECT_EQ(messageText(), "Cliente não cadastrado.");
  EXPECT_EQ(host().messageBox()->value("dlgType", ""), "error");
  host().answer("btnOK");
  EXPECT_EQ(host().focusPath(), kNumber);
  EXPECT_EQ(host().control(kName)["text"], "");
  EXPECT_EQ(host().control(kNumber)["text"], "11222333000181");
  EXPECT_TRUE(serverCalls("GetPrecoProd").empty());
}

TEST_F(CustomerSelection, EmptyNumberMustBeInformed) {
  openScreen();
  host().focus(kNumber);
  host().type("   ");
  host().key(VK_TAB);
  EXPECT_EQ(messageText(), "Cliente deve ser informado.");
  host().answer("btnOK");
  EXPECT_EQ(host().focusPath(), kNumber);
  EXPECT_TRUE(serverCalls("GetPesqCliente").empty());
}

TEST_F(CustomerSelection, AnyChangeClearsTheNameAndOnlyAChangedNumberIsLookedUpAgain) {
  openScreen();
  chooseCustomer(kLegal);
  host().focus(kNumber);
  EXPECT_EQ(host().control(kNumber)["editMask"], "");
  EXPECT_EQ(host().control(kNumber)["selLength"], 14) << "the whole number is selected, so typing replaces it";
  host().key(VK_TAB);  // left unchanged: resolved, no lookup
  EXPECT_EQ(serverCalls("GetPesqCliente").size(), 1u);

  host().focus(kNumber);
  host().type("1");
  EXPECT_EQ(host().control(kName)["text"], "") << "a change must clear the name";
  host().key(VK_BACK);
  host().type(kNatural.number);
  host().key(VK_TAB);
  EXPECT_EQ(host().control(kName)["text"], kNatural.name);
  EXPECT_EQ(serverCalls("GetPesqCliente").size(), 2u);
  auto loads = serverCalls("GetPrecoProd");
  ASSERT_EQ(loads.size(), 3u) << "each entry into the grid loads the list";
  EXPECT_NE(loads[2].find("cliente=" + kNatural.code), std::string::npos) << loads[2];
}

TEST_F(CustomerSelection, SearchListShowsMaskedNumbersAndAPickFillsNumberAndName) {
  openScreen();
  host().click("frmTabPreClie.btpCliente");
  json list = host().control("dlgPesquisa.dbgPesquisa");
  ASSERT_FALSE(list.is_null()) << messageText();
  EXPECT_EQ(host().window("dlgPesquisa").value("caption", ""), "Cliente");
  int legalRow = -1, naturalRow = -1;
  for (int top = 0; top < list.value("rowCount", 0) && (legalRow < 0 || naturalRow < 0); top += 10) {
    host().scroll("dlgPesquisa.dbgPesquisa", top);
    list = host().control("dlgPesquisa.dbgPesquisa");
    for (std::size_t i = 0; i < list["rows"].size(); ++i) {
      const auto& row = list["rows"][i];
      if (row[0] == kLegal.formatted) legalRow = list.value("topRow", 0) + static_cast<int>(i);
      if (row[0] == kNatural.formatted) naturalRow = list.value("topRow", 0) + static_cast<int>(i);
    }
  }
  ASSERT_GE(legalRow, 0) << "the legal person's number must show in its mask";
  ASSERT_GE(naturalRow, 0) << "the natural person's number must show in its mask";
  host().cell("dlgPesquisa.dbgPesquisa", legalRow, 0);
  host().click("dlgPesquisa.btnOK");
  EXPECT_TRUE(host().window("dlgPesquisa").is_null());
  EXPECT_EQ(host().control(kNumber)["text"], kLegal.number);
  EXPECT_EQ(host().control(kName)["text"], kLegal.name);

  host().key(VK_TAB);  // the pick is resolved: no lookup by number
  EXPECT_EQ(host().focusPath(), kGrid);
  auto lookups = serverCalls("GetPesqCliente");
  ASSERT_EQ(lookups.size(), 1u);
  EXPECT_EQ(lookups[0].find("cliente="), std::string::npos) << "only the full list was asked for";
  EXPECT_EQ(gridText(0, kColPrice), "10,500");
}

TEST_F(CustomerSelection, SearchFromTheGridKeepsThePricesWhenCancelledAndAPickGoesBackToTheStrip) {
  openScreen();
  chooseCustomer(kNatural);
  host().click("frmTabPreClie.btpCliente");
  ASSERT_FALSE(host().window("dlgPesquisa").is_null());
  host().click("dlgPesquisa.btnCancel");
  EXPECT_EQ(host().focusPath(), kGrid);
  EXPECT_EQ(grid().value("state", ""), "browse") << "the shown prices stay";
  EXPECT_EQ(host().control(kName)["text"], kNatural.name);
  EXPECT_EQ(serverCalls("GetPrecoProd").size(), 1u) << "nothing to load again";

  host().click("frmTabPreClie.btpCliente");
  host().click("dlgPesquisa.btnOK");  // the list opens on the customer chosen
  EXPECT_EQ(host().focusPath(), kNumber);
  EXPECT_EQ(grid().value("state", ""), "inactive") << "a pick's prices are loaded afresh";
  host().key(VK_TAB);
  auto loads = serverCalls("GetPrecoProd");
  ASSERT_EQ(loads.size(), 2u);
  EXPECT_NE(loads[1].find("cliente=" + kNatural.code), std::string::npos) << loads[1];
}

TEST_F(CustomerSelection, SearchWithNoCustomersSaysSo) {
  execute("PRAGMA foreign_keys = OFF; DELETE FROM TABPRECLIE; DELETE FROM TABPRECLIEHIST; DELETE FROM COMPPRECLIE; "
          "DELETE FROM CLIENTE;");
  openScreen();
  host().click("frmTabPreClie.btpCliente");
  EXPECT_EQ(messageText(), "Não há cliente cadastrado.");
  host().answer("btnOK");
  EXPECT_TRUE(host().window("dlgPesquisa").is_null());
}

TEST_F(CustomerSelection, EnteringTheStripDiscardsThePricesAndDisablesTheRecordCommands) {
  openScreen();
  chooseCustomer(kLegal);
  EXPECT_GT(grid().value("rowCount", 0), 2);
  host().focus(kNumber);
  EXPECT_EQ(grid().value("state", ""), "inactive");
  EXPECT_EQ(grid().value("rowCount", -1), 0);
  for (const char* b : {"sbtIncluir", "sbtExcluir", "sbtAlterar", "sbtConsultar", "sbtVerificar", "sbtConfirmar",
                        "sbtCancelar"})
    EXPECT_FALSE(enabled(std::string(kScreen) + "." + b)) << b;
  for (const char* b : {"sbtFormComp", "sbtCopiaDados", "sbtImprimir"})
    EXPECT_TRUE(enabled(std::string(kScreen) + "." + b)) << b;
}

// --- commands ------------------------------------------------------------------------

class Commands : public PriceTableTest {
 protected:
  // Each record command's menu item shows the same state as its toolbar button.
  void expectMenuItemsFollowTheirButtons() {
    for (const char* command : {"Incluir", "Excluir", "Alterar", "Consultar", "Verificar", "Confirmar", "Cancelar"})
      EXPECT_EQ(menuEnabled(std::string("mnu") + command), enabled(std::string(kScreen) + ".sbt" + command))
          << command;
  }
};

TEST_F(Commands, RecordCommandsFollowTheRowAndTheEditState) {
  openScreen();
  chooseCustomer(kLegal);
  const std::string s = std::string(kScreen) + ".";
  EXPECT_FALSE(enabled(s + "sbtIncluir"));
  EXPECT_FALSE(menuEnabled("mnuIncluir"));
  EXPECT_TRUE(enabled(s + "sbtAlterar"));
  EXPECT_TRUE(enabled(s + "sbtConsultar"));
  EXPECT_TRUE(enabled(s + "sbtVerificar"));
  EXPECT_TRUE(enabled(s + "sbtExcluir")) << "row 0 has a special price";
  EXPECT_TRUE(menuEnabled("mnuExcluir"));
  EXPECT_FALSE(enabled(s + "sbtConfirmar"));
  EXPECT_FALSE(enabled(s + "sbtCancelar"));
  EXPECT_TRUE(enabled(s + "panCliente"));
  expectMenuItemsFollowTheirButtons();

  host().cell(kGrid, 2, kColPrice);
  EXPECT_FALSE(enabled(s + "sbtExcluir")) << "row 2 has nothing to delete";

  host().type("5");
  EXPECT_EQ(grid().value("state", ""), "edit");
  EXPECT_TRUE(enabled(s + "sbtConfirmar"));
  EXPECT_TRUE(enabled(s + "sbtCancelar"));
  for (const char* b : {"sbtIncluir", "sbtExcluir", "sbtAlterar", "sbtConsultar", "sbtVerificar"})
    EXPECT_FALSE(enabled(s + b)) << b;
  expectMenuItemsFollowTheirButtons();
  EXPECT_FALSE(enabled(s + "panCliente")) << "the customer cannot change in the middle of an edit";
  host().click(s + "btpCliente");
  EXPECT_TRUE(host().error().has_value()) << "the search button is inside the disabled strip";

  host().click(s + "sbtCancelar");
  EXPECT_EQ(grid().value("state", ""), "browse");
  EXPECT_TRUE(enabled(s + "panCliente"));
  EXPECT_TRUE(serverCalls("SetTabPreClie").empty());
}

TEST_F(Commands, ChangeCommandStartsOnThePriceColumn) {
  openScreen();
  chooseCustomer(kLegal);
  host().cell(kGrid, 1, kColCode);
  host().click("frmTabPreClie.sbtAlterar");
  json g = grid();
  EXPECT_EQ(g.value("state", ""), "edit");
  EXPECT_EQ(g.value("col", -1), kColPrice);
  host().type("9");
  host().click("frmTabPreClie.sbtConfirmar");
  EXPECT_EQ(gridText(1, kColPrice), "9,000");
  auto stored = storedPrice(kLegal.code, leafProduct(1));
  ASSERT_TRUE(stored);
  EXPECT_DOUBLE_EQ(stored->price, 9.0);
}

TEST_F(Commands, FormulaAndCopyCheckTheCustomerAndPrintDoesNot) {
  openScreen();
  host().click("frmTabPreClie.sbtFormComp");
  EXPECT_EQ(messageText(), "Cliente deve ser informado.");
  host().answer("btnOK");
  host().click("frmTabPreClie.mnuCopiaDados");
  EXPECT_EQ(messageText(), "Cliente deve ser informado.");
  host().answer("btnOK");
  host().click("frmTabPreClie.sbtImprimir");
  EXPECT_FALSE(host().messageBox()) << messageText();
  EXPECT_EQ(host().activeForm(), "frmRelTabPreClie") << "the report screen opens with no customer chosen";
  host().click("frmRelTabPreClie.sbtFechar");
  EXPECT_EQ(host().activeForm(), kScreen) << "closed";

  chooseCustomer(kNatural);
  host().click("frmTabPreClie.sbtFormComp");
  EXPECT_FALSE(host().messageBox()) << messageText();
  EXPECT_EQ(host().activeForm(), "frmFormCompPreco");
  host().click("frmFormCompPreco.sbtCancel");
  EXPECT_EQ(host().focusPath(), kGrid);
  auto checks = serverCalls("GetCDCliente");
  ASSERT_EQ(checks.size(), 1u);
  EXPECT_NE(checks[0].find("cliente=" + kNatural.code), std::string::npos);

  execute("DELETE FROM CLIENTE WHERE CDCLIENTE = '" + kNatural.code + "'");
  host().click("frmTabPreClie.mnuCopiaDados");
  EXPECT_EQ(messageText(), "Cliente não cadastrado.");
  host().answer("btnOK");
}

TEST_F(Commands, ANumberTypedButNotLookedUpIsTheCustomerTheCommandsOpenFor) {
  openScreen();
  chooseCustomer(kLegal);
  host().focus(kNumber);
  host().type(kNatural.number);  // typed, the strip not left
  host().click("frmTabPreClie.sbtFormComp");
  ASSERT_EQ(host().activeForm(), "frmFormCompPreco") << messageText();
  EXPECT_EQ(host().control("frmFormCompPreco.edtCliente")["text"], kNatural.name);
  host().click("frmFormCompPreco.sbtCancel");
  EXPECT_EQ(host().control(kName)["text"], kNatural.name) << "the number stays beside its own name";
  EXPECT_EQ(host().control(kNumber)["editText"], kNatural.formatted);
  EXPECT_EQ(gridText(0, kColPrice), "") << "the grid shows the natural person's prices (none)";

  host().focus(kNumber);
  host().type(kLegal.number);
  host().click("frmTabPreClie.sbtCopiaDados");
  ASSERT_EQ(host().activeForm(), "frmCopiaDados") << messageText();
  EXPECT_EQ(host().control("frmCopiaDados.edtNmCliente")["text"], kLegal.name);
  host().click("frmCopiaDados.sbtCancel");

  host().focus(kGrid);
  host().focus(kNumber);
  host().type("11222333000181");
  host().click("frmTabPreClie.sbtImprimir");
  expectBox("Cliente não cadastrado.");
  EXPECT_EQ(host().activeForm(), kScreen) << "no screen opens for a number nobody has";
  EXPECT_EQ(host().focusPath(), kNumber);
  host().click("frmTabPreClie.mnuHistorico");
  expectBox("Cliente não cadastrado.");
  EXPECT_EQ(host().activeForm(), kScreen);
}

TEST_F(Commands, RefreshReloadsOnlyFromTheGrid) {
  openScreen();
  chooseCustomer(kLegal);
  execute("UPDATE TABPRECLIE SET VRPRECOPROD = 11 WHERE CDCLIENTE = '" + kLegal.code + "' AND CDPRODUTO = '" +
          leafProduct(0) + "'");
  host().click("frmTabPreClie.sbtVerificar");
  EXPECT_EQ(gridText(0, kColPrice), "11,000");
  EXPECT_EQ(serverCalls("GetPrecoProd").size(), 2u);
}

// --- the grid's rules ----------------------------------------------------------------

class PriceGrid : public PriceTableTest {};

TEST_F(PriceGrid, NoRowCanBeAdded) {
  openScreen();
  chooseCustomer(kLegal);
  const int rows = grid().value("rowCount", 0);
  host().scroll(kGrid, rows - 1);
  host().cell(kGrid, rows - 1, kColPrice);
  host().key(VK_DOWN);
  EXPECT_EQ(grid().value("rowCount", 0), rows);
  EXPECT_EQ(grid().value("state", ""), "browse");
  host().key(VK_INSERT);
  EXPECT_EQ(grid().value("rowCount", 0), rows);
  EXPECT_EQ(grid().value("state", ""), "browse");
  host().send({{"type", "click"}, {"target", "frmTabPreClie.dbnPadrao"}, {"button", "insert"}});
  EXPECT_EQ(grid().value("rowCount", 0), rows);
  EXPECT_TRUE(serverCalls("SetTabPreClie").empty());
}

TEST_F(PriceGrid, ProductCodeColumnTakesNothingButStillMovesOn) {
  openScreen();
  chooseCustomer(kLegal);
  const std::string code = gridText(0, kColCode);
  host().cell(kGrid, 0, kColCode);
  host().type("9a,");
  host().key(VK_F2);
  host().key(VK_BACK);
  EXPECT_EQ(grid().value("state", ""), "browse");
  EXPECT_EQ(gridText(0, kColCode), code);
  host().key(VK_TAB);
  EXPECT_EQ(grid().value("col", -1), kColName);
  host().cell(kGrid, 0, kColCode);
  host().key(VK_DOWN);
  EXPECT_EQ(grid().value("row", -1), 1) << "arrows move on the product code column";
}

TEST_F(PriceGrid, PriceTakesDigitsAndOneDecimalComma) {
  openScreen();
  chooseCustomer(kNatural);
  host().cell(kGrid, 0, kColPrice);
  host().type("12,5,3.-7a");
  EXPECT_EQ(grid().value("editorText", ""), "12,537");
  host().key(VK_RETURN);
  host().click("frmTabPreClie.sbtConfirmar");
  EXPECT_EQ(gridText(0, kColPrice), "12,537");
  EXPECT_EQ(storedPrice(kNatural.code, leafProduct(0)), (StoredPrice{12.537, "", ""}));
}

TEST_F(PriceGrid, ZeroOrEmptyPriceIsRefusedAndNothingSent) {
  openScreen();
  chooseCustomer(kLegal);
  editCell(2, kColPrice, "0");
  confirmRefused("Preço deve ser maior que zero.", kColPrice);
  host().key(VK_ESCAPE);
  host().key(VK_ESCAPE);
  EXPECT_EQ(grid().value("state", ""), "browse");

  clearCell(1, kColPrice);
  host().key(VK_DOWN);  // leaving the row posts it
  EXPECT_EQ(messageText(), "Preço deve ser maior que zero.");
  host().answer("btnOK");
  EXPECT_EQ(grid().value("row", -1), 1);
  EXPECT_TRUE(serverCalls("SetTabPreClie").empty());
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(1))->price, kSeededPrice1);
}

TEST_F(PriceGrid, StartDateAloneOrNoDatesAreAccepted) {
  openScreen();
  chooseCustomer(kNatural);
  editCell(0, kColPrice, "3");
  editCell(0, kColStart, "01032026");
  confirmAccepted();
  EXPECT_EQ(storedPrice(kNatural.code, leafProduct(0)), (StoredPrice{3, "2026-03-01", ""}));

  editCell(1, kColPrice, "4");
  host().click("frmTabPreClie.sbtConfirmar");
  EXPECT_EQ(storedPrice(kNatural.code, leafProduct(1)), (StoredPrice{4, "", ""}));
}

TEST_F(PriceGrid, StartEqualToEndIsAcceptedAndStartAfterEndRefused) {
  openScreen();
  chooseCustomer(kNatural);
  editCell(0, kColPrice, "3");
  editCell(0, kColStart, "15052026");
  editCell(0, kColEnd, "15052026");
  confirmAccepted();
  EXPECT_EQ(storedPrice(kNatural.code, leafProduct(0))->end, "2026-05-15");

  editCell(0, kColStart, "16052026");
  confirmRefused("Data inicial deve ser menor ou igual à data final.", kColStart);
  EXPECT_EQ(serverCalls("SetTabPreClie").size(), 1u);
  EXPECT_EQ(storedPrice(kNatural.code, leafProduct(0))->start, "2026-05-15");
}

TEST_F(PriceGrid, EndDateWithoutStartIsRefused) {
  openScreen();
  chooseCustomer(kLegal);
  editCell(1, kColEnd, "31122026");
  confirmRefused("Data inicial deve ser informada.", kColStart);
  EXPECT_TRUE(serverCalls("SetTabPreClie").empty());
}

TEST_F(PriceGrid, ADateOfSeparatorsOnlyIsNoDate) {
  openScreen();
  chooseCustomer(kLegal);
  clearCell(0, kColEnd);
  clearCell(0, kColStart);
  EXPECT_FALSE(host().messageBox()) << messageText();
  confirmAccepted();
  EXPECT_EQ(gridText(0, kColStart), "");
  EXPECT_EQ(gridText(0, kColEnd), "");
  EXPECT_EQ(storedPrice(kLegal.code, leafProduct(0)), (StoredPrice{kSeededPrice0, "", ""}));
}

TEST_F(PriceGrid, AnImpossibleDateIsRefusedWithItsText) {
  openScreen();
  chooseCustomer(kLegal);
  editCell(0, kColStart, "31022026");
  ASSERT_TRUE(host().messageBox());
  EXPECT_NE(messageText().find("31/02/2026"), std::string::npos) << messageText();
  host().answer("btnOK");
  EXPECT_EQ(storedPrice(kLegal.code, leafProduct(0))->start, "2026-01-01");
}

// --- saving and deleting ---------------------------------------------------------------

class Saving : public PriceTableTest {};

TEST_F(Saving, EachPostedRowIsOneCallAndMovingWithoutEditingNone) {
  openScreen();
  chooseCustomer(kLegal);
  for (int row : {0, 1, 2, 3}) host().cell(kGrid, row, kColPrice);
  host().cell(kGrid, 0, kColStart);
  host().key(VK_DOWN);
  host().key(VK_DOWN);
  EXPECT_TRUE(serverCalls("SetTabPreClie").empty());

  editCell(2, kColPrice, "8,75");
  host().key(VK_DOWN);
  editCell(3, kColPrice, "1");
  host().key(VK_DOWN);
  host().key(VK_DOWN);
  host().cell(kGrid, 0, kColPrice);
  auto saves = serverCalls("SetTabPreClie");
  ASSERT_EQ(saves.size(), 2u);
  EXPECT_NE(saves[0].find("cliente=" + kLegal.code), std::string::npos);
  EXPECT_NE(saves[0].find(" ok"), std::string::npos) << saves[0];
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(2))->price, 8.75);
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(3))->price, 1.0);
}

TEST_F(Saving, DeletingAfterYesClearsThePriceAndTheRowStays) {
  openScreen();
  chooseCustomer(kLegal);
  const int rows = grid().value("rowCount", 0);
  host().cell(kGrid, 0, kColPrice);
  host().click("frmTabPreClie.sbtExcluir");
  EXPECT_EQ(messageText(), "Confirma exclusão?\n" + gridText(0, 0) + " - " + gridText(0, 1))
      << "the question names the product on a line of its own";
  EXPECT_EQ(host().messageBox()->value("dlgType", ""), "confirmation");
  host().answer("btnYes");
  EXPECT_FALSE(host().messageBox()) << messageText();
  EXPECT_EQ(grid().value("rowCount", 0), rows);
  EXPECT_EQ(gridText(0, kColPrice), "");
  EXPECT_EQ(gridText(0, kColStart), "");
  EXPECT_EQ(gridText(0, kColEnd), "");
  EXPECT_FALSE(storedPrice(kLegal.code, leafProduct(0)));
  EXPECT_EQ(serverCalls("SetTabPreClie").size(), 1u);
  EXPECT_FALSE(enabled("frmTabPreClie.sbtExcluir"));

  editCell(0, kColPrice, "0");
  confirmRefused("Preço deve ser maior que zero.");  // a deletion does not lift the check for good
}

TEST_F(Saving, DeletingAnsweredNoSendsNothing) {
  openScreen();
  chooseCustomer(kLegal);
  host().cell(kGrid, 1, kColPrice);
  host().click("frmTabPreClie.mnuExcluir");
  host().answer("btnNo");
  EXPECT_EQ(gridText(1, kColPrice), "7,250");
  EXPECT_TRUE(serverCalls("SetTabPreClie").empty());
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(1))->price, kSeededPrice1);
}

TEST_F(Saving, DeletingWithTheProductColumnSelectedStillDeletes) {
  openScreen();
  chooseCustomer(kLegal);
  host().cell(kGrid, 1, kColCode);
  host().click("frmTabPreClie.sbtExcluir");
  host().answer("btnYes");
  EXPECT_FALSE(storedPrice(kLegal.code, leafProduct(1)));
  EXPECT_EQ(gridText(1, kColPrice), "");
  EXPECT_EQ(grid().value("state", ""), "browse");
}

TEST_F(Saving, CtrlDeleteAndTheNavigatorDeleteAreTheDeleteCommand) {
  openScreen();
  chooseCustomer(kLegal);
  const int rows = grid().value("rowCount", 0);
  host().cell(kGrid, 2, kColPrice);  // no special price: nothing to ask
  host().key(VK_DELETE, {.ctrl = true});
  EXPECT_FALSE(host().messageBox());
  host().cell(kGrid, 0, kColPrice);
  host().key(VK_DELETE, {.ctrl = true});
  EXPECT_TRUE(messageText().starts_with("Confirma exclusão?\n")) << messageText();
  host().answer("btnYes");
  EXPECT_EQ(grid().value("rowCount", 0), rows) << "a product never leaves the list";
  EXPECT_FALSE(storedPrice(kLegal.code, leafProduct(0)));
  EXPECT_EQ(serverCalls("SetTabPreClie").size(), 1u);

  host().cell(kGrid, 1, kColName);
  host().send({{"type", "click"}, {"target", "frmTabPreClie.dbnPadrao"}, {"button", "delete"}});
  EXPECT_TRUE(messageText().starts_with("Confirma exclusão?\n")) << "the navigator's delete is the delete command too";
  host().answer("btnYes");
  EXPECT_EQ(grid().value("rowCount", 0), rows);
  EXPECT_FALSE(storedPrice(kLegal.code, leafProduct(1)));
  EXPECT_EQ(serverCalls("SetTabPreClie").size(), 2u);
}

TEST_F(Saving, AFailedDeletionStillRestoresTheGridRules) {
  openScreen();
  chooseCustomer(kLegal);
  const int rows = grid().value("rowCount", 0);
  stopServer();
  host().cell(kGrid, 0, kColPrice);
  host().click("frmTabPreClie.sbtExcluir");
  host().answer("btnYes");
  ASSERT_TRUE(host().messageBox()) << "the server cannot be reached";
  EXPECT_EQ(host().messageBox()->value("dlgType", ""), "error");
  host().answer("btnOK");
  host().cell(kGrid, 1, kColPrice);
  host().key(VK_INSERT);
  EXPECT_EQ(grid().value("rowCount", 0), rows) << "the state rule must be attached again";
  EXPECT_EQ(grid().value("state", ""), "browse");
  startServer();
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(0))->price, kSeededPrice0);
}

TEST_F(Saving, CommandsThatLeaveTheGridStoreTheRowBeingEditedOrStopAtItsCheck) {
  openScreen();
  chooseCustomer(kLegal);
  auto stored = [this](int leaf) {
    auto price = storedPrice(kLegal.code, leafProduct(leaf));
    return price ? price->price : -1.0;
  };
  host().cell(kGrid, 2, kColPrice);
  host().type("9,99");  // the cell still open
  host().click("frmTabPreClie.sbtFormComp");
  EXPECT_DOUBLE_EQ(stored(2), 9.99) << "stored before the formula screen opened";
  ASSERT_EQ(host().activeForm(), "frmFormCompPreco") << messageText();
  host().click("frmFormCompPreco.sbtCancel");
  EXPECT_EQ(gridText(2, kColPrice), "9,990");

  host().cell(kGrid, 3, kColPrice);
  host().type("0");
  host().click("frmTabPreClie.sbtCopiaDados");
  expectBox("Preço deve ser maior que zero.");
  EXPECT_EQ(host().activeForm(), kScreen) << "a refused row stops the command";
  EXPECT_EQ(grid().value("state", ""), "edit");
  host().cell(kGrid, 3, kColPrice);
  host().type("3,5");
  host().click("frmTabPreClie.sbtImprimir");
  EXPECT_DOUBLE_EQ(stored(3), 3.5);
  ASSERT_EQ(host().activeForm(), "frmRelTabPreClie") << messageText();
  host().click("frmRelTabPreClie.sbtFechar");

  host().cell(kGrid, 4, kColPrice);
  host().type("2");
  host().click("frmTabPreClie.sbtHistorico");
  EXPECT_DOUBLE_EQ(stored(4), 2);
  EXPECT_EQ(host().activeForm(), "frmHistPreco") << messageText();
}

TEST_F(Saving, ServerRefusalIsShownAndTheScreenGoesOn) {
  openScreen();
  chooseCustomer(kNatural);
  execute("DELETE FROM CLIENTE WHERE CDCLIENTE = '" + kNatural.code + "'");
  editCell(0, kColPrice, "5");
  host().click("frmTabPreClie.sbtConfirmar");
  ASSERT_TRUE(host().messageBox());
  EXPECT_EQ(host().messageBox()->value("dlgType", ""), "error");
  EXPECT_FALSE(messageText().empty());
  host().answer("btnOK");
  EXPECT_FALSE(host().window(kScreen).is_null());
  EXPECT_EQ(host().state().value("wait", json()), json());
  EXPECT_EQ(gridText(0, kColPrice), "5,000") << "the row keeps what was typed";
  EXPECT_EQ(grid().value("state", ""), "edit");
  auto saves = serverCalls("SetTabPreClie");
  ASSERT_EQ(saves.size(), 1u);
  EXPECT_NE(saves[0].find("recusado"), std::string::npos) << saves[0];
}

TEST_F(Saving, ClosingWithAPendingEditStoresIt) {
  openScreen();
  chooseCustomer(kLegal);
  editCell(2, kColPrice, "6,5");
  host().close(kScreen);
  EXPECT_TRUE(host().window(kScreen).is_null());
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(2))->price, 6.5);
}

TEST_F(Saving, ClosingWithARefusedEditKeepsTheScreenOnIt) {
  openScreen();
  chooseCustomer(kLegal);
  editCell(2, kColPrice, "0");
  host().close(kScreen);
  EXPECT_EQ(messageText(), "Preço deve ser maior que zero.");
  host().answer("btnOK");
  EXPECT_FALSE(host().window(kScreen).is_null());
  EXPECT_EQ(grid().value("state", ""), "edit");
}

// --- the server going away ------------------------------------------------------------

class ServerFailures : public PriceTableTest {};

TEST_F(ServerFailures, ARestartedServerIsReachedAgainByTheNextCall) {
  openScreen();
  chooseCustomer(kLegal);
  stopServer();
  startServer();
  editCell(2, kColPrice, "2,5");
  confirmAccepted();
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(2))->price, 2.5);
}

TEST_F(ServerFailures, AServerDownIsReportedAndTheWorkGoesOnOnceItIsBack) {
  openScreen();
  chooseCustomer(kLegal);
  stopServer();
  editCell(2, kColPrice, "2,5");
  host().click("frmTabPreClie.sbtConfirmar");
  ASSERT_TRUE(host().messageBox());
  EXPECT_EQ(host().messageBox()->value("dlgType", ""), "error");
  host().answer("btnOK");
  EXPECT_EQ(host().state().value("wait", json()), json()) << "the wait animation stops on failure";
  EXPECT_EQ(host().state().value("cursor", 1), 0);
  host().click("frmTabPreClie.sbtCancelar");  // the row not stored stays in edit until then

  host().focus(kNumber);
  host().type(kNatural.number);
  host().key(VK_TAB);
  ASSERT_TRUE(host().messageBox()) << "the lookup cannot reach the server";
  host().answer("btnOK");
  EXPECT_EQ(host().focusPath(), kNumber);

  startServer();
  host().key(VK_TAB);
  ASSERT_EQ(host().focusPath(), kGrid) << messageText();
  EXPECT_EQ(host().control(kName)["text"], kNatural.name);
}

class TwoServers : public PriceTableTest {
 protected:
  TwoServers() { secondServer_ = true; }
};

TEST_F(TwoServers, WhenTheServerInUseIsKilledTheClerksNextSaveGoesToTheOtherWithTheScreenOpen) {
  openScreen();
  chooseCustomer(kLegal);
  editCell(2, kColPrice, "2,5");
  confirmAccepted();
  killServer();
  editCell(3, kColPrice, "3,5");
  confirmAccepted();
  EXPECT_EQ(host().activeForm(), kScreen);
  EXPECT_EQ(gridText(3, kColPrice), "3,500");
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(2))->price, 2.5);
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(3))->price, 3.5);
  EXPECT_EQ(query("SELECT COUNT(*) FROM TABPRECLIEHIST WHERE CDCLIENTE = ?", {kLegal.code}),
            (std::vector<std::vector<std::string>>{{"2"}}));
}

TEST_F(ServerFailures, ARowTheServerDidNotStoreStaysInEditUntilConfirmedAgainOrCancelled) {
  openScreen();
  chooseCustomer(kLegal);
  stopServer();
  host().cell(kGrid, 2, kColPrice);
  host().type("4,44");
  host().key(VK_DOWN);  // leaving the row posts it
  ASSERT_TRUE(host().messageBox());
  EXPECT_EQ(host().messageBox()->value("dlgType", ""), "error");
  host().answer("btnOK");
  json g = grid();
  EXPECT_EQ(g.value("state", ""), "edit") << "nothing was stored, so nothing looks stored";
  EXPECT_EQ(g.value("row", -1), 2);
  EXPECT_EQ(gridText(2, kColPrice), "4,440");
  EXPECT_TRUE(enabled("frmTabPreClie.sbtConfirmar"));
  EXPECT_TRUE(enabled("frmTabPreClie.sbtCancelar"));
  startServer();
  host().click("frmTabPreClie.sbtConfirmar");
  EXPECT_FALSE(host().messageBox()) << messageText();
  EXPECT_EQ(grid().value("state", ""), "browse");
  auto stored = storedPrice(kLegal.code, leafProduct(2));
  ASSERT_TRUE(stored);
  EXPECT_DOUBLE_EQ(stored->price, 4.44);

  stopServer();
  editCell(1, kColPrice, "8");
  host().click("frmTabPreClie.sbtConfirmar");
  host().answer("btnOK");
  host().click("frmTabPreClie.sbtCancelar");
  EXPECT_EQ(gridText(1, kColPrice), "7,250") << "cancelling shows the stored price again";
  host().cell(kGrid, 0, kColPrice);
  host().click("frmTabPreClie.sbtExcluir");
  host().answer("btnYes");
  host().answer("btnOK");
  EXPECT_EQ(grid().value("state", ""), "browse");
  EXPECT_EQ(gridText(0, kColPrice), "10,500") << "a deletion not stored leaves the price shown";
  EXPECT_EQ(gridText(0, kColEnd), "31/12/2026");
}

// --- a price changed by someone else since the grid was read ---------------------------

class ChangedMeanwhile : public PriceTableTest {
 protected:
  // Another clerk, "joana", saves the product's price now from her own connection.
  void changeElsewhere(const std::string& product, double price, const std::string& start = "",
                       const std::string& end = "") {
    saveAsAnotherClerk("joana", product, price, start, end);
  }
  // Expects the refusal naming joana and the values, asking to reload, and answers it.
  void answerChangedBox(const std::string& values, const char* button) {
    ASSERT_TRUE(host().messageBox());
    const std::string text = messageText();
    EXPECT_NE(text.find("alterado por joana em "), std::string::npos) << text;
    EXPECT_NE(text.find(values + ". Nada foi gravado."), std::string::npos) << text;
    EXPECT_NE(text.find("Recarregar o produto com os valores atuais?"), std::string::npos) << text;
    host().answer(button);
    EXPECT_FALSE(host().messageBox()) << messageText();
  }
};

TEST_F(ChangedMeanwhile, ASaveOverAnotherClerksChangeIsRefusedAndNoKeepsTheEditWhileYesReloadsOnlyThatRow) {
  openScreen();
  chooseCustomer(kLegal);
  changeElsewhere(leafProduct(1), 9);
  editCell(1, kColPrice, "8,5");
  host().click("frmTabPreClie.sbtConfirmar");
  answerChangedBox("de 7,250 para 9,000", "btnNo");
  EXPECT_EQ(grid().value("state", ""), "edit");
  EXPECT_EQ(gridText(1, kColPrice), "8,500") << "the typed value stays";
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(1))->price, 9);

  host().click("frmTabPreClie.sbtConfirmar");
  answerChangedBox("de 7,250 para 9,000", "btnYes");
  EXPECT_EQ(grid().value("state", ""), "browse");
  EXPECT_EQ(gridText(1, kColPrice), "9,000") << "the row shows the current price";
  EXPECT_EQ(gridRow(0), (std::vector<std::string>{gridText(0, kColCode), gridText(0, kColName), "10,500",
                                                   "01/01/2026", "31/12/2026"}))
      << "no other row is touched";
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(1))->price, 9);

  editCell(1, kColPrice, "8,5");
  confirmAccepted();
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(1))->price, 8.5) << "typed again over the current price";

  changeElsewhere(leafProduct(0), 11, "01/01/2026", "31/12/2026");
  host().cell(kGrid, 0, kColPrice);
  host().click("frmTabPreClie.sbtExcluir");
  host().answer("btnYes");
  answerChangedBox("de 10,500 (de 01/01/2026 a 31/12/2026) para 11,000 (de 01/01/2026 a 31/12/2026)", "btnYes");
  EXPECT_EQ(gridText(0, kColPrice), "11,000") << "a deletion over a change is refused the same way";
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(0))->price, 11);
}

// --- who is signed in ----------------------------------------------------------------------

class ConsultaUser : public PriceTableTest {
 protected:
  ConsultaUser() {
    hostUser_ = "carlos";
    hostRole_ = "consulta";
  }
};

TEST_F(ConsultaUser, ARefusedPermissionIsShownLikeAnyRefusalAndTheTypedPriceStays) {
  openScreen();
  chooseCustomer(kLegal);
  EXPECT_EQ(gridText(0, kColPrice), "10,500") << "the user may read";
  host().cell(kGrid, 2, kColPrice);
  host().type("4,44");
  host().key(VK_DOWN);
  EXPECT_EQ(messageText(),
            "Sem permissão para gravar preços e fórmulas: o usuário carlos tem o papel consulta (permitido aos papéis "
            "precos, reajuste e admin).");
  EXPECT_EQ(host().messageBox()->value("dlgType", ""), "error");
  host().answer("btnOK");
  EXPECT_EQ(grid().value("state", ""), "edit");
  EXPECT_EQ(gridText(2, kColPrice), "4,440") << "what was typed stays";
  EXPECT_FALSE(storedPrice(kLegal.code, leafProduct(2)));
  EXPECT_EQ(serverCalls("SetTabPreClie").size(), 1u);
  EXPECT_NE(serverCalls("SetTabPreClie")[0].find("usuario=carlos"), std::string::npos) << serverCalls("SetTabPreClie")[0];
}

class ExpiringSession : public PriceTableTest {
 protected:
  ExpiringSession() {
    hostUser_.clear();  // the person signs in through the window
    serverArgs_ = {"--session-idle", "2"};
  }
  void waitPastTheIdleLimit() { std::this_thread::sleep_for(std::chrono::milliseconds(3200)); }
  json signIn(const std::string& password) {
    host().focus("frmEntrar.edtSenha");
    host().type(password);
    return host().click("frmEntrar.btnEntrar");
  }
};

TEST_F(ExpiringSession, AnExpiredSessionAsksForThePasswordOverTheOpenScreensAndTheSaveGoesOn) {
  ASSERT_TRUE(host().window("frmEntrar").is_object()) << "the sign-in window comes first";
  host().focus("frmEntrar.edtUsuario");
  host().type(vqrtest::kTestUser);
  signIn(vqrtest::kTestPassword);
  ASSERT_TRUE(host().window("frmEntrar").is_null());
  openScreen();
  chooseCustomer(kLegal);

  waitPastTheIdleLimit();
  host().cell(kGrid, 2, kColPrice);
  host().type("4,44");
  host().key(VK_DOWN);
  ASSERT_TRUE(host().window("frmEntrar").is_object()) << messageText();
  EXPECT_TRUE(host().window("frmEntrar").value("modal", false));
  EXPECT_EQ(host().control("frmEntrar.lblMensagem")["caption"],
            "Sessão expirada ou encerrada; entre no sistema novamente.");
  EXPECT_EQ(host().control("frmEntrar.edtUsuario")["text"], vqrtest::kTestUser);
  EXPECT_FALSE(enabled("frmEntrar.edtUsuario")) << "the same user signs in again";
  EXPECT_TRUE(host().window(kScreen).is_object()) << "the screen stays open behind";
  signIn("senha errada");
  EXPECT_EQ(host().control("frmEntrar.lblMensagem")["caption"], "Usuário ou senha inválidos.");
  signIn(vqrtest::kTestPassword);
  EXPECT_TRUE(host().window("frmEntrar").is_null());
  EXPECT_FALSE(host().messageBox()) << messageText();
  EXPECT_EQ(grid().value("state", ""), "browse");
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(2))->price, 4.44) << "the save went on once signed in";
  EXPECT_EQ(query("SELECT CDUSUARIO FROM TABPRECLIEHIST WHERE CDPRODUTO = ?", {leafProduct(2)}),
            (std::vector<std::vector<std::string>>{{vqrtest::kTestUser}}));

  waitPastTheIdleLimit();
  editCell(1, kColPrice, "8");
  host().key(VK_DOWN);
  ASSERT_TRUE(host().window("frmEntrar").is_object());
  host().click("frmEntrar.btnCancelar");
  EXPECT_EQ(messageText(), "Sessão expirada ou encerrada; entre no sistema novamente.")
      << "giving up fails the save like any refusal";
  host().answer("btnOK");
  EXPECT_EQ(grid().value("state", ""), "edit");
  EXPECT_EQ(gridText(1, kColPrice), "8,000") << "what was typed stays";
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(1))->price, kSeededPrice1);
  for (const std::string& line : host().transcript())
    EXPECT_EQ(line.find(vqrtest::kTestPassword), std::string::npos) << "no state shows a password";
}

// --- the screen's life ------------------------------------------------------------------

class ScreenLife : public PriceTableTest {};

TEST_F(ScreenLife, LayoutFollowsTheScreenDefinition) {
  json state = openScreen();
  json w = host().window(kScreen);
  EXPECT_EQ(w["caption"], "Tabela de Preço por Cliente");
  EXPECT_EQ(w["bounds"], json::array({207, 153, 657, 346}));
  EXPECT_TRUE(w.value("mdiChild", false));
  EXPECT_EQ(host().control("frmTabPreClie.lblCodTela")["caption"], "VQR51200");
  EXPECT_EQ(host().focusPath(), kNumber);
  EXPECT_EQ(host().control(kNumber)["color"], "clInfoBk");
  EXPECT_EQ(host().control(kNumber)["maxLength"], 20);
  EXPECT_EQ(host().control(kName)["color"], "clBtnFace");
  EXPECT_FALSE(enabled(kName));
  EXPECT_EQ(host().control("frmTabPreClie.sbtFormComp")["hint"], "Fórmula de Composição");
  EXPECT_EQ(host().control("frmTabPreClie.sbtCopiaDados")["hint"], "Cópia de Dados");
  EXPECT_EQ(host().control("frmTabPreClie.btpCliente")["hint"], "Pesquisar");
  EXPECT_EQ(host().control("frmTabPreClie.sbtImprimir")["bounds"][0], 253);
  EXPECT_EQ(host().control("frmTabPreClie.Label1")["caption"], "Cliente");
  EXPECT_FALSE(menuEnabled("mnuListagem"));
  json columns = grid()["columns"];
  ASSERT_EQ(columns.size(), 5u);
  const char* titles[] = {"Produto", "Nome", "Preço", "Valid. Inicial", "Valid. Final"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(columns[i]["title"], titles[i]);
  EXPECT_EQ(columns[1]["width"], 259);
  EXPECT_EQ(columns[3]["width"], 78);
  json manutencao;
  for (const json& item : w["menu"])
    if (item["name"] == "mnuManutencao") manutencao = item["items"];
  ASSERT_GE(manutencao.size(), 8u);
  EXPECT_EQ(manutencao[6]["caption"], "&Fórmula de Composição");
  EXPECT_EQ(manutencao[7]["caption"], "Cópia de &Dados");
}

TEST_F(ScreenLife, IniProcAgainBringsTheSameScreenForward) {
  openScreen();
  host().type("123");
  openScreen();
  int screens = 0;
  for (const json& w : host().state()["windows"]) screens += w["name"] == kScreen;
  EXPECT_EQ(screens, 1);
  EXPECT_EQ(host().control(kNumber)["text"], "123");
}

TEST_F(ScreenLife, ClosingAndOpeningAgainGivesANewWorkingScreen) {
  openScreen();
  chooseCustomer(kLegal);
  host().close(kScreen);
  EXPECT_TRUE(host().window(kScreen).is_null());
  openScreen();
  EXPECT_EQ(host().control(kNumber)["text"], "");
  chooseCustomer(kLegal);
  editCell(2, kColPrice, "4");
  host().click("frmTabPreClie.sbtConfirmar");
  EXPECT_DOUBLE_EQ(storedPrice(kLegal.code, leafProduct(2))->price, 4.0);
}

TEST_F(ScreenLife, UnloadingAndLoadingTheModuleStartsAfresh) {
  openScreen();
  chooseCustomer(kLegal);
  host().click("frmHost.mnuDescarregarModulo");
  EXPECT_FALSE(host().messageBox()) << messageText();
  EXPECT_TRUE(host().window(kScreen).is_null());
  host().click("frmHost.mnuCarregarModulo");
  openScreen();
  chooseCustomer(kLegal);
  host().cell(kGrid, 1, kColPrice);
  host().click("frmTabPreClie.sbtExcluir");
  host().answer("btnYes");
  EXPECT_FALSE(storedPrice(kLegal.code, leafProduct(1)));
  editCell(2, kColPrice, "0");
  confirmRefused("Preço deve ser maior que zero.");
}

TEST_F(ScreenLife, OpeningWithTheServerDownFailsAndTheNextTryCreatesTheScreen) {
  stopServer();
  host().click("frmHost.mnuTabPreClie");
  ASSERT_TRUE(host().messageBox());
  host().answer("btnOK");
  EXPECT_TRUE(host().window(kScreen).is_null());
  EXPECT_EQ(host().state().value("cursor", 1), 0);
  startServer();
  openScreen();
  chooseCustomer(kLegal);
}

}  // namespace
}  // namespace screenstest
