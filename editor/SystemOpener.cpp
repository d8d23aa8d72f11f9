#include "editor/SystemOpener.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace halcyra {

namespace {

// PATH lookup done before forking: between fork and exec only async-signal-safe
// calls are allowed (the host is multi-threaded), and execvp's search is not one.
bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string FindProgram(const std::string& name) {
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string dirs = (path != nullptr && *path != '\0') ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        std::string candidate = end > start ? dirs.substr(start, end - start) : std::string(".");
        candidate.push_back('/');
        candidate.append(name);
        if (IsExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

int HighestFileDescriptor() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < 65536)
        return static_cast<int>(limit.rlim_cur);
    return 65536;
}

// Runs in the grandchild, between fork and exec: async-signal-safe calls only.
[[noreturn]] void ExecDetached(const char* program, char* const* argv, int highestFd) {
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
    }
    // The host's descriptors (audio devices, sockets, the X connection) are none of
    // the handler's business and must not be held open by it.
    if (syscall(SYS_close_range, 3u, ~0u, 0u) != 0) {
        for (int fd = 3; fd < highestFd; ++fd) close(fd);
    }
    // Undo what the host may have set for its own threads.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    signal(SIGCHLD, SIG_DFL);
    execve(program, argv, environ);
    _exit(127);
}

}  // namespace

bool LaunchDetached(const std::vector<std::string>& argv) {
    if (argv.empty()) return false;
    const std::string program = FindProgram(argv[0]);
    if (program.empty()) return false;

    // Everything the children need is built here, before fork.
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int highestFd = HighestFileDescriptor();

    const pid_t intermediate = fork();
    if (intermediate < 0) return false;
    if (intermediate == 0) {
        // A new session, then a second fork: the handler is orphaned at once, adopted
        // by init, never becomes our zombie and never shares the host's terminal.
        setsid();
        const pid_t handler = fork();
        if (handler < 0) _exit(1);
        if (handler == 0) ExecDetached(program.c_str(), args.data(), highestFd);
        _exit(0);
    }

    // The intermediate exits straight after its fork, so this wait is short.
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(intermediate, &status, 0);
    } while (waited < 0 && errno == EINTR);
    // ECHILD: the host ignores SIGCHLD and the kernel reaped it already.
    if (waited < 0) return errno == ECHILD;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool SystemOpener::Open(const std::string& urlOrPath) const {
    // A leading '-' would be taken as an option by xdg-open rather than as a target.
    if (urlOrPath.empty() || urlOrPath.front() == '-') return false;
    // argv strings end at the first NUL: never open a silently shortened target.
    if (urlOrPath.find('\0') != std::string::npos) return false;
    return mLaunch && mLaunch({"xdg-open", urlOrPath});
}

}  // namespace halcyra
