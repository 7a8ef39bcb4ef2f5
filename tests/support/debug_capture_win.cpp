#include "support/debug_capture.h"

#include <cstring>
#include <windows.h>

namespace {

DebugCapture* gActive = nullptr;

// OutputDebugStringA raises DBG_PRINTEXCEPTION_C with {length + 1, text};
// continuing execution counts as a debugger having taken the text.
LONG CALLBACK Receive(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
    const size_t size = size_t(record->ExceptionInformation[0]);
    gActive->Add(std::string(text, size > 0 ? strnlen(text, size) : 0));
    return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

DebugCapture::DebugCapture()
{
    gActive = this;
    mHandler = AddVectoredExceptionHandler(1, Receive);
}

DebugCapture::~DebugCapture()
{
    RemoveVectoredExceptionHandler(mHandler);
    gActive = nullptr;
}
