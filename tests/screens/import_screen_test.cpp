// The import of a spreadsheet's prices, driven through the host as a person would: the
// command behind its button and its menu item, the file named as the front end names
// it, the preview with the refused lines, the write and its batch in the history.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/screens/price_table_fixture.h"

namespace screenstest {
namespace {

using Texts = std::vector<std::string>;

class ImportScreen : public PriceTableTest {
 protected:
  std::string write(const std::string& name, const std::string& text) {
    const std::string path = files_.file(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  void chooseFile(const std::string& path) {
    host().send({{"type", "file"}, {"target", "frmImpPlanilha.edtArquivo"}, {"path", path}});
  }
  vqrtest::TempDir files_;
};

TEST_F(ImportScreen, ACsvIsPreviewedWithItsRefusedLinesThenWrittenAsABatchOfTheHistory) {
  openScreen();
  const json manutencao = menuItems("mnuManutencao");
  ASSERT_GE(manutencao.size(), 10u);
  EXPECT_EQ(manutencao[8]["name"], "mnuHistorico");
  EXPECT_EQ(manutencao[9]["caption"], "&Importar planilha");
  EXPECT_EQ(host().control("frmTabPreClie.sbtImportar")["hint"], "Importar planilha");
  chooseCustomer(kLegal);

  const auto leaves = query("SELECT CDARVPROD FROM PRODUTO WHERE NRNIVEL = 3 ORDER BY CDARVPROD LIMIT 3");
  const std::string file = write("precos.csv", "Produto;Preço;Validade Inicial;Validade Final\r\n" + leaves[0][0] +
                                                   ";11,5;01/01/2027;31/12/2027\r\n" + leaves[2][0] +
                                                   ";3;;\r\n999999;1;;\r\n" + leaves[1][0] + ";doze;;\r\n");
  host().click("frmTabPreClie.sbtImportar");
  ASSERT_EQ(host().activeForm(), "frmImpPlanilha") << messageText();
  chooseFile(file);
  host().click("frmImpPlanilha.sbtConfirma");
  ASSERT_EQ(host().activeForm(), "frmPrevia") << messageText();
  EXPECT_EQ(host().control("frmPrevia.lblResumo")["caption"],
            "Preços a criar: 1 | a alterar: 1 | sem alteração: 0 | linhas recusadas: 2 | clientes: 1\n"
            "Confirmar grava só as linhas aceitas; Fechar não grava nada.");
  const auto rows = host().control("frmPrevia.dbgPrevia")["rows"].get<std::vector<Texts>>();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0][0], "Recusada");
  EXPECT_EQ((Texts{rows[0][7], rows[0][8], rows[0][9], rows[0][10]}), (Texts{"4", "Produto", "999999", "Produto não cadastrado."}));
  EXPECT_EQ((Texts{rows[1][7], rows[1][8], rows[1][9], rows[1][10]}), (Texts{"5", "Preço", "doze", "Não é um número."}));
  EXPECT_EQ(storedPrice(kLegal.code, leafProduct(0)), (StoredPrice{kSeededPrice0, "2026-01-01", "2026-12-31"}))
      << "the preview writes nothing";

  host().click("frmPrevia.sbtConfirma");
  expectBox("Importação gravada: 2 preços criados ou alterados.");
  EXPECT_EQ(storedPrice(kLegal.code, leafProduct(0)), (StoredPrice{11.5, "2027-01-01", "2027-12-31"}));
  EXPECT_EQ(storedPrice(kLegal.code, leafProduct(2)), (StoredPrice{3, "", ""}));
  EXPECT_EQ(storedPrice(kLegal.code, leafProduct(1)), (StoredPrice{kSeededPrice1, "", ""}));
  EXPECT_EQ(query("SELECT IDORIGALT, QTPRECO FROM TABPRECLIELOTE"), (std::vector<Texts>{{"I", "2"}}));
  EXPECT_EQ(host().activeForm(), kScreen);
}

}  // namespace
}  // namespace screenstest
