// Unit Unit1: the main form of the vardex program and the state of its one
// exchange with the device.
//
// Everything here runs on the thread of the message loop. Handlers may be
// entered again, nested, wherever that thread handles messages before
// returning (in Delay, in a receive that waits).
#pragma once

#include <cstdint>
#include <string>

#include "platform/vcl/TForm.h"
#include "platform/vcl/TTimer.h"
#include "socket/RezUrav.h"

namespace Unit1 {

// Hidden for the whole run. Built from its stored description: RezUrav1, then
// Timer1, each with its stored settings and handler bindings; then OnCreate
// (FormCreate) runs. Every run ends by closing this form, the main form.
class TForm1 : public vcl::TForm {
 public:
  explicit TForm1(vcl::TComponent* AOwner);

  // Published; owned by the form.
  RezUrav::VOduRude* RezUrav1 = nullptr;
  vcl::TTimer* Timer1 = nullptr;

  // Returns once more than `ms` milliseconds have passed, having handled the
  // waiting messages at least once and every message that came meanwhile.
  void Delay(std::int32_t ms);
  // Hides the windows, reads the command line: the usage text, or the target
  // and the start of the connection to the device.
  void FormCreate(vcl::TObject* Sender);
  // Ends the run; "Connect Time Out" when the prompt was still awaited.
  void Timer1Timer(vcl::TObject* Sender);
  // Read notification of the device connection: a refusal ("Too") ends the
  // run, the prompt ("." or ">") sends the command and CR once, and every
  // block after the command is copied to standard output.
  void RezUrav1Receive(vcl::TObject* Sender, std::int32_t S);
  // The device closed the connection: the run ends at once, silently.
  void RezUrav1Close(vcl::TObject* Sender, std::int32_t S);
  // The connection to the device is made.
  void RezUrav1Connect(vcl::TObject* Sender, std::int32_t S);

 private:
  // Opens the device connection and arms the limits; "Connect Error" when
  // the connection cannot even be started.
  void StartConnection();
  // Trims older text and adds the block to FReceivedText.
  void Accumulate(const std::string& block);

  std::string FReceivedText;  // the newest received text, searched for the prompt
};

// The one form; set before its construction runs.
extern TForm1* Form1;

// 0: no exchange running; 1: waiting for the device's prompt; 2: the command
// was sent and the answer is copied to standard output.
extern std::int32_t ExchangeState;
// The socket of the device connection.
extern std::int32_t DeviceSocket;

}  // namespace Unit1
