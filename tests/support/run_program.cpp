#include "run_program.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvane::testing {
namespace {

std::string readAll(int fd) {
  std::string text;
  char buffer[4096];
  ::lseek(fd, 0, SEEK_SET);
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
  return text;
}

int anonymousFile() { return ::dup(::fileno(std::tmpfile())); }  // the FILE is closed at exit; the copy stays ours

}  // namespace

uid_t unprivilegedUser() { return ::getpwnam("nobody") ? ::getpwnam("nobody")->pw_uid : 65534; }
gid_t unprivilegedGroup() { return ::getpwnam("nobody") ? ::getpwnam("nobody")->pw_gid : 65534; }

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const ProgramOptions& options) {
  const int out = anonymousFile(), err = anonymousFile();
  std::vector<std::string> all = {program};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv(all.size() + 1, nullptr);
  std::transform(all.begin(), all.end(), argv.begin(), [](std::string& argument) { return argument.data(); });

  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (options.fileSizeLimit >= 0) {
      const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.asUnprivileged && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(unprivilegedGroup()) != 0 || ::setuid(unprivilegedUser()) != 0))
      ::_exit(126);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }

  if (options.killAfterMicroseconds >= 0) {
    ::usleep(static_cast<useconds_t>(options.killAfterMicroseconds));
    ::kill(pid, SIGKILL);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) continue;
  const ProgramRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, WIFSIGNALED(status) ? WTERMSIG(status) : 0,
                       readAll(out), readAll(err)};
  ::close(out);
  ::close(err);
  return run;
}

std::string lastLine(const std::string& text) {
  const auto end = text.find_last_not_of('\n');
  const auto start = text.rfind('\n', end);
  const auto from = start == std::string::npos ? 0 : start + 1;
  return text.substr(from, end - from + 1);
}

}  // namespace sorvane::testing
