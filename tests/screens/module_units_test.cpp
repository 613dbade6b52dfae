// The module's unit-level state, seen from inside: the units' start-up order, what
// their start-ups and shut-downs reset, each unit's screen opened on a module session
// with no other screen, and the customer record the main screen keeps in the session
// (which no window shows) across the search button and the customer check. The
// screens run in this process against a real appserver.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "contracts/framework/consiste.h"
#include "contracts/framework/host_configuration.h"
#include "contracts/framework/showavi.h"
#include "package/units.h"
#include "platform/net/sign_in.h"
#include "platform/ui/application.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/screen.h"
#include "platform/ui/user_input.h"
#include "screens/Cli_VQR51200/cli_vqr51200.h"
#include "screens/Cli_VQR51200/frm_tab_pre_clie.h"
#include "screens/Cli_VQR51201/cli_vqr51201.h"
#include "screens/Cli_VQR51201/frm_form_comp_preco.h"
#include "screens/Cli_VQR51202/cli_vqr51202.h"
#include "screens/Cli_VQR51202/frm_copia_dados.h"
#include "screens/Cli_VQR51204/cli_vqr51204.h"
#include "screens/Cli_VQR51204/frm_rel_tab_pre_clie.h"
#include "screens/Cli_VQR51205/cli_vqr51205.h"
#include "screens/Cli_VQR51205/frm_hist_preco.h"
#include "tests/screens/price_table_fixture.h"
#include "tests/support/ui_driver.h"

namespace screenstest {
namespace {

using Pkg_VQR51200::TCliente;
using Pkg_VQR51200::TModuleSession;

TEST(ModuleUnits, StartInTheModulesOrderAndShutDownInReverse) {
  std::vector<std::string> names;
  for (const auto& unit : Pkg_VQR51200::Units()) names.emplace_back(unit.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Cli_VQR51201", "Cli_VQR51204", "Cli_VQR51200", "Cli_VQR51202"}));
}

TEST(ModuleUnits, StartUpClearsTheFlagsAndShutDownReleasesRecordsListsAndTheSession) {
  Cli_VQR51200::boIdCriado = Cli_VQR51200::boDelete = Cli_VQR51204::boIdCriado = true;
  Pkg_VQR51200::InitializeUnits();
  EXPECT_FALSE(Cli_VQR51200::boIdCriado);
  EXPECT_FALSE(Cli_VQR51200::boDelete);
  EXPECT_FALSE(Cli_VQR51204::boIdCriado);
  TModuleSession& session = Pkg_VQR51200::Session();
  EXPECT_EQ(session.netTabPreClie->ServerName(), "VQR51200.rdmTabPreClie");
  EXPECT_EQ(session.netCustos->ServerName(), "cus.rdmCustProd");
  EXPECT_FALSE(session.netTabPreClie->Connected()) << "the price table screen opens the connections";
  EXPECT_FALSE(session.boAtualizaPreco);

  const TCliente someone{"000123", "Mercearia São Jorge Ltda", "12345678000195"};
  session.Cliente = Cli_VQR51201::Cliente = Cli_VQR51202::Cliente = someone;
  Cli_VQR51202::stListaClie = "000123,000124";
  Cli_VQR51204::stListaClie = "000125";
  Pkg_VQR51200::FinalizeUnits();
  EXPECT_EQ(Cli_VQR51201::Cliente, TCliente{});
  EXPECT_EQ(Cli_VQR51202::Cliente, TCliente{});
  EXPECT_EQ(Cli_VQR51202::stListaClie, "");
  EXPECT_EQ(Cli_VQR51204::stListaClie, "");
  EXPECT_THROW(Pkg_VQR51200::Session(), platform::Exception) << "the session goes with the module";
}

// The module loaded in this process against a real appserver, under a stand-in for
// the host's main window; no screen is open yet.
class ModuleOnAServer : public testsupport::UiTest {
 protected:
  void SetUp() override {
    database_ = dir_.file("demo.db");
    CreateTestDatabase(database_);
    server_ = std::make_unique<vqrtest::AppServerProcess>(vqrtest::AppServerProcess::Options{.database = database_});
    previous_ = framework::GetHostConfiguration();
    framework::HostConfiguration config = previous_;
    config.serverHost = "127.0.0.1";
    config.serverPort = server_->port();
    config.database = database_;
    config.signIn = std::make_shared<platform::TSignIn>();
    config.signIn->SetCredentials(vqrtest::kTestUser, vqrtest::kTestPassword);
    config.reportsDir = std::string(VQR_SOURCE_DIR) + "/reports";
    framework::SetHostConfiguration(config);
    frame_ = platform::NewForm<platform::TForm>(&platform::Application());
    frame_->SetName("frmHost");
    frame_->SetFormStyle(platform::fsMDIForm);
    platform::Application().SetMainForm(frame_);
    frame_->Show();
    Pkg_VQR51200::InitializeUnits();
  }

  void TearDown() override {
    testsupport::UiTest::TearDown();
    Pkg_VQR51200::FinalizeUnits();
    framework::SetHostConfiguration(previous_);
    server_.reset();
  }

  TModuleSession& session() { return Pkg_VQR51200::Session(); }

  vqrtest::TempDir dir_;
  std::string database_;
  std::unique_ptr<vqrtest::AppServerProcess> server_;
  framework::HostConfiguration previous_;
  platform::TForm* frame_ = nullptr;
};

// Each unit's screen opens on a session with no other screen of the module: it loads
// its data through the session's connections, which open at the first call.
class UnitsAlone : public ModuleOnAServer {
 protected:
  // Runs `open` with a script that, once the modal window `form` waits, runs `look`
  // on it and closes it with `closer`.
  void openAlone(const char* form, const char* closer, const std::function<void()>& look,
                 const std::function<void()>& open) {
    testsupport::ModalScript script({[&] {
      EXPECT_EQ(Cli_VQR51200::frmTabPreClie, nullptr) << form << " opened without the price table screen";
      look();
      testsupport::ClickIn(form, closer)();
    }});
    open();
    EXPECT_TRUE(script.Done()) << form << " was not shown";
  }

  // The open form of that name, as its class.
  template <class Form>
  static Form* Shown(const char* name) {
    for (platform::TCustomForm* form : platform::Screen().Forms())
      if (form->Name() == name) return dynamic_cast<Form*>(form);
    return nullptr;
  }

  const TCliente legal_{kLegal.code, kLegal.name, kLegal.number};
};

TEST_F(UnitsAlone, EachScreenOpensOnTheSessionItIsGiven) {
  TModuleSession own;  // not the package's: the screens use the session they receive
  openAlone(
      "frmFormCompPreco", "sbtCancel",
      [] {
        EXPECT_EQ(Cli_VQR51201::frmFormCompPreco->edtCliente->Text(), kLegal.name);
        EXPECT_FALSE(Cli_VQR51201::frmFormCompPreco->cbbTpCusto->Items.empty()) << "the cost types came";
      },
      [&] { Cli_VQR51201::CriaFormCompPreco(own, legal_); });
  EXPECT_EQ(Cli_VQR51201::Cliente, legal_) << "the receiving unit keeps its own copy";
  EXPECT_TRUE(own.netTabPreClie->Connected());
  EXPECT_TRUE(own.netCustos->Connected());
  EXPECT_FALSE(session().netTabPreClie->Connected());

  openAlone(
      "frmCopiaDados", "sbtCancel",
      [] { EXPECT_EQ(Cli_VQR51202::frmCopiaDados->edtNmCliente->Text(), kLegal.name); },
      [&] { Cli_VQR51202::CriaCopiaDados(own, legal_); });
  EXPECT_EQ(Cli_VQR51202::Cliente, legal_);

  own.Cliente = legal_;
  openAlone(
      "frmRelTabPreClie", "sbtFechar",
      [&] {
        EXPECT_EQ(&Cli_VQR51204::frmRelTabPreClie->session, &own);
        EXPECT_FALSE(Cli_VQR51204::frmRelTabPreClie->cbbReportNames->Items.empty());
      },
      [&] { Cli_VQR51204::CriaRelTabPreClie(own); });

  openAlone(
      "frmHistPreco", "sbtCancel",
      [&] {
        auto* history = Shown<Cli_VQR51205::TfrmHistPreco>("frmHistPreco");
        ASSERT_NE(history, nullptr);
        EXPECT_EQ(&history->session, &own);
        EXPECT_TRUE(history->cdsHistorico->Active()) << "the first page came";
      },
      [&] { EXPECT_FALSE(Cli_VQR51205::CriaHistPreco(own, legal_, "", "")); });
  EXPECT_FALSE(own.boAtualizaPreco) << "nothing changed prices";
}

// The main screen in this process.
class MainScreenRecord : public ModuleOnAServer {
 protected:
  void SetUp() override {
    ModuleOnAServer::SetUp();
    Cli_VQR51200::CriaTabPreClie(session());
    screen_ = Cli_VQR51200::frmTabPreClie;
    ASSERT_NE(screen_, nullptr);
  }

  void typeNumber(const std::string& number) {
    platform::FocusControlByUser(screen_->medCdClie);
    platform::TypeText(number);
    platform::DispatchKey(platform::VK_TAB, {}, U'\t');
  }

  // The customer of row `recNo` of the search list, as the record holds one.
  TCliente listRow(int recNo) const {
    auto* list = screen_->cdsPesqClie;
    return {list->ValueAt(recNo, *screen_->cdsPesqClieCDCLIENTE).asString(),
            list->ValueAt(recNo, *screen_->cdsPesqClieNMRAZSOCCLIE).asString(),
            list->ValueAt(recNo, *screen_->cdsPesqClieNRINSJURCLIE).asString()};
  }

  Cli_VQR51200::TfrmTabPreClie* screen_ = nullptr;
};

TEST_F(MainScreenRecord, TypedNumberFillsTheRecordAndAnUnknownOneEmptiesIt) {
  typeNumber(kLegal.formatted);
  EXPECT_EQ(session().Cliente, (TCliente{kLegal.code, kLegal.name, kLegal.number}));

  testsupport::ModalScript script({testsupport::ClickIn("dlgMessage", "btnOK")});
  platform::Application().Guard([&] { typeNumber("11222333000181"); });
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(session().Cliente, TCliente{});
}

TEST_F(MainScreenRecord, ASearchPickLeavesTheFirstCustomerUntilTheCheck) {
  {
    testsupport::ModalScript script({[] { platform::DispatchKey(platform::VK_DOWN, {}, std::nullopt); },
                                     testsupport::ClickIn("dlgPesquisa", "btnOK")});
    platform::ClickControl(screen_->btpCliente);
    ASSERT_TRUE(script.Done());
  }
  const TCliente first = listRow(1);
  const TCliente picked = listRow(2);
  ASSERT_NE(first.CdCliente, picked.CdCliente);
  EXPECT_EQ(screen_->medCdClie->Text(), picked.NrInsJurClie);
  EXPECT_EQ(screen_->edtNmClie->Text(), picked.NmRazSocClie);
  EXPECT_EQ(session().Cliente, first);

  testsupport::ModalScript closeCopy({testsupport::ClickIn("frmCopiaDados", "sbtCancel")});
  platform::ClickControl(screen_->sbtCopiaDados);
  EXPECT_TRUE(closeCopy.Done()) << "the copy screen opened for the checked customer";
  EXPECT_EQ(session().Cliente, picked);
  EXPECT_EQ(Cli_VQR51202::Cliente, picked) << "the copy screen receives the checked customer";
}

TEST_F(MainScreenRecord, ClosingFreesTheScreenAndForgetsIt) {
  EXPECT_TRUE(Cli_VQR51200::boIdCriado);
  platform::CloseWindow(screen_);
  platform::Application().ProcessMessages();
  EXPECT_FALSE(Cli_VQR51200::boIdCriado);
  EXPECT_EQ(Cli_VQR51200::frmTabPreClie, nullptr);
  EXPECT_FALSE(session().netTabPreClie->Connected()) << "closing the screen closes the session's connections";
  EXPECT_FALSE(session().netCustos->Connected());
  Cli_VQR51200::CriaTabPreClie(session());
  EXPECT_TRUE(Cli_VQR51200::boIdCriado);
  ASSERT_NE(Cli_VQR51200::frmTabPreClie, nullptr);
  EXPECT_TRUE(session().netTabPreClie->Connected());
  EXPECT_TRUE(session().netCustos->Connected());
}

TEST_F(MainScreenRecord, ADeletionLiftsThePriceCheckForItsOwnPostOnly) {
  typeNumber(kLegal.number);
  ASSERT_TRUE(screen_->dbgPadrao->Focused());
  testsupport::ModalScript script({testsupport::ClickIn("dlgMessage", "btnYes")});
  platform::ClickControl(screen_->sbtExcluir);
  EXPECT_TRUE(script.Done());
  EXPECT_FALSE(Cli_VQR51200::boDelete);
  EXPECT_TRUE(screen_->cdsPrecoClieVRPRECOPROD->IsNull());
  EXPECT_TRUE(screen_->dtsPadrao->OnStateChange) << "the state handler is attached again";
}

TEST_F(MainScreenRecord, PricesChangedElsewhereAreReloadedByTheFormulaCommandOnce) {
  typeNumber(kLegal.number);
  platform::FocusControlByUser(screen_->medCdClie);
  ASSERT_FALSE(screen_->cdsPrecoClie->Active());
  platform::ClickControl(screen_->sbtVerificar);
  EXPECT_FALSE(screen_->cdsPrecoClie->Active()) << "refresh does nothing outside the grid";

  session().boAtualizaPreco = true;  // as the copy screen leaves it after a copy
  screen_->sbtVerificarClick(screen_->sbtVerificar);
  EXPECT_TRUE(screen_->cdsPrecoClie->Active()) << "unless prices changed elsewhere";
  EXPECT_TRUE(session().boAtualizaPreco) << "refresh leaves the flag to the formula command";

  testsupport::ModalScript closeFormula({testsupport::ClickIn("frmFormCompPreco", "sbtCancel")});
  platform::ClickControl(screen_->sbtFormComp);
  EXPECT_TRUE(closeFormula.Done());
  EXPECT_TRUE(screen_->dbgPadrao->Focused());
  EXPECT_FALSE(session().boAtualizaPreco);
  EXPECT_EQ(Cli_VQR51201::Cliente, (TCliente{kLegal.code, kLegal.name, kLegal.number}));
}

TEST_F(MainScreenRecord, AFormulaThatCannotLoadShowsNoScreenAndTheSnapshotLivesWithTheModule) {
  const TCliente unknown{"X99999", "Cliente Inexistente", "11222333000181"};
  EXPECT_THROW(Cli_VQR51201::CriaFormCompPreco(session(), unknown), Consiste::EServerRefusal);
  EXPECT_EQ(Cli_VQR51201::frmFormCompPreco, nullptr) << "the screen that could not load is gone";
  EXPECT_EQ(Cli_VQR51201::Cliente, unknown);
  EXPECT_EQ(platform::Screen().Cursor(), platform::crDefault);
  EXPECT_FALSE(Showavi::ShowAviActive());
  EXPECT_EQ(Cli_VQR51201::cdsAuxiliar, nullptr) << "created at the first activation only";

  testsupport::ModalScript closeFormula({testsupport::ClickIn("frmFormCompPreco", "sbtCancel")});
  Cli_VQR51201::CriaFormCompPreco(session(), {kLegal.code, kLegal.name, kLegal.number});
  EXPECT_TRUE(closeFormula.Done());
  platform::Application().ProcessMessages();
  EXPECT_EQ(Cli_VQR51201::frmFormCompPreco, nullptr) << "a closed screen is freed and forgotten";
  EXPECT_NE(Cli_VQR51201::cdsAuxiliar, nullptr) << "the snapshot outlives the screen";
  Cli_VQR51201::Finalization(session());
  EXPECT_EQ(Cli_VQR51201::cdsAuxiliar, nullptr) << "and goes with the unit";
}

}  // namespace
}  // namespace screenstest
