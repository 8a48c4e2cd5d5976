#include "platform/rtl/ConsoleMode.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <exception>
#include <typeinfo>

#include "platform/rtl/ConsoleOutput.h"
#include "platform/rtl/Report.h"
#include "platform/rtl/RtlTexts.h"
#include "platform/vcl/Exception.h"
#include "platform/vcl/Format.h"

namespace rtl {
namespace {

bool g_console = false;
constexpr int kFatalExitCode = 1;

// A standard descriptor that is not open gets a read-only /dev/null: writes to
// it still fail (EBADF), as to a closed handle, but no socket can take its
// number later and receive text meant for standard output.
void HoldClosedStandardDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    int held = ::open("/dev/null", O_RDONLY);
    if (held < 0 || held == fd) continue;
    ::dup2(held, fd);
    ::close(held);
  }
}

// What the report needs of an exception.
struct FatalInfo {
  std::string className;
  const void* address = nullptr;
  std::string message;
};

// Call while an exception is being handled.
FatalInfo Describe() {
  try {
    throw;
  } catch (const vcl::Exception& e) {
    return {e.ClassName(), e.ExceptAddr(), e.Message};
  } catch (const std::exception& e) {
    // Not one of the framework's exceptions: its type's name, but no raise address.
    return {vcl::ClassNameOf(typeid(e)), nullptr, e.what()};
  } catch (...) {
    return {"Exception", nullptr, ""};
  }
}

}  // namespace

void SetConsoleMode() {
  g_console = true;
  HoldClosedStandardDescriptors();
}

bool IsConsole() { return g_console; }

std::string FatalReportText(std::string_view className, std::string_view moduleName,
                            const void* address, std::string_view message) {
  std::string text = vcl::Format(texts::kFatalReportFormat, {className, moduleName, address});
  text += '\n';
  text.append(message);
  if (!message.empty() && message.back() != '.') text += '.';
  text += "\r\n";
  return text;
}

std::string ModuleName() {
  char path[4096];
  ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return program_invocation_short_name;
  std::string_view full(path, static_cast<std::size_t>(n));
  auto slash = full.rfind('/');
  return std::string(slash == std::string_view::npos ? full : full.substr(slash + 1));
}

int ReportFatalException() noexcept {
  try {
    FatalInfo info = Describe();
    std::string report = FatalReportText(info.className, ModuleName(), info.address, info.message);
    if (g_console) {
      Write(report);
      FlushOutput();
    } else {
      WriteReport(report);
    }
  } catch (...) {
    // Standard output is gone or memory is short: the exit code still tells.
  }
  return kFatalExitCode;
}

}  // namespace rtl
