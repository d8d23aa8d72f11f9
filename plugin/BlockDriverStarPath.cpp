// The star path's places in the block driver. The star output is silent until
// the star engine is wired in: for now these hooks keep the star buffers at
// zero, the onset gain at 1 and the editor's command queue drained (commands are
// dropped) so the queue can never fill up. The mapping calibration keeps its
// construction value until the sky field can recompute it.
#include <algorithm>

#include "plugin/BlockDriver.h"

namespace halcyra {

void BlockDriver::prepareStarPath(double) {}

void BlockDriver::recalibrateMapping() {}

void BlockDriver::clearStarPath() {
    std::fill(starFeedback_.begin(), starFeedback_.end(), 0.0f);
    meters_.onsetGain = 1.0f;
}

void BlockDriver::setStarEventMode() {}

void BlockDriver::drainCommands() {
    commands_.drain([](const EditorCommand&) {});
}

void BlockDriver::convertStarGains() {}

void BlockDriver::smoothStarControls(bool, const BlockCoefficients&) {}

void BlockDriver::writeStarBlockSettings(double) {}

void BlockDriver::copySkyTargets(const ReverbSettings&) {}

void BlockDriver::detectOnsets(int) {}

void BlockDriver::updateOnsetGain(const ReverbSettings&, int) {}

const float* BlockDriver::reverbInput(int) { return mono_.data(); }

void BlockDriver::processStars(const ReverbSettings&, int n) {
    std::fill(starLeft_.begin(), starLeft_.begin() + n, 0.0f);
    std::fill(starRight_.begin(), starRight_.begin() + n, 0.0f);
}

void BlockDriver::updateStarFeedback(int) {}

void BlockDriver::fillStarSnapshot(SkyFeed&) {}

}  // namespace halcyra
