// libFuzzer target: the state the analyser plug-in reads from outside, from
// arbitrary bytes. The first byte picks the road: a bank or program chunk
// set by a host, or a program or bank file opened through the editor. A
// refused read must leave the state as it was; what was read must then hold
// together: every display text, a chunk of the new state and a block of
// audio.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "analyser/unit_effect.h"
#include "core/vst2_abi.h"
#include "support/headless_graphics.h"

namespace {

// One plug-in serves every input, as a host's instance meets one state
// after another; making it anew would cost more than a run.
IUnitEffect* gPlug = nullptr;
Vst2Effect* gEffect = nullptr;
HeadlessGraphics* gEditor = nullptr;  // the roads through files need it

intptr_t Host(Vst2Effect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    return opcode == 1 ? 2400 : 0;  // the host's interface version
}

intptr_t Dispatch(Vst2Effect* e, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                  void* ptr = nullptr, float opt = 0.0f)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// The file an input travels through on the roads through files, under
// TMPDIR when it is set.
std::string TemporaryPath(bool program)
{
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/velvane_fuzz_state_" +
           std::to_string(getpid()) + (program ? ".fxp" : ".fxb");
}

// What a refused read leaves as it was: the values, every slot and the
// current preset.
std::vector<uint8_t> StateOf(IUnitBase* unit)
{
    IStateChunk state;
    unit->SerializeParams(&state);
    unit->SerializePresets(&state);
    state.Put(int32_t(unit->CurrentPreset()));
    return std::vector<uint8_t>(state.Data(), state.Data() + state.Size());
}

void Exercise(Vst2Effect* e)
{
    char text[256];
    for (int i = 0; i < e->parameterCount; ++i) {
        Dispatch(e, kVst2GetParameterDisplay, i, 0, text);
        Dispatch(e, kVst2GetParameterLabel, i, 0, text);
        const float value = e->getParameter(e, i);
        if (!(value >= 0.0f && value <= 1.0f)) __builtin_trap();
    }
    Dispatch(e, kVst2GetProgramName, 0, 0, text);
    void* chunk = nullptr;
    Dispatch(e, kVst2GetChunk, 0, 0, &chunk);
    Dispatch(e, kVst2GetChunk, 1, 0, &chunk);
    constexpr int kFrames = 256;
    std::vector<float> left(kFrames, 0.25f), right(kFrames, -0.25f);
    float* inputs[2] = {left.data(), right.data()};
    e->processReplacing(e, inputs, nullptr, kFrames);
}

// With VELVANE_FUZZ_SEEDS naming a folder, the plug-in's own state is
// written there on each road, as seeds of a corpus.
void WriteSeeds()
{
    const char* folder = std::getenv("VELVANE_FUZZ_SEEDS");
    if (!folder) return;
    for (uint8_t road = 0; road < 4; ++road) {
        std::vector<uint8_t> seed(1, road);
        if (road < 2) {
            void* chunk = nullptr;
            const intptr_t size = Dispatch(gEffect, kVst2GetChunk, road, 0, &chunk);
            if (chunk && size > 0)
                seed.insert(seed.end(), static_cast<uint8_t*>(chunk),
                            static_cast<uint8_t*>(chunk) + size);
        } else if (gEditor) {
            const std::string file = std::string(folder) + "/file.fx";
            gEditor->fileAnswer = file;
            if (road == 2 ? gPlug->SaveProgramFile("seed") : gPlug->SaveBankFile("seed")) {
                FILE* in = std::fopen(file.c_str(), "rb");
                for (int c; in && (c = std::fgetc(in)) != EOF;) seed.push_back(uint8_t(c));
                if (in) std::fclose(in);
            }
            std::remove(file.c_str());
        }
        WriteFile(std::string(folder) + "/seed" + std::to_string(road), seed.data(), seed.size());
    }
}

}  // namespace

// Runs before libFuzzer reads the corpus folders, so that the seeds are read.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gPlug = CreatePlugInstance(Host);
    if (!gPlug) return 0;
    gEffect = gPlug->Effect();
    Dispatch(gEffect, kVst2Open);
    Dispatch(gEffect, kVst2SetSampleRate, 0, 0, nullptr, 44100.0f);
    Dispatch(gEffect, kVst2SetBlockSize, 0, 256);
    Dispatch(gEffect, kVst2MainsChanged, 0, 1);
    gEditor = dynamic_cast<HeadlessGraphics*>(AttachedGraphics(gPlug));
    WriteSeeds();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!gEffect || size < 1 || size > (1u << 20)) return 0;
    const int road = data[0] % 4;
    const uint8_t* payload = data + 1;
    const size_t length = size - 1;
    const std::vector<uint8_t> before = StateOf(gPlug);
    bool read = true;
    if (road < 2) {
        // The plug-in only reads a chunk it is given (it copies it first).
        read = Dispatch(gEffect, kVst2SetChunk, road, intptr_t(length),
                        const_cast<uint8_t*>(payload)) == 1;
    } else if (gEditor) {
        const std::string path = TemporaryPath(road == 2);
        if (WriteFile(path, payload, length)) {
            gEditor->fileAnswer = path;
            read = road == 2 ? gPlug->LoadProgramFile() : gPlug->LoadBankFile();
        }
        std::remove(path.c_str());
    }
    if (!read && StateOf(gPlug) != before) __builtin_trap();
    Exercise(gEffect);
    return 0;
}
