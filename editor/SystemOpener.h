// Opens a URL or a document with the desktop's default handler (xdg-open) without
// ever blocking the user-interface thread: the handler runs fully detached, in its
// own session, with its standard streams on /dev/null, and no shell is involved.
// The launcher is injectable so tests can record instead of starting programs.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace halcyra {

// Starts argv[0] (looked up in PATH unless it contains a '/') with the given
// arguments and returns without waiting for it. False when the program cannot be
// found or the process could not be created; what the program does afterwards is
// not reported.
bool LaunchDetached(const std::vector<std::string>& argv);

class SystemOpener {
public:
    using Launcher = std::function<bool(const std::vector<std::string>& argv)>;

    explicit SystemOpener(Launcher launcher = LaunchDetached) : mLaunch(std::move(launcher)) {}

    // False without launching anything for an empty target or one that xdg-open
    // would read as an option.
    bool Open(const std::string& urlOrPath) const;

private:
    Launcher mLaunch;
};

}  // namespace halcyra
