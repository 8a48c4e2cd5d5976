// Console mode of the run-time library, and its report of an exception that
// ends the program.
//
// A console program reports a fatal exception on standard output; any other
// program shows it where it shows messages (standard error on this platform).
#pragma once

#include <string>
#include <string_view>

namespace rtl {

// Switches the run-time library to console mode; call first thing in the
// entry. A standard descriptor that is not open is held by one that refuses
// writes, so writing to it fails as before but its number stays taken.
void SetConsoleMode();
bool IsConsole();

// The report of a fatal exception, as Shift_JIS bytes: the format line with
// class name, module name and code address, a line feed, the message with a
// full stop added unless it is empty or ends in one, then CR LF.
std::string FatalReportText(std::string_view className, std::string_view moduleName,
                            const void* address, std::string_view message);

// The name of the program's file, without its folder.
std::string ModuleName();

// Call inside a catch block, for an exception that nothing handled: reports
// it (failures to write are dropped) and returns the exit code for it, 1.
int ReportFatalException() noexcept;

}  // namespace rtl
