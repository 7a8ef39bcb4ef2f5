// The plug-in module's entry: a host calls it with its callback and drives
// the analyser through the effect record it gets back.
#include "analyser/unit_effect.h"

#if defined(_WIN32)
#define VELVANE_EXPORT __declspec(dllexport)
#else
#define VELVANE_EXPORT __attribute__((visibility("default")))
#endif

// Null when the plug-in could not be made; nothing is thrown into the host.
extern "C" VELVANE_EXPORT Vst2Effect* VSTPluginMain(Vst2HostCallback hostCallback)
{
    try {
        IUnitEffect* plug = CreatePlugInstance(hostCallback);
        return plug ? plug->Effect() : nullptr;
    } catch (...) {
        return nullptr;
    }
}
