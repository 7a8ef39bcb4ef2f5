#include "core/host_id.h"

#include <cctype>
#include <cstring>

#include "core/debug_text.h"
#include "core/heap_buffer.h"
#include "core/unit_base.h"

namespace {

struct HostEntry {
    int number;
    const char* text;
};

// Detection texts in search order; earlier texts win where names overlap.
const HostEntry kDetection[] = {
    {3, "cubase"},      {1, "reaper"},      {4, "nuendo"},
    {5, "cakewalk"},    {8, "samplitude"},  {7, "fruity"},
    {9, "live"},        {12, "melodyne"},   {13, "vstmanlib"},
    {14, "aulab"},      {22, "garageband"}, {15, "forte"},
    {16, "chainer"},    {17, "audition"},   {18, "orion"},
    {20, "sawstudio"},  {21, "logic"},      {23, "digital"},
    {25, "audiomulch"}, {26, "presonus"},   {27, "vst3plugintesthost"},
    {2, "protools"},    {28, "ardour"},     {24, "standalone"},
};

const HostEntry kDisplay[] = {
    {1, "Reaper"},
    {2, "ProTools"},
    {3, "Cubase"},
    {4, "Nuendo"},
    {5, "Sonar"},
    {6, "Vegas"},
    {7, "FLStudio"},
    {8, "Samplitude"},
    {9, "Live"},
    {13, "VSTScanner"},
    {14, "AULab"},
    {15, "Forte"},
    {16, "Chainer"},
    {17, "Audition"},
    {18, "Orion"},
    {20, "SAWStudio"},
    {21, "Logic"},
    {22, "GarageBand"},
    {23, "DigitalPerformer"},
    {24, "Standalone"},
    {25, "AudioMulch"},
    {26, "StudioOne"},
    {27, "VST3PluginTestHost"},
    {28, "Ardour"},
};

}  // namespace

void CopyLowerCase(char* out, const char* text)
{
    if (!text) text = "";
    for (; *text; ++text, ++out) *out = char(std::tolower(static_cast<unsigned char>(*text)));
    *out = '\0';
}

int HostIdFromName(const char* hostName)
{
    if (!hostName) hostName = "";
    // Sized to the name, so long names are searched whole.
    HeapBuffer work(128);
    if (!work.Resize(int(std::strlen(hostName)) + 1)) return 0;
    char* lower = static_cast<char*>(work.Data());
    CopyLowerCase(lower, hostName);
    for (const HostEntry& entry : kDetection)
        if (std::strstr(lower, entry.text)) return entry.number;
    return 0;
}

void HostDisplayName(int hostNumber, char* out)
{
    if (!out) return;
    const char* name = "Unknown";
    for (const HostEntry& entry : kDisplay)
        if (entry.number == hostNumber) name = entry.text;
    std::strcpy(out, name);
}

void IUnitBase::SetHost(const char* hostName, int hostVersion)
{
    mHostId = HostIdFromName(hostName);
    mHostVersion = hostVersion;
    char version[20];
    FormatVersion(hostVersion, version);
    LogTracePoint("SetHost", __LINE__, "host_%sknown:%s:%s", mHostId == 0 ? "un" : "",
                  hostName ? hostName : "", version);
}
