#pragma once
// In-process helpers for toolkit tests (no host process, no threads).
//
// UiTest: a fixture that gives each test a clean screen: every form created during the
// test is destroyed at its end, the cursor and the wait kind are reset.
//
// ModalScript: answers modal windows as a person would. Each step runs (as one input of
// the application's queue) when a modal loop waits for input; a modal loop that waits
// with no step left is a test failure, and its window is cancelled so the test goes on.
//
//   ModalScript script({ClickIn("dlgMessage", "btnNo")});
//   form->btnDelete->Click();            // asks Yes/No; the script answers No
//   EXPECT_TRUE(script.Done());
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/application.h"
#include "platform/ui/form.h"
#include "platform/ui/screen.h"

namespace testsupport {

class UiTest : public ::testing::Test {
 protected:
  void TearDown() override;
};

class ModalScript {
 public:
  using Step = std::function<void()>;
  explicit ModalScript(std::vector<Step> steps);
  ~ModalScript();
  bool Done() const noexcept { return next_ == steps_.size(); }
  // Window names seen on top each time a modal loop waited.
  const std::vector<std::string>& Seen() const noexcept { return seen_; }

 private:
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  int presenter_ = 0;
  std::vector<std::string> seen_;
};

// A step that clicks the control `name` of the topmost window named `window`.
ModalScript::Step ClickIn(const std::string& window, const std::string& name);
// The text of the topmost message box, or "" when none is shown.
std::string TopMessageText();

}  // namespace testsupport
