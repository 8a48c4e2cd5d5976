// deny-sockets [--connect] PROGRAM [ARGS...]
// Runs PROGRAM with socket(2) failing with EACCES, as on a system whose
// networking cannot be used; with --connect, only connect(2) fails, as when a
// local firewall refuses the connection at once. Everything else works as usual.
#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <string_view>

int main(int argc, char** argv) {
  bool connectOnly = argc > 1 && std::string_view(argv[1]) == "--connect";
  int first = connectOnly ? 2 : 1;
  if (argc <= first) {
    std::fprintf(stderr, "usage: deny-sockets [--connect] PROGRAM [ARGS...]\n");
    return 2;
  }
  unsigned denied = connectOnly ? SYS_connect : SYS_socket;
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, denied, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EACCES & SECCOMP_RET_DATA)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
      prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
    std::perror("deny-sockets: seccomp");
    return 125;
  }
  execv(argv[first], argv + first);
  std::perror("deny-sockets: exec");
  return 127;
}
