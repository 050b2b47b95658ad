// SPDX-License-Identifier: GPL-3.0-or-later
// peak_rss FILE COMMAND [ARG...]: runs the command, writes its peak resident
// memory in KiB to FILE and exits with its exit status.
//
// A child's peak counts the memory of the process it was forked from until
// its exec, so a command started straight from the benchmark script would be
// charged the script's interpreter (tens of megabytes). Started from this
// small program, the figure is the command's own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: peak_rss FILE COMMAND [ARG...]\n", stderr);
    return 2;
  }
  const pid_t pid = ::fork();
  if (pid < 0) return 127;
  if (pid == 0) {
    ::execvp(argv[2], argv + 2);
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid) return 127;
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr || std::fprintf(out, "%ld\n", usage.ru_maxrss) < 0 || std::fclose(out) != 0) return 127;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
