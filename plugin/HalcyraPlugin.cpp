#include "plugin/HalcyraPlugin.h"

#include "plugin/BlockDriver.h"

namespace halcyra {

struct HalcyraPlugin::Impl {
    ParameterStore parameters;
    EditorCommandQueue commands;
    SkyFeedTripleBuffer feed;
    SkyFeedReader reader{feed};
    BlockDriver driver{parameters, commands, feed};
};

HalcyraPlugin::HalcyraPlugin() : impl_(new Impl) {}
HalcyraPlugin::~HalcyraPlugin() { delete impl_; }

ParameterStore& HalcyraPlugin::parameters() { return impl_->parameters; }
const ParameterStore& HalcyraPlugin::parameters() const { return impl_->parameters; }

void HalcyraPlugin::reset(double sampleRate) { impl_->driver.reset(sampleRate); }
void HalcyraPlugin::processBlock(const BlockIO& io) { impl_->driver.process(io); }

SkyFeedReader& HalcyraPlugin::skyFeedReader() { return impl_->reader; }
EditorCommandQueue& HalcyraPlugin::commandQueue() { return impl_->commands; }

double HalcyraPlugin::preparedSampleRate() const { return impl_->driver.preparedSampleRate(); }
double HalcyraPlugin::tailSeconds() const { return impl_->driver.tailSeconds(); }

const BlockTrace& HalcyraPlugin::blockTrace() const { return impl_->driver.trace(); }
DriverState HalcyraPlugin::driverState() const { return impl_->driver.state(); }

}  // namespace halcyra
