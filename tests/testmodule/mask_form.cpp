#include "tests/testmodule/mask_form.h"

#include "platform/ui/application.h"
#include "platform/ui/mask_edit.h"
#include "platform/ui/std_controls.h"
#include "platform/ui/screen.h"

namespace testmodule {

using namespace platform;

namespace {

// Masked edits with the system's masks: a legal person's registration number, a date
// and a product code; edtLivre has no mask and a maximum length of 5.
class TfrmMascara : public TForm {
 public:
  explicit TfrmMascara(TComponent* owner) : TForm(owner) {
    SetName("frmMascara");
    SetCaption("Máscaras");
    SetFormStyle(fsMDIChild);
    SetBounds(60, 60, 400, 200);
    medCnpj = add("medCnpj", 8, "00.000.000/0000-00;0;_");
    medData = add("medData", 40, "!99/99/9999;1;_");
    medProduto = add("medProduto", 72, "0.00.000;0;_");
    medLivre = add("medLivre", 104, "");
    medLivre->SetMaxLength(5);
  }
  TMaskEdit* add(const char* name, int top, const char* mask) {
    auto* m = new TMaskEdit(this);
    m->SetName(name);
    m->SetParent(this);
    m->SetBounds(8, top, 160, 21);
    m->SetEditMask(mask);
    return m;
  }
  TMaskEdit *medCnpj, *medData, *medProduto, *medLivre;
};

}  // namespace

void ShowMaskForm() {
  if (TCustomForm* open = Screen().FindWindow("frmMascara")) {
    open->Show();
    return;
  }
  NewForm<TfrmMascara>(&Application())->Show();
}

}  // namespace testmodule
