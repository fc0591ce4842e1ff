// Host: the helper program is started with posix_spawn from the folder of
// the running test program.
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "file_test_util.h"

extern char** environ;

intptr_t StartHelper(const std::vector<std::string>& args) {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return -1;
    std::string path(self, (size_t)n);
    path = path.substr(0, path.rfind('/') + 1) + "file_share_helper";
    std::vector<char*> argv;
    argv.push_back(path.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
    return pid;
}

int WaitHelper(intptr_t child) {
    int status;
    if (child <= 0 || waitpid((pid_t)child, &status, 0) != (pid_t)child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
