#include "run_program.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
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
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
  return text;
}

int anonymousFile() {
  FILE* file = std::tmpfile();
  return ::dup(::fileno(file));  // the FILE itself is closed at exit; the copy stays ours
}

}  // namespace

uid_t unprivilegedUser() {
  const passwd* user = ::getpwnam("nobody");
  return user ? user->pw_uid : 65534;
}

gid_t unprivilegedGroup() {
  const passwd* user = ::getpwnam("nobody");
  return user ? user->pw_gid : 65534;
}

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const ProgramOptions& options) {
  const int out = anonymousFile();
  const int err = anonymousFile();
  std::vector<std::string> all = {program};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& argument : all) argv.push_back(argument.data());
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (options.fileSizeLimit >= 0) {
      const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.asUnprivileged && ::geteuid() == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setgid(unprivilegedGroup()) != 0 || ::setuid(unprivilegedUser()) != 0)
        ::_exit(126);
    }
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }

  if (options.killAfterMicroseconds >= 0) {
    ::usleep(static_cast<useconds_t>(options.killAfterMicroseconds));
    ::kill(pid, SIGKILL);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  ProgramRun run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  run.out = readAll(out);
  run.err = readAll(err);
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
