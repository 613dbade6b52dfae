#pragma once
// TApplication: the one application object (Application()).
//
// It owns the input queue. Front ends push inputs from any thread (PostInput); the UI
// thread takes one at a time (Run, and the nested loops of ShowModal) and runs it. An
// exception that leaves an input reaches HandleException: EAbort is silent, any other
// exception shows its text in an error message box; the loop goes on.
//
// Presenters are the front ends' way of seeing the screen: each is called on the UI
// thread with idle=true once per handled input (or when a modal loop starts waiting)
// and with idle=false whenever a handler asks for the screen to be shown at once
// (Repaint, the wait animation).
//
// Tasks (PostTask) are internal work such as deferred form destruction; they run
// before the next input and in ProcessMessages, which never takes inputs.
#include <atomic>
#include <cstdint>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/ui/ui_types.h"

namespace platform {

class TCustomForm;

// A report produced during the session, offered to the front end.
struct TDocumentEntry {
  std::string title;
  std::string url;
  std::string path;
};

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  // Creates a form owned by the application (its constructor given `args` after the
  // owner); the first one becomes the main form.
  template <class T, class... Args>
  void CreateForm(T*& reference, Args&&... args);
  TCustomForm* MainForm() const noexcept { return mainForm_; }
  void SetMainForm(TCustomForm* form) { mainForm_ = form; }
  std::string Title;

  // --- queue (PostInput and Terminate are thread-safe) ---
  void PostInput(std::function<void()> input);
  void PostTask(std::function<void()> task);
  // Runs inputs until Terminate.
  void Run();
  // Waits for one input (running due tasks first) and handles it.
  void HandleMessage();
  // Runs the pending tasks now; never takes an input.
  void ProcessMessages();
  void Terminate();
  bool Terminated() const noexcept { return terminated_; }
  // Runs the loop until `done` or termination; used by modal windows.
  void ModalLoop(const std::function<bool()>& done);

  // --- errors ---
  void HandleException(std::exception_ptr error);
  // Runs `action`, routing any exception to HandleException.
  void Guard(const std::function<void()>& action);
  std::function<void(const std::string& text)> OnShowError;  // replaces the error box

  // --- presentation (UI thread only) ---
  using Presenter = std::function<void(bool idle)>;
  int AddPresenter(Presenter presenter);
  void RemovePresenter(int id);
  // Pushes a snapshot at once (idle=false).
  void Repaint();
  // The wait animation kind shown by the front end (nullopt: none); pushes a snapshot.
  void SetWaitKind(std::optional<int> kind);
  std::optional<int> WaitKind() const noexcept { return waitKind_; }

  // --- documents ---
  // Adds a report; an empty url becomes "/documents/<n>.<extension>".
  const TDocumentEntry& AddDocument(TDocumentEntry entry);
  const std::vector<TDocumentEntry>& Documents() const noexcept { return documents_; }

  // Modal depth of the running loop (0 at top level).
  int ModalDepth() const noexcept { return modalDepth_; }

 private:
  void present(bool idle);
  bool runTasks();
  void runInput(std::function<void()>& input);

  TCustomForm* mainForm_ = nullptr;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> inputs_;
  std::deque<std::function<void()>> tasks_;
  std::atomic<bool> terminated_{false};
  std::map<int, Presenter> presenters_;
  int nextPresenter_ = 1;
  std::optional<int> waitKind_;
  std::vector<TDocumentEntry> documents_;
  int modalDepth_ = 0;
  int inputDepth_ = 0;
  std::uint64_t inputsHandled_ = 0;
  bool showingError_ = false;
};

TApplication& Application();

}  // namespace platform

#include "platform/ui/form.h"

namespace platform {

template <class T, class... Args>
void TApplication::CreateForm(T*& reference, Args&&... args) {
  reference = NewForm<T>(this, std::forward<Args>(args)...);
  if (!mainForm_) mainForm_ = reference;
}

}  // namespace platform
