#pragma once
// How a unit's creation function opens its screen on the module session and keeps it
// in the unit's form variable while it lives.
//
//   CreateOnce(frmTabPreClie, boIdCriado, session).Show();
//   OpenModalKept(frmCopiaDados, session, [](TfrmCopiaDados& screen) { ...fill and load... });
//
// CreateOnce serves a unit that keeps one instance (its form variable and create-once
// flag): under the hourglass cursor, it creates the screen through the application (which owns
// it and stores it in `screen`; its constructor is given the session) unless
// `created`, then sets `created`; the default cursor comes back before the screen is
// returned for showing. A failed creation leaves `screen` null and `created` false,
// brings the default cursor back and goes on. The screen frees itself when closed, or
// goes with the application: at that moment `screen` and `created` are cleared, so the
// next call creates a new one.
//
// OpenModalKept opens a new screen modally as Frmrotgeral::OpenModal does (its
// constructor given the session), with `screen` pointing at it from its creation until
// it is freed; `prepare` fills it and loads its data before it is shown.
#include "contracts/framework/frmrotgeral.h"
#include "platform/ui/application.h"
#include "platform/ui/screen.h"
#include "screens/common/module_session.h"

namespace Pkg_VQR51200 {

template <class S>
S& CreateOnce(S*& screen, bool& created, TModuleSession& session) {
  platform::Screen().SetCursor(platform::crHourGlass);
  if (!created) {
    try {
      platform::Application().CreateForm(screen, session);
    } catch (...) {
      screen = nullptr;
      platform::Screen().SetCursor(platform::crDefault);
      throw;
    }
    screen->OnRelease = [&screen, &created] {
      screen = nullptr;
      created = false;
    };
    created = true;
  }
  platform::Screen().SetCursor(platform::crDefault);
  return *screen;
}

template <class S, class Prepare>
void OpenModalKept(S*& screen, TModuleSession& session, Prepare&& prepare) {
  Frmrotgeral::OpenModal<S>(
      [&](S& opened) {
        screen = &opened;
        opened.OnRelease = [&screen] { screen = nullptr; };
        prepare(opened);
      },
      session);
}

}  // namespace Pkg_VQR51200
