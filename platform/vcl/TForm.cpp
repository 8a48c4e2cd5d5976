#include "platform/vcl/TForm.h"

#include "platform/vcl/TApplication.h"
#include "platform/win/MessageQueue.h"

namespace vcl {

TForm::TForm(TComponent* AOwner) : TComponent(AOwner) {}

TForm::~TForm() {
  if (FHandle != 0) win::DeallocateHWnd(FHandle);
}

void TForm::AfterConstruction() { DoCreate(); }

void TForm::DoCreate() {
  if (!OnCreate) return;
  try {
    OnCreate(this);
  } catch (...) {
    Application->HandleException(this);
  }
}

void TForm::Close() {
  Visible = false;
  if (Application->MainForm() == this) Application->Terminate();
}

win::HWND TForm::Handle() {
  if (FHandle == 0) FHandle = win::AllocateHWnd([](win::TMessage&) {});
  return FHandle;
}

}  // namespace vcl
