// The application object: creates the forms, runs the message loop of the
// one thread and reports exceptions that escape handlers.
#pragma once

#include <functional>
#include <new>
#include <string>

#include "platform/vcl/Exception.h"
#include "platform/vcl/TComponent.h"
#include "platform/vcl/TForm.h"
#include "platform/win/Types.h"

namespace vcl {

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  void Initialize() {}

  // Sets `reference` before the form's constructor runs, so handlers called
  // during creation can already reach the form through it, as they could in
  // the original framework. The first form created becomes the main form
  // after its OnCreate has run.
  template <class T>
  void CreateForm(T*& reference) {
    void* storage = ::operator new(sizeof(T));
    reference = static_cast<T*>(storage);
    T* form;
    try {
      form = new (storage) T(this);
    } catch (...) {
      reference = nullptr;
      ::operator delete(storage);
      throw;
    }
    form->AfterConstruction();
    if (FMainForm == nullptr) {
      form->Handle();
      FMainForm = form;
    }
  }

  // Runs the message loop until Terminated; returns at once without a main form.
  void Run();
  // Handles every message that waits, timers that fell due included, and
  // returns without blocking. A quit request sets Terminated.
  void ProcessMessages();
  // Handles one message, or waits for one when none is there.
  void HandleMessage();
  // Stops Run after the current message; requested inside a nested wait, it
  // takes effect when the wait has returned.
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // Call from inside a catch block: reports the exception being handled.
  void HandleException(TObject* Sender);
  // The message box of the original platform: a report on standard error
  // (title line, then the message). Never blocks; never touches standard output.
  void ShowException(const Exception& E);

  win::HWND Handle();
  TForm* MainForm() const { return FMainForm; }
  // Destroys the forms and the application window (end of the program).
  void DestroyForms();

  std::string Title;
  bool ShowMainForm = true;
  std::function<void(TObject* Sender, const Exception& E)> OnException;

 private:
  bool ProcessMessage();
  void ShowText(const std::string& message);

  TForm* FMainForm = nullptr;
  win::HWND FHandle = 0;
  bool FTerminated = false;
};

// The one application object of the process.
extern TApplication* Application;

}  // namespace vcl
