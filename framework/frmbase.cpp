#include "contracts/framework/frmbase.h"

namespace Frmbase {

TfrmBase::TfrmBase(platform::TComponent* owner) : platform::TForm(owner) {
  using platform::TObject;
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnActivate = [this](TObject* s) { FormActivate(s); };
  OnClose = [this](TObject* s, platform::TCloseAction& a) { FormClose(s, a); };
  OnKeyDown = [this](TObject* s, std::uint16_t& k, platform::TShiftState sh) { FormKeyDown(s, k, sh); };
}

TfrmBase::~TfrmBase() {
  if (auto release = std::move(OnRelease)) release();
}

void TfrmBase::FormCreate(platform::TObject*) {}

void TfrmBase::FormActivate(platform::TObject*) {}

void TfrmBase::FormClose(platform::TObject*, platform::TCloseAction& Action) { Action = platform::caFree; }

void TfrmBase::FormKeyDown(platform::TObject*, std::uint16_t&, platform::TShiftState) {}

}  // namespace Frmbase
