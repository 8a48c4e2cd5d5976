#include "platform/vcl/TApplication.h"

#include <errno.h>
#include <unistd.h>

#include <cstring>

#include "platform/rtl/Report.h"
#include "platform/win/MessageQueue.h"

namespace vcl {
namespace {

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

void TApplication::Terminate() { win::PostQuitMessage(0); }

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
  // The original adds a full stop unless the text ends in one or in a
  // character that sorts before it.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  rtl::WriteReport(Title + "\n" + text + "\n");
}

}  // namespace vcl
