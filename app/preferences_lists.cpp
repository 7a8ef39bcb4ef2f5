#include "app/preferences_lists.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

const char* const kIoVectorSizes[9] = {"32",   "64",   "128",  "256", "512",
                                       "1024", "2048", "4096", "8192"};
const char* const kSignalVectorSizes[7] = {"16", "32", "64", "128", "256", "512", "1024"};
const char* const kDriverTypes[2] = {"DirectSound", "ASIO"};
const char* const kMidiChannelNames[17] = {"all", "1",  "2",  "3",  "4",  "5",  "6",  "7", "8",
                                           "9",   "10", "11", "12", "13", "14", "15", "16"};

namespace {

template <size_t N>
const char* EntryOr(const char* const (&list)[N], int selection, const char* stored)
{
    return selection >= 0 && size_t(selection) < N ? list[selection] : stored;
}

}  // namespace

VectorSizeChoice ChooseVectorSizes(int ioSelection, int signalSelection, const char* storedIo,
                                   const char* storedSignal)
{
    const char* io = EntryOr(kIoVectorSizes, ioSelection, storedIo);
    const char* signal = EntryOr(kSignalVectorSizes, signalSelection, storedSignal);
    if (atoi(io) < atoi(signal)) return {io, kSignalVectorSizes[0], true};
    return {io, signal, false};
}

const char* IoVectorSizeEntryFor(const char* storedIo, const char* storedSignal)
{
    for (const char* entry : kIoVectorSizes)
        if (strcmp(entry, storedIo) == 0) return entry;
    const int least = std::max(atoi(storedIo), atoi(storedSignal));
    for (const char* entry : kIoVectorSizes)
        if (atoi(entry) >= least) return entry;
    return kIoVectorSizes[std::size(kIoVectorSizes) - 1];
}
