// Failures of the offline host that a tool reports as a one-line message.
#pragma once

#include <stdexcept>

namespace halcyra::host {

class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace halcyra::host
