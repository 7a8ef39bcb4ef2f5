#pragma once

#include <cstdint>
#include <ctime>

class TextBuffer;

#if defined(__GNUC__)
#define VELVANE_PRINTF_FORMAT(formatIndex, firstArgument) \
    __attribute__((format(gnu_printf, formatIndex, firstArgument)))
#else
#define VELVANE_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

// Formats one line (at most 4093 characters, trailing white space removed),
// ends it with CR LF and sends it to the system debugger. Any thread.
void WriteDebugLine(const char* format, ...) VELVANE_PRINTF_FORMAT(1, 2);

// The trace point of the core's and the bindings' operations: does nothing.
void LogTracePoint(const char* function, int line, const char* format, ...)
    VELVANE_PRINTF_FORMAT(3, 4);

// The local time with its UTC offset, "YYYYMMDD HH:MM +HHMM", in a static
// text that the next call overwrites.
const char* LocalTimestampText();

// Writes the time stamp of a local time and the same instant in UTC into out
// (32 bytes); the offset is taken from the two broken-down times.
void FormatTimestamp(const std::tm& local, const std::tm& utc, char* out);

// Milliseconds of a steady clock: the ticks IntervalClock counts.
int32_t ClockTicks();

// Replaces the tick source (for tests); null restores the steady clock.
void SetClockTickSource(int32_t (*source)());

struct IntervalClock {
    int32_t start;

    void Restart();
    // True, and restarts, when more than seconds x 1000 ticks passed since
    // the start.
    bool HasElapsed(double seconds);
};

// A blank, a tab, a carriage return or a line feed.
bool IsBlankChar(char c);

// The name of a dispatcher opcode for trace texts: always "".
const char* DispatcherOpcodeName(int opcode);

// Sets out to "[" a, cut to seven characters and without its fifth when it
// has five or more, then " " b, cut to twelve characters, then "]".
void AppendBracketedText(const char* a, const char* b, TextBuffer* out);

// c, a blank and the bracketed prefix of a and b, in a static text that the
// next call overwrites.
const char* BracketedText(const char* a, const char* b, const char* c);
