// Capturing what a descriptor receives, for tests of standard output and
// standard error.
#pragma once

#include <cstdio>
#include <string>

namespace testing_support {

// The whole file behind `fd`, read from its start whatever its offset.
std::string FileText(int fd);

// Redirects a descriptor into a temporary file for the object's lifetime.
class CapturedFd {
 public:
  explicit CapturedFd(int fd);
  ~CapturedFd();
  CapturedFd(const CapturedFd&) = delete;
  CapturedFd& operator=(const CapturedFd&) = delete;

  // Gives the descriptor back now; the captured text stays readable.
  void Restore();
  std::string Text() const { return FileText(::fileno(FFile)); }

 private:
  int FFd;
  int FSaved;
  FILE* FFile;
};

}  // namespace testing_support
