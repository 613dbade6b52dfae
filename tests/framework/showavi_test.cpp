// The wait animation is on the screen before a blocking call starts and gone after it.
#include "contracts/framework/showavi.h"

#include <gtest/gtest.h>

#include <atomic>

#include "contracts/framework/consiste.h"
#include "contracts/framework/netconnection.h"
#include "contracts/server/result_envelope.h"
#include "contracts/server/tab_pre_clie_methods.h"
#include "platform/ui/application.h"
#include "platform/ui/screen.h"
#include "platform/ui/snapshot.h"
#include "server/rpc/method_registry.h"
#include "tests/support/rpc_test_server.h"
#include "tests/support/ui_driver.h"

namespace {

class WaitAnimation : public testsupport::UiTest {
 protected:
  void SetUp() override {
    presenter = platform::Application().AddPresenter([this](bool idle) {
      if (idle) return;
      const nlohmann::json state = platform::SnapshotState();
      pushed.push_back(state);
      if (state["wait"].is_object()) waitPushed = state["wait"]["kind"].get<int>();
    });
  }
  void TearDown() override {
    platform::Application().RemovePresenter(presenter);
    Showavi::DeactiveShowAvi();
    testsupport::UiTest::TearDown();
  }
  int presenter = 0;
  std::vector<nlohmann::json> pushed;
  std::atomic<int> waitPushed{0};
};

TEST_F(WaitAnimation, SnapshotWithTheWaitIsPushedBeforeTheCallReachesTheServer) {
  std::atomic<int> seenByServer{-1};
  server::rpc::MethodRegistry registry;
  registry.add("rdmTabPreClie.GetPesqCliente", [&](std::vector<platform::Variant>&) {
    seenByServer = waitPushed.load();
    return contracts::server::MakeSuccess();
  });
  vqrtest::TestServer server(std::move(registry));
  Netconnection::TNetConnection net;
  vqrtest::PointAt(net, server.port());

  {
    Showavi::TShowAviScope wait(platform::Application().MainForm(), Showavi::saPesquisa);
    Consiste::CheckResultServ(net.Call<contracts::server::GetPesqCliente>("", "T"), true, 0);
  }
  EXPECT_EQ(seenByServer.load(), 6);
  ASSERT_GE(pushed.size(), 2u);
  EXPECT_EQ(pushed.front()["wait"], nlohmann::json({{"kind", 6}}));
  EXPECT_EQ(pushed.front()["cursor"], -11);
  EXPECT_TRUE(pushed.back()["wait"].is_null());
  EXPECT_EQ(pushed.back()["cursor"], 0);
}

TEST_F(WaitAnimation, StopsOnTheFailurePathToo) {
  Netconnection::TNetConnection net;
  vqrtest::PointAt(net, 1);  // nothing listens there
  net.SetConnectTimeout(std::chrono::milliseconds(500));
  Showavi::ActiveShowAvi(nullptr, Showavi::saGravacao);
  EXPECT_EQ(platform::Application().WaitKind(), 1);
  try {
    net.Call<contracts::server::GetPesqCliente>("", "T");
    ADD_FAILURE();
  } catch (const platform::Exception&) {
    Showavi::DeactiveShowAvi();
  }
  EXPECT_FALSE(platform::Application().WaitKind().has_value());
  EXPECT_FALSE(Showavi::ShowAviActive());
}

TEST_F(WaitAnimation, CursorOfBeforeComesBackAndExtraStopsAreHarmless) {
  platform::Screen().SetCursor(platform::crHourGlass);  // a creation function's hourglass
  Showavi::ActiveShowAvi(nullptr, Showavi::saPesquisa);
  Showavi::ActiveShowAvi(nullptr, Showavi::saGravacao);  // changes the kind only
  EXPECT_EQ(platform::Application().WaitKind(), 1);
  Showavi::DeactiveShowAvi();
  EXPECT_EQ(platform::Screen().Cursor(), platform::crHourGlass);
  const std::size_t pushes = pushed.size();
  Showavi::DeactiveShowAvi();
  EXPECT_EQ(pushed.size(), pushes);
  platform::Screen().SetCursor(platform::crDefault);
  Showavi::ActiveShowAvi(nullptr, Showavi::saNenhum);
  EXPECT_FALSE(Showavi::ShowAviActive());
}

// A scope inside a running animation shows its own kind, then gives the outer kind
// back and leaves the animation on, also when an exception goes through it; a scope
// on its own ends the animation it started on every path.
TEST_F(WaitAnimation, AScopeEndsOnlyTheAnimationItStarted) {
  auto kind = [] { return platform::Application().WaitKind(); };
  Showavi::ActiveShowAvi(nullptr, Showavi::saGravacao);
  {
    Showavi::TShowAviScope inner(nullptr, Showavi::saPesquisa);
    EXPECT_EQ(kind(), 6);
    Showavi::TShowAviScope same(nullptr, Showavi::saPesquisa);
  }
  EXPECT_EQ(kind(), 1);
  EXPECT_EQ(platform::Screen().Cursor(), platform::crHourGlass);
  try {
    Showavi::TShowAviScope inner(nullptr, Showavi::saCopia);
    throw platform::Exception("falhou");
  } catch (const platform::Exception&) {
    EXPECT_EQ(kind(), 1);
  }
  Showavi::DeactiveShowAvi();

  try {
    Showavi::TShowAviScope outer(nullptr, Showavi::saExclusao);
    Showavi::TShowAviScope inner(nullptr, Showavi::saPesquisa);
    EXPECT_EQ(kind(), 6);
    throw platform::Exception("falhou");
  } catch (const platform::Exception&) {
    EXPECT_FALSE(Showavi::ShowAviActive());
    EXPECT_FALSE(kind().has_value());
    EXPECT_EQ(platform::Screen().Cursor(), platform::crDefault);
  }
  { Showavi::TShowAviScope none(nullptr, Showavi::saNenhum); }
  EXPECT_FALSE(Showavi::ShowAviActive());
  EXPECT_TRUE(pushed.back()["wait"].is_null());
}

}  // namespace
