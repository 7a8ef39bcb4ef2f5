#include "support/vst_host.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "support/module_loader.h"

namespace {

// The host whose entry call is running: the plug-in may call back before its
// record's user field names the host. One creation at a time.
std::mutex gCreationMutex;
std::atomic<VstHost*> gHostBeingCreated{nullptr};

const char* const kEntryNames[] = {"VSTPluginMain", "main"};

VstHostEvent RecordOf(const Vst2Event& event)
{
    VstHostEvent record{event.type, event.byteSize, event.deltaFrames, event.flags, {}};
    if (event.type == kVst2MidiType) {
        const auto& midi = reinterpret_cast<const Vst2MidiEvent&>(event);
        record.bytes.assign(midi.midiData, midi.midiData + sizeof(midi.midiData));
    } else if (event.type == kVst2SysExType) {
        const auto& sysEx = reinterpret_cast<const Vst2SysExEvent&>(event);
        if (sysEx.dump && sysEx.dumpBytes > 0)
            record.bytes.assign(sysEx.dump, sysEx.dump + sysEx.dumpBytes);
    }
    return record;
}

}  // namespace

VstHost::~VstHost()
{
    StopAudio();
    while (!mEffects.empty()) Close(mEffects.back());
    if (mModule) CloseModule(mModule);
}

bool VstHost::Load(const std::string& path, std::string* error)
{
    if (mModule) {
        if (error) *error = "a module is already loaded";
        return false;
    }
    mModule = OpenModule(path, error);
    if (!mModule) return false;
    for (const char* name : kEntryNames) {
        if (void* entry = FindModuleSymbol(mModule, name)) {
            mEntry = reinterpret_cast<Vst2Entry>(entry);
            mEntryName = name;
            return true;
        }
    }
    CloseModule(mModule);
    mModule = nullptr;
    if (error) *error = path + " exports neither VSTPluginMain nor main";
    return false;
}

Vst2Effect* VstHost::Create()
{
    if (!mEntry) return nullptr;
    Vst2Effect* effect;
    {
        std::lock_guard<std::mutex> creating(gCreationMutex);
        gHostBeingCreated = this;
        effect = mEntry(&VstHost::Callback);
        gHostBeingCreated = nullptr;
    }
    if (!effect || effect->magic != kVst2Magic) return nullptr;
    Adopt(effect);
    return effect;
}

void VstHost::Adopt(Vst2Effect* effect)
{
    effect->user = this;
    mEffects.push_back(effect);
}

void VstHost::Close(Vst2Effect* effect)
{
    mEffects.erase(std::remove(mEffects.begin(), mEffects.end(), effect), mEffects.end());
    Dispatch(effect, kVst2Close);
}

intptr_t VstHost::Callback(Vst2Effect* effect, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float opt)
{
    VstHost* host =
        effect && effect->user ? static_cast<VstHost*>(effect->user) : gHostBeingCreated.load();
    return host ? host->Answer(effect, opcode, index, value, ptr, opt) : 0;
}

intptr_t VstHost::Answer(Vst2Effect* effect, int32_t opcode, int32_t index, intptr_t value,
                         void* ptr, float opt)
{
    TakeHostLockAsCallback();
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back({effect, opcode, index, value, opt});
    intptr_t result = 0;
    switch (opcode) {
        case kVst2HostVersion:
            result = 2400;
            break;
        case kVst2HostGetTime:
            result = giveTimeInfo ? reinterpret_cast<intptr_t>(&timeInfo) : 0;
            break;
        case kVst2HostProductString:
            if (ptr && !productString.empty()) {
                char* text = static_cast<char*>(ptr);
                const size_t length =
                    std::min(productString.size(), size_t(kVst2ProductTextLength - 1));
                std::memcpy(text, productString.data(), length);
                text[length] = 0;
                result = 1;
            }
            break;
        case kVst2HostVendorVersion:
            result = vendorVersion;
            break;
        case kVst2HostProcessEvents:
            if (const auto* list = static_cast<const Vst2EventList*>(ptr)) {
                for (int32_t i = 0; i < list->count; ++i)
                    if (list->events[i]) events.push_back(RecordOf(*list->events[i]));
            }
            result = acceptEvents;
            break;
    }
    const auto answer = answers.find(opcode);
    return answer != answers.end() ? answer->second : result;
}

intptr_t VstHost::Dispatch(Vst2Effect* effect, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string VstHost::Text(Vst2Effect* effect, int32_t opcode, int32_t index)
{
    textBuffer.fill(0);
    Dispatch(effect, opcode, index, 0, textBuffer.data());
    return std::string(textBuffer.data(), strnlen(textBuffer.data(), textBuffer.size()));
}

std::vector<uint8_t> VstHost::GetChunk(Vst2Effect* effect, bool program)
{
    void* data = nullptr;
    const intptr_t size = Dispatch(effect, kVst2GetChunk, program ? 1 : 0, 0, &data);
    if (size <= 0 || !data) return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

intptr_t VstHost::SetChunk(Vst2Effect* effect, bool program, const std::vector<uint8_t>& bytes)
{
    return Dispatch(effect, kVst2SetChunk, program ? 1 : 0, intptr_t(bytes.size()),
                    const_cast<uint8_t*>(bytes.data()));
}

intptr_t VstHost::SendEvents(Vst2Effect* effect, const std::vector<Vst2Event*>& list)
{
    // One block: the list's head and as many entries as there are events.
    const size_t bytes = std::max(sizeof(Vst2EventList),
                                  offsetof(Vst2EventList, events) + list.size() * sizeof(void*));
    std::vector<intptr_t> block((bytes + sizeof(intptr_t) - 1) / sizeof(intptr_t));
    auto* events = new (block.data()) Vst2EventList{};
    events->count = int32_t(list.size());
    for (size_t i = 0; i < list.size(); ++i) events->events[i] = list[i];
    return Dispatch(effect, kVst2ProcessEvents, 0, 0, events);
}

intptr_t VstHost::SendMidi(Vst2Effect* effect, std::initializer_list<VstMidi> messages)
{
    std::vector<Vst2MidiEvent> midi;
    for (const VstMidi& m : messages) {
        Vst2MidiEvent event{};
        event.type = kVst2MidiType;
        event.byteSize = sizeof(Vst2MidiEvent);
        event.deltaFrames = m.deltaFrames;
        event.midiData[0] = char(m.status);
        event.midiData[1] = char(m.data1);
        event.midiData[2] = char(m.data2);
        midi.push_back(event);
    }
    std::vector<Vst2Event*> list;
    for (Vst2MidiEvent& event : midi) list.push_back(reinterpret_cast<Vst2Event*>(&event));
    return SendEvents(effect, list);
}

intptr_t VstHost::SendSysEx(Vst2Effect* effect, std::initializer_list<VstSysEx> messages)
{
    std::vector<VstSysEx> dumps(messages);  // the plug-in gets writable copies
    std::vector<Vst2SysExEvent> sysEx;
    for (VstSysEx& m : dumps) {
        Vst2SysExEvent event{};
        event.type = kVst2SysExType;
        event.byteSize = sizeof(Vst2SysExEvent);
        event.deltaFrames = m.deltaFrames;
        event.dumpBytes = int32_t(m.bytes.size());
        event.dump = reinterpret_cast<char*>(m.bytes.data());
        sysEx.push_back(event);
    }
    std::vector<Vst2Event*> list;
    for (Vst2SysExEvent& event : sysEx) list.push_back(reinterpret_cast<Vst2Event*>(&event));
    return SendEvents(effect, list);
}

void VstHost::ProcessReplacing(Vst2Effect* effect, VstBuffers& buffers)
{
    effect->processReplacing(effect, buffers.inPointers.data(), buffers.outPointers.data(),
                             buffers.frames);
}

void VstHost::ProcessAdding(Vst2Effect* effect, VstBuffers& buffers)
{
    effect->processAdding(effect, buffers.inPointers.data(), buffers.outPointers.data(),
                          buffers.frames);
}

void VstHost::ProcessDoubleReplacing(Vst2Effect* effect, VstDoubleBuffers& buffers)
{
    effect->processDoubleReplacing(effect, buffers.inPointers.data(), buffers.outPointers.data(),
                                   buffers.frames);
}

void VstHost::StartAudio(Vst2Effect* effect)
{
    StopAudio();
    mAudioStop = false;
    mAudio = std::thread([this, effect] {
        mAudioId = std::this_thread::get_id();
        VstBuffers buffers(effect->inputCount, effect->outputCount, 256);
        while (!mAudioStop) {
            {
                std::lock_guard<std::timed_mutex> hold(mHostLock);
                ++mProcessCalls;
                ProcessReplacing(effect, buffers);
            }
            ++audioBlocks;
            while (mCallbacksWaiting > 0 && !mAudioStop) std::this_thread::yield();
        }
    });
    while (mAudioId.load() == std::thread::id()) std::this_thread::yield();
}

void VstHost::StopAudio()
{
    if (!mAudio.joinable()) return;
    mAudioStop = true;
    mAudio.join();
    mAudioId = std::thread::id();
}

void VstHost::TakeHostLockAsCallback()
{
    const std::thread::id audio = mAudioId;
    if (audio == std::thread::id() || audio == std::this_thread::get_id()) return;
    if (blockedCallbacks > 0) return;
    const auto deadline = std::chrono::steady_clock::now() + kHostLockWait;
    // A call the audio thread begins from now on holds the host's lock until
    // the plug-in lets it through.
    const long before = mProcessCalls;
    while (mProcessCalls == before && !mAudioStop && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ++mCallbacksWaiting;
    if (mHostLock.try_lock_until(deadline))
        mHostLock.unlock();
    else
        ++blockedCallbacks;
    --mCallbacksWaiting;
}
