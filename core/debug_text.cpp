#include "core/debug_text.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/debug_output.h"
#include "core/text_buffer.h"

namespace {

constexpr int kMaxDebugText = 4093;

std::atomic<int32_t (*)()> gTickSource{nullptr};

int32_t SteadyTicks()
{
    using namespace std::chrono;
    static const steady_clock::time_point origin = steady_clock::now();
    return int32_t(duration_cast<milliseconds>(steady_clock::now() - origin).count());
}

// C99 semantics in both builds: terminated, returns the untruncated length.
int FormatText(char* out, size_t size, const char* format, va_list args)
{
#if defined(__MINGW32__)
    return __mingw_vsnprintf(out, size, format, args);
#else
    return std::vsnprintf(out, size, format, args);
#endif
}

void BreakDown(std::time_t now, std::tm* local, std::tm* utc)
{
#if defined(_WIN32)
    localtime_s(local, &now);
    gmtime_s(utc, &now);
#else
    localtime_r(&now, local);
    gmtime_r(&now, utc);
#endif
}

void Append(TextBuffer* out, const char* text)
{
    const int length = int(std::strlen(out->Get()));
    out->Insert(length, text, int(std::strlen(text)), 0);
}

}  // namespace

void WriteDebugLine(const char* format, ...)
{
    char text[kMaxDebugText + 3];
    text[0] = '\0';
    text[kMaxDebugText] = '\0';

    va_list args;
    va_start(args, format);
    int length = FormatText(text, kMaxDebugText + 1, format, args);
    va_end(args);
    if (length > kMaxDebugText) length = kMaxDebugText;
    if (length < 0) length = int(std::strlen(text));

    while (length > 0 && std::isspace(static_cast<unsigned char>(text[length - 1]))) --length;
    text[length] = '\r';
    text[length + 1] = '\n';
    text[length + 2] = '\0';
    SendDebugText(text);
}

void LogTracePoint(const char*, int, const char*, ...) {}

void FormatTimestamp(const std::tm& local, const std::tm& utc, char* out)
{
    const size_t size = 32;
    size_t length = std::strftime(out, size, "%Y%m%d %H:%M ", &local);
    if (length == 0) out[0] = '\0';

    int offset = (local.tm_hour * 60 + local.tm_min) - (utc.tm_hour * 60 + utc.tm_min);
    const int days = local.tm_yday - utc.tm_yday;
    if (days == 1 || days == -1)
        offset += 1440 * days;
    else if (days > 1)
        offset -= 1440;  // local time is still in the old year
    else if (days < -1)
        offset += 1440;  // local time is already in the new year

    const int minutes = std::abs(offset);
    std::snprintf(out + length, size - length, "%c%02d%02d", offset >= 0 ? '+' : '-', minutes / 60,
                  minutes % 60);
}

const char* LocalTimestampText()
{
    static char text[32];
    std::tm local = {};
    std::tm utc = {};
    BreakDown(std::time(nullptr), &local, &utc);
    FormatTimestamp(local, utc, text);
    return text;
}

int32_t ClockTicks()
{
    int32_t (*source)() = gTickSource.load();
    return source ? source() : SteadyTicks();
}

void SetClockTickSource(int32_t (*source)())
{
    gTickSource.store(source);
}

void IntervalClock::Restart()
{
    start = ClockTicks();
}

bool IntervalClock::HasElapsed(double seconds)
{
    const int32_t now = ClockTicks();
    const int32_t elapsed = int32_t(uint32_t(now) - uint32_t(start));  // across a wrap too
    if (elapsed > seconds * 1000.0) {
        start = now;
        return true;
    }
    return false;
}

bool IsBlankChar(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

const char* DispatcherOpcodeName(int)
{
    return "";
}

void AppendBracketedText(const char* a, const char* b, TextBuffer* out)
{
    char text[14] = "[";
    int length = 1;
    for (int i = 0; a && a[i] && length < 7; ++i) text[length++] = a[i];
    if (length >= 5) {
        std::memmove(text + 4, text + 5, size_t(length - 5));
        --length;
    }
    text[length++] = ' ';
    for (int i = 0; b && b[i] && length < 12; ++i) text[length++] = b[i];
    text[length++] = ']';
    text[length] = '\0';
    out->Assign(text);
}

const char* BracketedText(const char* a, const char* b, const char* c)
{
    static TextBuffer text;
    text.Assign(c);
    TextBuffer prefix;
    AppendBracketedText(a, b, &prefix);
    Append(&text, " ");
    Append(&text, prefix.Get());
    return text.Get();
}
