#include "support/debug_capture.h"

#include "core/debug_output.h"

namespace {

DebugCapture* gActive = nullptr;

void Receive(const char* text)
{
    gActive->Add(text);
}

}  // namespace

DebugCapture::DebugCapture()
{
    gActive = this;
    SetDebugTextSink(Receive);
}

DebugCapture::~DebugCapture()
{
    SetDebugTextSink(nullptr);
    gActive = nullptr;
}
