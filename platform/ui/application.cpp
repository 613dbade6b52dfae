#include "platform/ui/application.h"

#include <iostream>

#include "platform/core/exceptions.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/screen.h"

namespace platform {

TApplication::TApplication() { SetName("Application"); }

TApplication::~TApplication() {
  // Forms first, while the application and the screen are whole.
  while (!Components().empty()) delete Components().back();
}

void TApplication::PostInput(std::function<void()> input) {
  {
    std::lock_guard lock(mutex_);
    inputs_.push_back(std::move(input));
  }
  ready_.notify_all();
}

void TApplication::PostTask(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  ready_.notify_all();
}

void TApplication::Terminate() {
  terminated_ = true;
  ready_.notify_all();
}

// A task may open a modal window that consumes inputs; when it does outside of any
// input, the state answering the last of them is due once the task is over.
bool TApplication::runTasks() {
  bool ran = false;
  std::uint64_t before = inputsHandled_;
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard lock(mutex_);
      if (tasks_.empty()) break;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    ran = true;
    Guard(task);
  }
  if (inputsHandled_ != before && inputDepth_ == 0 && !terminated_) present(true);
  return ran;
}

void TApplication::ProcessMessages() { runTasks(); }

void TApplication::runInput(std::function<void()>& input) {
  ++inputDepth_;
  Guard(input);
  --inputDepth_;
  ++inputsHandled_;
  runTasks();
}

// Waits for an input and runs it; false when the loop woke without one.
static bool takeInput(std::mutex& mutex, std::condition_variable& ready,
                      std::deque<std::function<void()>>& inputs,
                      std::deque<std::function<void()>>& tasks, const std::atomic<bool>& terminated,
                      std::function<void()>& out) {
  std::unique_lock lock(mutex);
  ready.wait(lock, [&] { return terminated || !inputs.empty() || !tasks.empty(); });
  if (!tasks.empty() || terminated || inputs.empty()) return false;
  out = std::move(inputs.front());
  inputs.pop_front();
  return true;
}

void TApplication::HandleMessage() {
  runTasks();
  std::function<void()> input;
  if (!takeInput(mutex_, ready_, inputs_, tasks_, terminated_, input)) {
    runTasks();
    return;
  }
  runInput(input);
  if (!terminated_) present(true);
}

void TApplication::Run() {
  while (!terminated_) HandleMessage();
  runTasks();
}

void TApplication::ModalLoop(const std::function<bool()>& done) {
  ++modalDepth_;
  struct DepthGuard {
    int& depth;
    ~DepthGuard() { --depth; }
  } guard{modalDepth_};
  bool finished = done();
  if (!finished) present(true);
  while (!finished) {
    runTasks();
    std::function<void()> input;
    bool ran = takeInput(mutex_, ready_, inputs_, tasks_, terminated_, input);
    if (ran) runInput(input);
    else runTasks();
    finished = terminated_ || done();
    if (ran && !finished) present(true);
  }
}

void TApplication::Guard(const std::function<void()>& action) {
  try {
    action();
  } catch (...) {
    HandleException(std::current_exception());
  }
}

void TApplication::HandleException(std::exception_ptr error) {
  std::string text;
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
    return;
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
    text = "Erro desconhecido.";
  }
  if (OnShowError) {
    OnShowError(text);
    return;
  }
  if (showingError_ || terminated_) {
    std::cerr << "Erro: " << text << "\n";
    return;
  }
  showingError_ = true;
  try {
    MessageDlg(text, mtError, {mbOK}, 0);
  } catch (...) {
    std::cerr << "Erro: " << text << "\n";
  }
  showingError_ = false;
}

int TApplication::AddPresenter(Presenter presenter) {
  int id = nextPresenter_++;
  presenters_[id] = std::move(presenter);
  return id;
}

void TApplication::RemovePresenter(int id) { presenters_.erase(id); }

void TApplication::present(bool idle) {
  auto copy = presenters_;
  for (auto& [id, presenter] : copy) {
    try {
      presenter(idle);
    } catch (const std::exception& e) {
      std::cerr << "Falha ao enviar o estado da tela: " << e.what() << "\n";
    }
  }
}

void TApplication::Repaint() { present(false); }

void TApplication::SetWaitKind(std::optional<int> kind) {
  waitKind_ = kind;
  present(false);
}

const TDocumentEntry& TApplication::AddDocument(TDocumentEntry entry) {
  if (entry.url.empty()) {
    auto dot = entry.path.rfind('.');
    auto slash = entry.path.rfind('/');
    std::string ext = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                          ? entry.path.substr(dot)
                          : std::string();
    entry.url = "/documents/" + std::to_string(documents_.size() + 1) + ext;
  }
  documents_.push_back(std::move(entry));
  return documents_.back();
}

}  // namespace platform
