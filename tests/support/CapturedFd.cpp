#include "tests/support/CapturedFd.h"

#include <unistd.h>

namespace testing_support {

std::string FileText(int fd) {
  std::string out;
  char buf[4096];
  off_t at = 0;
  for (ssize_t n; (n = ::pread(fd, buf, sizeof buf, at)) > 0; at += n)
    out.append(buf, static_cast<std::size_t>(n));
  return out;
}

CapturedFd::CapturedFd(int fd) : FFd(fd), FSaved(::dup(fd)), FFile(std::tmpfile()) {
  ::dup2(::fileno(FFile), FFd);
}

CapturedFd::~CapturedFd() {
  Restore();
  std::fclose(FFile);
}

void CapturedFd::Restore() {
  if (FSaved < 0) return;
  ::dup2(FSaved, FFd);
  ::close(FSaved);
  FSaved = -1;
}

}  // namespace testing_support
