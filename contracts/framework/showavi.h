#pragma once
// Showavi: the wait animation shown while a remote call blocks the screen.
//
//   ActiveShowAvi(Application().MainForm(), saPesquisa);   // before the call
//   ... blocking call ...
//   DeactiveShowAvi();                                     // on success and on failure
//
// ActiveShowAvi sets the application's wait kind (the snapshot's "wait" becomes
// {"kind":<kind>}) and the hourglass cursor, and pushes a snapshot at once, so the
// person sees the animation before the call starts. DeactiveShowAvi removes it,
// restores the cursor of before and pushes a snapshot; it does nothing when no
// animation runs, so calling it on every path is safe. The animation does not nest:
// a second ActiveShowAvi only changes the kind. The main window is where the
// animation is drawn; nullptr means the application's main form.
//
// TShowAviScope is the animation of one piece of work, ended on every path:
//
//   {
//     Showavi::TShowAviScope wait(nullptr, Showavi::saGravacao);
//     ... blocking call, which may raise ...
//   }
//
// When no animation runs, it starts one of its kind and ends it when the scope ends.
// When one already runs (an outer caller's), it shows its own kind meanwhile and then
// gives the outer kind back, leaving the outer animation on for its owner to end. If
// the animation was ended inside the scope, it is not started again. saNenhum makes a
// scope that does nothing.
#include <optional>

#include "platform/ui/form.h"

namespace Showavi {

enum TShowAvi : int {
  saNenhum = 0,         // no animation (ActiveShowAvi with it is DeactiveShowAvi)
  saGravacao = 1,       // writing and recalculating
  saExclusao = 2,       // deleting
  saImpressao = 3,      // printing a report
  saCopia = 4,          // copying data
  saProcessamento = 5,  // any other long work
  saPesquisa = 6,       // reading and searching
};

void ActiveShowAvi(platform::TCustomForm* mainWindow, TShowAvi kind);
void DeactiveShowAvi();
// Whether the animation is running.
bool ShowAviActive();

class TShowAviScope {
 public:
  TShowAviScope(platform::TCustomForm* mainWindow, TShowAvi kind);
  ~TShowAviScope();
  TShowAviScope(const TShowAviScope&) = delete;
  TShowAviScope& operator=(const TShowAviScope&) = delete;

 private:
  platform::TCustomForm* mainWindow_;
  TShowAvi kind_;
  std::optional<TShowAvi> outer_;  // the kind of the animation that ran before
};

}  // namespace Showavi
