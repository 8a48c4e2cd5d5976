// Forms: components with a (never shown) window and an OnCreate event.
#pragma once

#include "platform/vcl/TComponent.h"
#include "platform/win/Types.h"

namespace vcl {

class TForm : public TComponent {
 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  // Called by TApplication::CreateForm once the whole constructor chain has
  // run: raises OnCreate. An exception in OnCreate goes to the report.
  virtual void AfterConstruction();
  // Closing the main form terminates the application; other forms just hide.
  void Close();
  // The form's window, made when first needed.
  win::HWND Handle();

  TNotifyEvent OnCreate;
  bool Visible = false;

 protected:
  virtual void DoCreate();

 private:
  win::HWND FHandle = 0;
};

}  // namespace vcl
