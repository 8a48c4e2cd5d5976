#include "console/Unit1.h"

#include <algorithm>
#include <climits>
#include <exception>

#include "console/ConsoleTexts.h"
#include "console/Form1Description.h"
#include "console/FormReader.h"
#include "platform/rtl/ConsoleOutput.h"
#include "platform/rtl/ParamStr.h"
#include "platform/rtl/StrToIntDef.h"
#include "platform/vcl/TApplication.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/ShowWindow.h"
#include "platform/win/Tick.h"

namespace Unit1 {

TForm1* Form1 = nullptr;
std::int32_t ExchangeState = 0;
std::int32_t DeviceSocket = 0;

namespace {

// The port used for a port argument that is not a whole number.
constexpr std::int32_t kPortOfNoNumber = 8000;
constexpr win::UINT kConnectLimitMs = 5000;
constexpr win::UINT kAnswerLimitMs = 2000;
constexpr win::UINT kConnectErrorEndMs = 1000;
constexpr win::UINT kEndNowMs = 1;
constexpr std::int32_t kConnectErrorPauseMs = 500;
// Bytes taken per read notification; what remains brings another notification.
constexpr std::int32_t kReadLimit = 65536;
// The device's refusal, and the marks of its prompt.
constexpr std::string_view kRefusalMark = "Too";
constexpr std::string_view kPromptMarks = ".>";
// Older received text kept for the searches.
constexpr std::size_t kAccumulatorSize = 255;
constexpr std::size_t kSplitMarkTail = kRefusalMark.size() - 1;

// The form's published methods by name, for the event bindings of its description.
PublishedMethod FindMethod(TForm1& form, std::string_view name) {
  using Notify = void (TForm1::*)(vcl::TObject*);
  using CommNotify = void (TForm1::*)(vcl::TObject*, std::int32_t);
  static constexpr std::pair<std::string_view, Notify> kNotify[] = {
      {"FormCreate", &TForm1::FormCreate},
      {"Timer1Timer", &TForm1::Timer1Timer},
  };
  static constexpr std::pair<std::string_view, CommNotify> kCommNotify[] = {
      {"RezUrav1Receive", &TForm1::RezUrav1Receive},
      {"RezUrav1Close", &TForm1::RezUrav1Close},
      {"RezUrav1Connect", &TForm1::RezUrav1Connect},
  };
  for (const auto& [n, method] : kNotify)
    if (n == name)
      return vcl::TNotifyEvent([&form, method](vcl::TObject* s) { (form.*method)(s); });
  for (const auto& [n, method] : kCommNotify)
    if (n == name)
      return RezUrav::TCommNotifyEvent(
          [&form, method](vcl::TObject* s, std::int32_t S) { (form.*method)(s, S); });
  return {};
}

// Creates the described components in order, each with its settings applied.
void ReadComponents(TForm1& form, const StoredForm& description) {
  MethodLookup methods = [&form](std::string_view name) { return FindMethod(form, name); };
  ApplyProperties(form, description.Properties, methods);
  for (const StoredComponent& stored : description.Components) {
    if (stored.Name == "RezUrav1" && stored.ClassName == "VOduRude") {
      form.RezUrav1 = new RezUrav::VOduRude(&form);
      form.RezUrav1->Name = stored.Name;
      ApplyProperties(*form.RezUrav1, stored.Properties, methods);
    } else if (stored.Name == "Timer1" && stored.ClassName == "TTimer") {
      form.Timer1 = new vcl::TTimer(&form);
      form.Timer1->Name = stored.Name;
      ApplyProperties(*form.Timer1, stored.Properties, methods);
    } else {
      throw EReadError("No field for component " + std::string(stored.Name));
    }
  }
}

// Eleven lines under one guard: when standard output fails, the rest is
// skipped and the failure dropped, so the run still ends as usual.
void WriteUsage() {
  try {
    for (std::string_view line : texts::kUsageLines) rtl::WriteLn(line);
  } catch (const std::exception&) {
  }
}

bool ArgumentMissing() {
  return rtl::ParamStr(1).empty() || rtl::ParamStr(2).empty() || rtl::ParamStr(3).empty();
}

}  // namespace

TForm1::TForm1(vcl::TComponent* AOwner) : vcl::TForm(AOwner) {
  Name = "Form1";
  ReadComponents(*this, Form1Description());
}

void TForm1::Delay(std::int32_t ms) {
  const win::DWORD start = win::GetTickCount();
  for (;;) {
    vcl::Application->ProcessMessages();
    // Unsigned difference: a wrap of the counter neither ends nor stretches the pause.
    const std::int64_t elapsed = win::GetTickCount() - start;
    if (elapsed > ms) return;
    // Sleeps until a message comes or the pause can be over, instead of spinning.
    const std::int64_t left = std::int64_t{ms} - elapsed + 1;
    win::WaitForWork(-1, 0, static_cast<int>(std::min<std::int64_t>(left, INT_MAX)));
  }
}

void TForm1::FormCreate(vcl::TObject*) {
  vcl::Application->ShowMainForm = false;
  win::ShowWindow(vcl::Application->Handle(), win::SW_HIDE);
  ExchangeState = 0;
  FReceivedText.clear();

  if (ArgumentMissing()) {
    WriteUsage();
    ExchangeState = 0;
    // Ends the run as soon as the message loop runs.
    Timer1->SetEnabled(false);
    Timer1->SetInterval(1);
    Timer1->SetEnabled(true);
    return;
  }

  ExchangeState = 1;
  RezUrav1->TargetIPAddress = rtl::ParamStr(1);
  RezUrav1->TargetPort = rtl::StrToIntDef(rtl::ParamStr(2), kPortOfNoNumber);
  StartConnection();
}

void TForm1::StartConnection() {
  try {
    // The limit for reaching the device's prompt starts now; the stored
    // interval already is that limit, so setting it again changes nothing.
    Timer1->SetEnabled(true);
    Timer1->SetInterval(kConnectLimitMs);
    DeviceSocket = RezUrav1->Open(false);
  } catch (...) {
    // The component's own text is not shown: scripts look for this line only.
    Delay(kConnectErrorPauseMs);
    try {
      ExchangeState = 0;
      rtl::WriteLn(texts::kConnectError);
    } catch (...) {
    }
    Timer1->SetEnabled(false);
    Timer1->SetInterval(kConnectErrorEndMs);
    Timer1->SetEnabled(true);
  }
}

void TForm1::Timer1Timer(vcl::TObject*) {
  Timer1->SetEnabled(false);
  if (ExchangeState == 1) rtl::Write(texts::kConnectTimeOut);
  Close();
}

void TForm1::RezUrav1Receive(vcl::TObject*, std::int32_t) {
  std::string block;
  RezUrav1->ReceiveString(DeviceSocket, block, kReadLimit);
  Accumulate(block);
  if (FReceivedText.find(kRefusalMark) != std::string::npos) {
    ExchangeState = 0;
    Timer1->SetInterval(kEndNowMs);
    rtl::Write(texts::kTooManyUsers);
  }
  switch (ExchangeState) {
    case 1:
      if (FReceivedText.find_first_of(kPromptMarks) != std::string::npos) {
        FReceivedText.clear();
        ExchangeState = 2;
        RezUrav1->SendString(DeviceSocket, rtl::ParamStr(3) + "\r");
      }
      break;
    case 2:
      rtl::Write(block);
      // Only the first block of the answer restarts the countdown: later ones
      // assign the value it already has.
      Timer1->SetInterval(kAnswerLimitMs);
      break;
    default:
      break;
  }
}

void TForm1::Accumulate(const std::string& block) {
  // Keeps the newest older text, so that a mark that arrived in an earlier
  // block, or is split across two, is still found; at least the two bytes a
  // split three-byte mark needs, whatever the size of the block.
  std::size_t keep = std::max(kSplitMarkTail, kAccumulatorSize - std::min(block.size(), kAccumulatorSize));
  if (FReceivedText.size() > keep) FReceivedText.erase(0, FReceivedText.size() - keep);
  FReceivedText += block;
}

void TForm1::RezUrav1Close(vcl::TObject*, std::int32_t) { Close(); }

void TForm1::RezUrav1Connect(vcl::TObject*, std::int32_t) { ExchangeState = 1; }

}  // namespace Unit1
