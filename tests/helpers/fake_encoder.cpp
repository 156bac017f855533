// A stand-in encoder for the tests. Each argument is one step, done in order:
//   err:TEXT  out:TEXT      write TEXT (with \n, \r, \\ escapes) to stderr / stdout
//   bigerr:N                write N bytes of 'x' to stderr, no newline
//   sleep:MS                sleep
//   exit:CODE               exit with CODE
//   signal:SEGV|KILL|TERM   die by that signal
//   grandchild:MS:FILE      start a child that keeps our standard streams open for MS ms
//                           and writes its pid to FILE
//   pidfile:FILE            write our pid to FILE
//   fds:FILE                write our open descriptors, one per line, to FILE
//   status:FILE             copy the SigBlk and SigIgn lines of /proc/self/status to FILE
//   args:FILE               write our arguments, one per line, to FILE
// Without an exit step it exits 0.
#include <dirent.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace {

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      char c = s[++i];
      out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    } else {
      out += s[i];
    }
  }
  return out;
}

void WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string step = argv[i];
    const size_t colon = step.find(':');
    const std::string op = step.substr(0, colon);
    const std::string arg = colon == std::string::npos ? "" : step.substr(colon + 1);
    if (op == "err") {
      WriteAll(2, Unescape(arg));
    } else if (op == "out") {
      WriteAll(1, Unescape(arg));
    } else if (op == "bigerr") {
      std::string block(65536, 'x');
      for (long left = atol(arg.c_str()); left > 0; left -= static_cast<long>(block.size()))
        WriteAll(2, block.substr(0, static_cast<size_t>(std::min<long>(left, 65536))));
    } else if (op == "sleep") {
      usleep(static_cast<useconds_t>(atol(arg.c_str()) * 1000));
    } else if (op == "exit") {
      return atoi(arg.c_str());
    } else if (op == "signal") {
      int sig = arg == "SEGV" ? SIGSEGV : arg == "KILL" ? SIGKILL : SIGTERM;
      signal(sig, SIG_DFL);
      raise(sig);
    } else if (op == "grandchild") {
      const size_t second = arg.find(':');
      const long ms = atol(arg.substr(0, second).c_str());
      const std::string file = arg.substr(second + 1);
      pid_t pid = fork();
      if (pid == 0) {
        usleep(static_cast<useconds_t>(ms * 1000));
        _exit(0);
      }
      WriteFile(file + ".tmp", std::to_string(pid));
      rename((file + ".tmp").c_str(), file.c_str());
    } else if (op == "pidfile") {
      WriteFile(arg + ".tmp", std::to_string(getpid()));
      rename((arg + ".tmp").c_str(), arg.c_str());
    } else if (op == "fds") {
      std::string list;
      DIR* d = opendir("/proc/self/fd");
      while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.' || atoi(e->d_name) == dirfd(d)) continue;
        list += std::string(e->d_name) + "\n";
      }
      closedir(d);
      WriteFile(arg, list);
    } else if (op == "status") {
      std::ifstream in("/proc/self/status");
      std::string line, lines;
      while (std::getline(in, line))
        if (line.rfind("SigBlk:", 0) == 0 || line.rfind("SigIgn:", 0) == 0) lines += line + "\n";
      WriteFile(arg, lines);
    } else if (op == "args") {
      std::string lines;
      for (int j = 0; j < argc; ++j) lines += std::string(argv[j]) + "\n";
      WriteFile(arg, lines);
    } else {
      fprintf(stderr, "fake_encoder: unknown step %s\n", step.c_str());
      return 99;
    }
  }
  return 0;
}
