// Entry of the vardex program: a console program that runs on the
// application object, its hidden main form Form1 and the message loop.
#include "console/Unit1.h"
#include "platform/rtl/ConsoleMode.h"
#include "platform/rtl/ConsoleOutput.h"
#include "platform/rtl/ParamStr.h"
#include "platform/vcl/TApplication.h"

int main(int argc, char** argv) {
  // Fatal reports of the run-time library go to standard output from here on.
  rtl::SetConsoleMode();
  rtl::SetArguments(argc, argv);

  int exitCode = 0;
  try {
    vcl::Application->Initialize();
    vcl::Application->CreateForm(Unit1::Form1);
    vcl::Application->Run();
  } catch (...) {
    // Only the start can fail this way (Windows Sockets cannot start):
    // the report on standard output and exit code 1.
    exitCode = rtl::ReportFatalException();
  }
  vcl::Application->DestroyForms();
  rtl::CloseOutput();
  return exitCode;
}
