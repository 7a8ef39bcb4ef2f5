#include "app/audio_device_list.h"

#include <algorithm>
#include <cstdio>

#include "app/settings.h"

void AudioDeviceLists::Clear()
{
    inputs.clear();
    outputs.clear();
    names.clear();
}

void AudioDeviceLists::AddDevice(const std::string& name, bool probed, unsigned inputChannels,
                                 unsigned outputChannels)
{
    const unsigned index = unsigned(names.size());
    names.push_back(name);
    if (!probed || name == "Generic Low Latency ASIO Driver") {
        printf("%s: Probe Status = Unsuccessful\n", name.c_str());
        fflush(stdout);
        return;
    }
    if (inputChannels > 0) inputs.push_back(index);
    if (outputChannels > 0) outputs.push_back(index);
}

int AudioDeviceLists::Find(const char* name) const
{
    if (!name) return -1;
    // Compared as a settings field holds a name: cut to the field.
    const auto found = std::find_if(names.begin(), names.end(), [name](const std::string& n) {
        return n.compare(0, kSettingsTextSize - 1, name) == 0;
    });
    return found == names.end() ? -1 : int(found - names.begin());
}
