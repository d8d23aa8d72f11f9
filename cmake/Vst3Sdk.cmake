# Location of the Steinberg VST3 SDK. Debian's juce-modules-source-data ships the
# subset we need; a full SDK can be given with -DVST3_SDK_ROOT=/path/to/vst3sdk.
set(VST3_SDK_ROOT "/usr/share/juce/modules/juce_audio_processors/format_types/VST3_SDK"
    CACHE PATH "Root of the VST3 SDK (pluginterfaces, base, public.sdk)")
if(NOT EXISTS "${VST3_SDK_ROOT}/pluginterfaces/base/funknown.h")
  message(FATAL_ERROR "VST3 SDK not found at ${VST3_SDK_ROOT}; run ./setup.sh or set VST3_SDK_ROOT")
endif()
