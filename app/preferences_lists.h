#pragma once

#include <cstddef>

// The fixed entries of the preferences lists; an entry's index is its value
// where one is stored (driver type, MIDI channel).
extern const char* const kIoVectorSizes[9];
extern const char* const kSignalVectorSizes[7];
extern const char* const kDriverTypes[2];
extern const char* const kMidiChannelNames[17];

// What the I/O and signal vector size lists store after a selection change:
// the two texts, and whether the signal list is to lose its selection.
struct VectorSizeChoice {
    const char* ioVectorSize;
    const char* signalVectorSize;
    bool clearSignalSelection;
};

// A selection of -1 (or any index outside its fixed list) means the list has
// none; its stored text stands in. When the I/O size is smaller than the
// signal size, the signal size becomes the smallest one, "16", and its list
// loses the selection. The texts point into the lists or at the stored texts.
VectorSizeChoice ChooseVectorSizes(int ioSelection, int signalSelection, const char* storedIo,
                                   const char* storedSignal);

// The I/O vector size entry the list shows for the stored texts: the stored
// one when it is an entry; otherwise the smallest entry that is neither
// smaller than the stored size (a smaller buffer is what underflows) nor
// than the signal vector size (which the rule above would reset), the
// largest entry when none is. Texts that are no numbers count as 0.
const char* IoVectorSizeEntryFor(const char* storedIo, const char* storedSignal);
