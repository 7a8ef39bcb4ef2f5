#pragma once

#include <string>
#include <vector>

// The devices of the current audio API: every device's name by device index,
// and the indexes of the usable devices that can record or play.
struct AudioDeviceLists {
    std::vector<std::string> names;  // entry i is device i's name, usable or not
    std::vector<unsigned> inputs;    // ascending
    std::vector<unsigned> outputs;   // ascending

    void Clear();

    // Appends the next device index. A device that failed to probe, or the
    // "Generic Low Latency ASIO Driver", only gets its name listed, after the
    // line "<name>: Probe Status = Unsuccessful" on standard output; a usable
    // one joins the input and output lists for the channels it has.
    void AddDevice(const std::string& name, bool probed, unsigned inputChannels,
                   unsigned outputChannels);

    // The index of the first device named exactly name (case-sensitive), a
    // name being compared as a settings field holds it (its first 99
    // characters); -1 when there is none or name is null.
    int Find(const char* name) const;
};
