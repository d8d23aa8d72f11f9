// Opening URLs and documents: the opener hands xdg-open the target as a single
// argument and refuses targets it would misread; the launcher starts programs
// without waiting for them, in their own session, with nothing of ours inherited.
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "editor/SystemOpener.h"

namespace halcyra::test {
namespace {

namespace fs = std::filesystem;
using Argv = std::vector<std::string>;

class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device rd;
        path_ = fs::temp_directory_path() / ("halcyra-opener-" + std::to_string(rd()));
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string file(const char* name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The detached program runs on its own schedule: wait until its output file is
// there and has stopped growing (or give up after ten seconds).
std::string WaitForOutput(const std::string& path) {
    std::string last;
    for (int i = 0; i < 100; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::string now = ReadFile(path);
        if (!now.empty() && now == last) return now;
        last = now;
    }
    return {};
}

TEST(SystemOpener, HandsTheTargetToXdgOpenAsOneArgumentAndRefusesWhatItWouldMisread) {
    std::vector<Argv> launched;
    const SystemOpener opener([&](const Argv& argv) {
        launched.push_back(argv);
        return true;
    });
    EXPECT_TRUE(opener.Open("https://tavimoro.com/halcyra"));
    EXPECT_TRUE(opener.Open("/opt/My Plug-ins/Halcyra.vst3/Contents/Resources/Halcyra-Manual.pdf"));
    EXPECT_TRUE(opener.Open("file:///tmp/a;b&c $(rm -rf x)"));
    EXPECT_FALSE(opener.Open(""));
    EXPECT_FALSE(opener.Open("--help"));
    EXPECT_FALSE(opener.Open(std::string("https://a.example/\0-x", 21)));
    EXPECT_EQ(launched, (std::vector<Argv>{{"xdg-open", "https://tavimoro.com/halcyra"},
                                           {"xdg-open", "/opt/My Plug-ins/Halcyra.vst3/Contents/Resources/Halcyra-Manual.pdf"},
                                           {"xdg-open", "file:///tmp/a;b&c $(rm -rf x)"}}));

    const SystemOpener failing([](const Argv&) { return false; });
    EXPECT_FALSE(failing.Open("https://tavimoro.com/halcyra"));
}

TEST(LaunchDetached, ReturnsWithoutWaitingAndLeavesNoChildBehind) {
    auto launch = std::async(std::launch::async, [] { return LaunchDetached({"sleep", "20"}); });
    ASSERT_EQ(launch.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "waited for the program";
    EXPECT_TRUE(launch.get());
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);  // no child (and no zombie) of ours
    EXPECT_EQ(errno, ECHILD);
}

TEST(LaunchDetached, RunsTheProgramInItsOwnSessionWithArgumentsVerbatim) {
    ScratchFolder dir;
    const std::string odd = dir.file("with space;and$dollar");
    ASSERT_TRUE(LaunchDetached({"touch", odd}));
    for (int i = 0; i < 100 && !fs::exists(odd); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(fs::exists(odd));

    const std::string stat = dir.file("stat");
    ASSERT_TRUE(LaunchDetached({"/bin/cp", "/proc/self/stat", stat}));
    const std::string text = WaitForOutput(stat);
    ASSERT_FALSE(text.empty());
    // Fields after the command name: state, parent, process group, session.
    std::istringstream fields(text.substr(text.rfind(')') + 1));
    std::string state;
    pid_t parent = 0, group = 0, session = 0;
    fields >> state >> parent >> group >> session;
    EXPECT_NE(parent, getpid());
    EXPECT_NE(session, getsid(0));
}

TEST(LaunchDetached, StandardStreamsGoToDevNullAndOurDescriptorsStayBehind) {
    ScratchFolder dir;
    const std::string ours = dir.file("held-open");
    const int fd = open(ours.c_str(), O_CREAT | O_WRONLY, 0600);  // inheritable on purpose
    ASSERT_GE(fd, 0);
    const std::string listing = dir.file("fds");
    ASSERT_TRUE(LaunchDetached({"find", "/proc/self/fd/", "-mindepth", "1", "-fprintf", listing, "%f %l\\n"}));
    const std::string text = WaitForOutput(listing);
    close(fd);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.find("0 /dev/null\n"), std::string::npos) << text;
    EXPECT_NE(text.find("1 /dev/null\n"), std::string::npos) << text;
    EXPECT_NE(text.find("2 /dev/null\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("held-open"), std::string::npos) << text;
}

TEST(LaunchDetached, AMissingProgramIsReportedAndNothingIsStarted) {
    EXPECT_FALSE(LaunchDetached({}));
    EXPECT_FALSE(LaunchDetached({"halcyra-no-such-program-here"}));
    EXPECT_FALSE(LaunchDetached({"/nonexistent/xdg-open", "x"}));
    EXPECT_FALSE(LaunchDetached({"/tmp", "x"}));  // a directory is searchable, not runnable
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
}

}  // namespace
}  // namespace halcyra::test
