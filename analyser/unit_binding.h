#pragma once

// The binding the analyser plug-in derives from, and the arguments its
// constructor takes ahead of the plug-in's own. The program is built on the
// stand-alone binding; the plug-in module defines VELVANE_BINDING_VST and is
// built on the VST 2 binding.
#if defined(VELVANE_BINDING_VST)
#include "core/unit_vst.h"
using IUnitBinding = IUnitVST;
#define VELVANE_BINDING_PARAMETERS Vst2HostCallback hostCallback
#define VELVANE_BINDING_ARGUMENTS hostCallback
#else
#include <cstdint>

#include "core/unit_standalone.h"
using IUnitBinding = IUnitStandalone;
#define VELVANE_BINDING_PARAMETERS MidiOutputPort *midiOut, uint16_t *midiOutChannel
#define VELVANE_BINDING_ARGUMENTS midiOut, midiOutChannel
#endif
