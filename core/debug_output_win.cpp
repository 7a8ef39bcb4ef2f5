#include "core/debug_output.h"

#include <windows.h>

void SendDebugText(const char* text)
{
    OutputDebugStringA(text);
}
