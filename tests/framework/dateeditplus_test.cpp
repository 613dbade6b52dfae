// The date edit: an untouched edit reads empty, invalid dates are caught, dates come
// back as typed, the snapshot shows the day and the valid colour.
#include "contracts/framework/dateeditplus.h"

#include <gtest/gtest.h>

#include "contracts/framework/consiste.h"
#include "platform/ui/snapshot.h"
#include "tests/framework/ui_steps.h"

namespace {

class DateEdit : public testsupport::UiTest {
 protected:
  void SetUp() override {
    form = fwtest::NewTestForm();
    date = fwtest::NewOn<Dateeditplus::TDateEditPlus>(form, "DepDataIni");
    date->ValidColor = platform::clBlue;
    next = fwtest::NewOn<Dateeditplus::TDateEditPlus>(form, "depDataFin");
    form->Show();
    date->SetFocus();
  }
  nlohmann::json snapshot(const std::string& name) {
    const nlohmann::json state = platform::SnapshotState();
    for (const auto& control : state["windows"].back()["controls"])
      if (control["name"] == name) return control;
    ADD_FAILURE() << state.dump();
    return {};
  }
  platform::TForm* form = nullptr;
  Dateeditplus::TDateEditPlus* date = nullptr;
  Dateeditplus::TDateEditPlus* next = nullptr;
};

TEST_F(DateEdit, UntouchedEditReadsEmpty) {
  EXPECT_EQ(date->Text(), "");
  EXPECT_TRUE(Consiste::EmptyString(date->Text()));
  EXPECT_NO_THROW(date->CheckValidDate());
  EXPECT_EQ(date->GetDate().value, 0);
  const auto control = snapshot("DepDataIni");
  EXPECT_EQ(control["kind"], "dateedit");
  EXPECT_EQ(control["editText"], "__/__/____");
  EXPECT_EQ(control["editMask"], "!99/99/9999;1;_");
}

TEST_F(DateEdit, TypedDateIsTakenWithItsDay) {
  fwtest::Type("31122026");
  EXPECT_EQ(date->Text(), "31/12/2026");
  EXPECT_EQ(date->GetDate(), platform::EncodeDate(2026, 12, 31));
  const auto control = snapshot("DepDataIni");
  EXPECT_EQ(control["weekday"], "Quinta");
  EXPECT_EQ(control["font"]["color"], "clBlue");
}

TEST_F(DateEdit, InvalidOrPartialDatesAreRefusedClearly) {
  for (const char* typed : {"31022026", "2902202", "00012026", "12132026", "1"}) {
    date->SetText("");
    fwtest::Type(typed);
    try {
      date->CheckValidDate();
      ADD_FAILURE() << typed;
    } catch (const platform::EConvertError& error) {
      EXPECT_NE(std::string(error.what()).find("não é uma data válida"), std::string::npos);
    }
    EXPECT_THROW(date->GetDate(), platform::EConvertError);
    EXPECT_FALSE(snapshot("DepDataIni").contains("weekday")) << typed;
  }
}

TEST_F(DateEdit, SetDateShowsItAndZeroClears) {
  date->SetDate(platform::EncodeDate(2026, 3, 1));
  EXPECT_EQ(date->Text(), "01/03/2026");
  EXPECT_EQ(snapshot("DepDataIni")["weekday"], "Domingo");
  date->SetDate(platform::TDateTime{});
  EXPECT_EQ(date->Text(), "");
}

TEST_F(DateEdit, SaveTimeAddsTheTimeOfDay) {
  date->SetDate(platform::EncodeDate(2026, 3, 1));
  date->SaveTime = true;
  const double value = date->GetDate().value;
  EXPECT_GE(value, platform::EncodeDate(2026, 3, 1).value);
  EXPECT_LT(value, platform::EncodeDate(2026, 3, 2).value);
}

TEST_F(DateEdit, WeekdayNamesAreTheControlsOwn) {
  date->WeekDays = {"Dom", "Seg", "Ter", "Qua", "Qui", "Sex", "Sáb"};
  date->SetDate(platform::EncodeDate(1899, 12, 29));  // the day before the epoch: a Friday
  EXPECT_EQ(snapshot("DepDataIni")["weekday"], "Sex");
  date->SetDate(platform::EncodeDate(2026, 12, 5));
  EXPECT_EQ(snapshot("DepDataIni")["weekday"], "Sáb");
  date->SetDate(platform::EncodeDate(1800, 1, 1));  // before the epoch: a Wednesday
  EXPECT_EQ(snapshot("DepDataIni")["weekday"], "Qua");
}

}  // namespace
