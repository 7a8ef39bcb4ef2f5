#pragma once

// Hands one terminated text to the system debugger: OutputDebugStringA on
// Windows; natively the text goes to the sink set below, if there is one.
void SendDebugText(const char* text);

#ifndef _WIN32
using DebugTextSink = void (*)(const char* text);

// Sets the receiver of every text sent; null drops them, as when no
// debugger listens.
void SetDebugTextSink(DebugTextSink sink);
#endif
