// One run of halcyra-render: input, module, settings, the block loop and the output.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "tools/render/RenderOptions.h"

namespace halcyra::render {

struct RenderSummary {
    std::int64_t frames = 0;
    double seconds = 0.0;
    double peakDbfs[2] = {-200.0, -200.0};
    double realTimeFactor = 0.0;  // audio seconds per second of wall time spent rendering
    bool nonFinite = false;       // any NaN or infinity in the output
};

// Throws host::HostError with a one-line reason; on any failure no output file is left.
// progress: where a progress bar goes when showProgress is set.
RenderSummary runRender(const RenderOptions& options, const std::string& executableDir, std::ostream& progress,
                        bool showProgress);

std::string describe(const RenderSummary& summary);

// --parameters: loads the module and lists its parameters on `out`.
void printParameters(const RenderOptions& options, const std::string& executableDir, std::ostream& out);

}  // namespace halcyra::render
