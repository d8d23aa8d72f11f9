// A display to open editors on: the one in DISPLAY when it accepts connections,
// otherwise a private Xvfb started for the lifetime of this object (DISPLAY points at
// it meanwhile and is put back afterwards).
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace halcyra::x11host {

class VirtualDisplay {
public:
    // Throws host::HostError when there is no usable display and Xvfb cannot start.
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    const std::string& name() const { return name_; }
    bool startedServer() const { return server_ > 0; }

    static bool xvfbInstalled();

private:
    void startXvfb();
    void stopXvfb();

    std::string name_;
    pid_t server_ = -1;
    std::optional<std::string> previousDisplay_;
};

}  // namespace halcyra::x11host
