#include "platform/vcl/TApplication.h"

#include <errno.h>

#include "platform/rtl/Report.h"
#include "platform/win/MessageQueue.h"

namespace vcl {
namespace {

// The program's file name without its extension, as the original's default title.
std::string ProgramTitle() {
  std::string name = program_invocation_short_name;
  auto dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

// Never freed: it must outlive every form, even ones left at exit.
TApplication* Application = new TApplication(nullptr);

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner), Title(ProgramTitle()) {}

TApplication::~TApplication() { DestroyForms(); }

void TApplication::DestroyForms() {
  FMainForm = nullptr;
  DestroyComponents();
  if (FHandle != 0) win::DeallocateHWnd(FHandle);
  FHandle = 0;
}

win::HWND TApplication::Handle() {
  // Hidden, like every window here; it only has to exist.
  if (FHandle == 0) FHandle = win::AllocateHWnd([](win::TMessage&) {});
  return FHandle;
}

bool TApplication::ProcessMessage() {
  win::MSG msg;
  if (!win::PeekMessage(msg, win::PM_REMOVE)) return false;
  if (msg.message == win::WM_QUIT)
    FTerminated = true;
  else
    win::DispatchMessage(msg);
  return true;
}

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
}

void TApplication::HandleMessage() {
  if (!ProcessMessage()) win::WaitForWork(-1, 0, -1);
}

void TApplication::Run() {
  if (FMainForm == nullptr) return;
  if (ShowMainForm) FMainForm->Visible = true;
  do {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  } while (!FTerminated);
}

// The flag, not a quit message: a quit would wait behind messages already
// posted, and the loop must stop after the message being handled. Inside a
// nested wait the flag is seen when the wait has returned to Run.
void TApplication::Terminate() { FTerminated = true; }

void TApplication::HandleException(TObject* Sender) {
  try {
    throw;
  } catch (const Exception& e) {
    if (OnException)
      OnException(Sender, e);
    else
      ShowException(e);
  } catch (const std::exception& e) {
    ShowText(e.what());
  } catch (...) {
    ShowText("Exception");
  }
}

void TApplication::ShowException(const Exception& E) { ShowText(E.Message); }

void TApplication::ShowText(const std::string& message) {
  std::string text = message;
  // A full stop is added unless the text ends in one or in a character that
  // sorts before it (a blank, "!", ",", "-" ...).
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  rtl::WriteReport(Title + "\n" + text + "\n");
}

}  // namespace vcl
