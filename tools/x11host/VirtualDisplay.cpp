#include "tools/x11host/VirtualDisplay.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "tools/host/HostError.h"

namespace halcyra::x11host {

namespace {

constexpr const char* kXvfb = "/usr/bin/Xvfb";

bool displayAnswers(const char* name) {
    if (name == nullptr || *name == '\0') return false;
    Display* d = XOpenDisplay(name);
    if (d == nullptr) return false;
    XCloseDisplay(d);
    return true;
}

}  // namespace

bool VirtualDisplay::xvfbInstalled() { return access(kXvfb, X_OK) == 0; }

VirtualDisplay::VirtualDisplay() {
    if (const char* current = std::getenv("DISPLAY")) previousDisplay_ = current;
    if (previousDisplay_ && displayAnswers(previousDisplay_->c_str())) {
        name_ = *previousDisplay_;
        return;
    }
    startXvfb();
}

VirtualDisplay::~VirtualDisplay() { stopXvfb(); }

void VirtualDisplay::startXvfb() {
    if (!xvfbInstalled()) throw host::HostError("no X display and no Xvfb to start one (install xvfb)");
    // Xvfb picks a free display number itself and writes it to the pipe: no races with
    // other servers started at the same time.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw host::HostError("cannot start Xvfb: no pipe");
    server_ = fork();
    if (server_ == 0) {
        const int devnull = open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            dup2(devnull, STDIN_FILENO);
            dup2(devnull, STDOUT_FILENO);
            dup2(devnull, STDERR_FILENO);
        }
        const int writeFd = dup(fds[1]);  // the duplicate survives exec
        const std::string fdText = std::to_string(writeFd);
        execl(kXvfb, "Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (server_ < 0) {
        close(fds[0]);
        throw host::HostError("cannot start Xvfb: fork failed");
    }
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char c = 0;
        const ssize_t n = read(fds[0], &c, 1);
        if (n <= 0 || c == '\n') break;
        number.push_back(c);
    }
    close(fds[0]);
    if (number.empty()) {
        stopXvfb();
        throw host::HostError("Xvfb did not start");
    }
    name_ = ":" + number;
    setenv("DISPLAY", name_.c_str(), 1);
    for (int i = 0; i < 100; ++i) {
        if (displayAnswers(name_.c_str())) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    stopXvfb();
    throw host::HostError("Xvfb started but does not accept connections");
}

void VirtualDisplay::stopXvfb() {
    if (server_ <= 0) return;
    kill(server_, SIGTERM);
    waitpid(server_, nullptr, 0);
    server_ = -1;
    if (previousDisplay_) setenv("DISPLAY", previousDisplay_->c_str(), 1);
    else unsetenv("DISPLAY");
}

}  // namespace halcyra::x11host
