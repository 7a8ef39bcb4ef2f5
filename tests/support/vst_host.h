#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/vst2_abi.h"

// One call a plug-in made to its host.
struct VstHostCall {
    Vst2Effect* effect;
    int32_t opcode, index;
    intptr_t value;
    float opt;
};

// One event a plug-in handed its host (opcode 8): the four MIDI bytes of a
// MIDI event, the dump of a system-exclusive one, nothing for other types.
struct VstHostEvent {
    int32_t type, byteSize, deltaFrames, flags;
    std::vector<uint8_t> bytes;
};

// Events the host sends a plug-in (opcode 25).
struct VstMidi {
    uint8_t status, data1, data2;
    int32_t deltaFrames = 0;
};
struct VstSysEx {
    std::vector<uint8_t> bytes;
    int32_t deltaFrames = 0;
};

// Zeroed channel buffers of one sample type and the pointer lists a process
// entry takes.
template <typename Sample>
struct VstBuffersOf {
    VstBuffersOf(int inputs, int outputs, int32_t frames)
        : in(inputs, std::vector<Sample>(frames)),
          out(outputs, std::vector<Sample>(frames)),
          frames(frames)
    {
        for (auto& channel : in) inPointers.push_back(channel.data());
        for (auto& channel : out) outPointers.push_back(channel.data());
    }
    VstBuffersOf(const VstBuffersOf&) = delete;  // the pointers would name the original's
    VstBuffersOf& operator=(const VstBuffersOf&) = delete;
    std::vector<std::vector<Sample>> in, out;
    std::vector<Sample*> inPointers, outPointers;
    int32_t frames;
};
using VstBuffers = VstBuffersOf<float>;
using VstDoubleBuffers = VstBuffersOf<double>;

// A small VST 2 host for tests: loads a module, makes plug-ins from it,
// records every call they make back and answers as scripted below.
class VstHost {
public:
    VstHost() = default;
    // Closes every plug-in still open, then unloads the module.
    ~VstHost();
    VstHost(const VstHost&) = delete;
    VstHost& operator=(const VstHost&) = delete;

    // Loads the module and finds its entry, VSTPluginMain or else main.
    bool Load(const std::string& path, std::string* error);
    // The entry's name that Load found, or null.
    const char* EntryName() const { return mEntryName; }

    // A new plug-in from the module's entry, or null when the entry gives
    // none or a record without the magic.
    Vst2Effect* Create();
    // Takes a plug-in made in-process with Callback as its host callback.
    void Adopt(Vst2Effect* effect);
    // Opcode 1: the plug-in deletes itself.
    void Close(Vst2Effect* effect);

    // The host callback every plug-in of a VstHost is given.
    static intptr_t Callback(Vst2Effect* effect, int32_t opcode, int32_t index, intptr_t value,
                             void* ptr, float opt);

    intptr_t Dispatch(Vst2Effect* effect, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                      void* ptr = nullptr, float opt = 0);
    // The text the opcode writes into textBuffer, zeroed before the call.
    std::string Text(Vst2Effect* effect, int32_t opcode, int32_t index = 0);
    // Opcode 23 (bank or program): a copy of the bytes handed out.
    std::vector<uint8_t> GetChunk(Vst2Effect* effect, bool program);
    // Opcode 24 with the bytes.
    intptr_t SetChunk(Vst2Effect* effect, bool program, const std::vector<uint8_t>& bytes);
    // Opcode 25 with one event list holding the messages in order.
    intptr_t SendMidi(Vst2Effect* effect, std::initializer_list<VstMidi> messages);
    intptr_t SendSysEx(Vst2Effect* effect, std::initializer_list<VstSysEx> messages);

    void ProcessReplacing(Vst2Effect* effect, VstBuffers& buffers);
    void ProcessAdding(Vst2Effect* effect, VstBuffers& buffers);
    void ProcessDoubleReplacing(Vst2Effect* effect, VstDoubleBuffers& buffers);

    // The host's audio thread: processes the plug-in block after block
    // (processReplacing, silence) while holding the host's own lock around
    // each call, until StopAudio. While it runs, a callback from any other
    // thread takes that lock too once the audio thread is inside a call, as a
    // host does that serialises automation against processing. A plug-in
    // that calls its host while holding its own lock then waits for itself:
    // the callback gives up after kHostLockWait and counts in
    // blockedCallbacks, and later callbacks no longer wait.
    void StartAudio(Vst2Effect* effect);
    void StopAudio();
    static constexpr std::chrono::seconds kHostLockWait{10};
    std::atomic<int> blockedCallbacks{0};
    std::atomic<long> audioBlocks{0};

    // The script, set before the plug-in asks. Answers override the
    // defaults of their opcodes.
    std::map<int32_t, intptr_t> answers;
    bool giveTimeInfo = false;  // opcode 7 hands out &timeInfo, else 0
    Vst2TimeInfo timeInfo{};
    std::string productString;   // opcode 33 copies it when not empty
    intptr_t vendorVersion = 0;  // opcode 34
    intptr_t acceptEvents = 1;   // opcode 8

    // What the plug-ins did, recorded under mutex.
    std::mutex mutex;
    std::vector<VstHostCall> calls;
    std::vector<VstHostEvent> events;

    std::array<char, 256> textBuffer{};

private:
    intptr_t Answer(Vst2Effect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                    float opt);
    intptr_t SendEvents(Vst2Effect* effect, const std::vector<Vst2Event*>& list);
    // What a callback off the audio thread does while the audio thread runs.
    void TakeHostLockAsCallback();

    void* mModule = nullptr;
    Vst2Entry mEntry = nullptr;
    const char* mEntryName = nullptr;
    std::vector<Vst2Effect*> mEffects;

    std::thread mAudio;
    std::atomic<std::thread::id> mAudioId{};  // of the running audio thread, else none
    std::atomic<bool> mAudioStop{false};
    std::timed_mutex mHostLock;
    std::atomic<long> mProcessCalls{0};     // begun by the audio thread, each under mHostLock
    std::atomic<int> mCallbacksWaiting{0};  // the audio thread lets them have the lock
};
