#pragma once
// Frmbase: TfrmBase, what the framework's base screens (TfrmPadraoGrid, TfrmRotiGeral,
// TfrmDadosGerRel) share.
//
// The screen's own events are bound at construction to the virtual handlers of their
// names, which a base screen and then a screen override: OnCreate to FormCreate,
// OnActivate to FormActivate, OnClose to FormClose, OnKeyDown to FormKeyDown. Here they
// do nothing but FormClose, which sets Action := caFree, so a closed screen is destroyed
// once the running input is handled. OnRelease is called once as the screen goes away
// (after closing, or with its owner), so the screen's unit can forget it (its form
// variable and create-once flag).
#include <cstdint>
#include <functional>

#include "platform/ui/form.h"

namespace Frmbase {

class TfrmBase : public platform::TForm {
 public:
  explicit TfrmBase(platform::TComponent* owner);
  ~TfrmBase() override;

  std::function<void()> OnRelease;

  virtual void FormCreate(platform::TObject* Sender);
  virtual void FormActivate(platform::TObject* Sender);
  virtual void FormClose(platform::TObject* Sender, platform::TCloseAction& Action);
  virtual void FormKeyDown(platform::TObject* Sender, std::uint16_t& Key, platform::TShiftState Shift);
};

}  // namespace Frmbase
