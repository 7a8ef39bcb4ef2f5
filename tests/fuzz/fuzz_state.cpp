// libFuzzer target: the state the analyser plug-in reads from outside, from
// arbitrary bytes. The first byte picks the road: a bank or program chunk
// set by a host, or a program or bank file opened through the editor. What
// was read must then hold together: every display text, a chunk of the new
// state and a block of audio.
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

void Exercise(Vst2Effect* e)
{
    char text[256];
    for (int i = 0; i < e->parameterCount; ++i) {
        Dispatch(e, kVst2GetParameterDisplay, i, 0, text);
        Dispatch(e, kVst2GetParameterLabel, i, 0, text);
        if (!(e->getParameter(e, i) >= 0.0f && e->getParameter(e, i) <= 1.0f)) __builtin_trap();
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

// One plug-in serves every input, as a host's instance meets one state
// after another; making it anew would cost more than a run.
Vst2Effect* Plugin()
{
    static Vst2Effect* e = [] {
        IUnitEffect* plug = CreatePlugInstance(Host);
        if (!plug) return static_cast<Vst2Effect*>(nullptr);
        Vst2Effect* effect = plug->Effect();
        Dispatch(effect, kVst2Open);
        Dispatch(effect, kVst2SetSampleRate, 0, 0, nullptr, 44100.0f);
        Dispatch(effect, kVst2SetBlockSize, 0, 256);
        Dispatch(effect, kVst2MainsChanged, 0, 1);
        return effect;
    }();
    return e;
}

// With VELVANE_FUZZ_SEEDS naming a folder, the plug-in's own state is
// written there once on each road, as seeds of a corpus.
void WriteSeeds(Vst2Effect* e, IUnitEffect* plug, HeadlessGraphics* editor)
{
    const char* folder = std::getenv("VELVANE_FUZZ_SEEDS");
    if (!folder) return;
    for (uint8_t road = 0; road < 4; ++road) {
        std::vector<uint8_t> seed(1, road);
        if (road < 2) {
            void* chunk = nullptr;
            const intptr_t size = Dispatch(e, kVst2GetChunk, road, 0, &chunk);
            if (chunk && size > 0)
                seed.insert(seed.end(), static_cast<uint8_t*>(chunk),
                            static_cast<uint8_t*>(chunk) + size);
        } else if (editor) {
            const std::string file = std::string(folder) + "/file.fx";
            editor->fileAnswer = file;
            if (road == 2 ? plug->SaveProgramFile("seed") : plug->SaveBankFile("seed")) {
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Vst2Effect* e = Plugin();
    if (!e || size < 1 || size > (1u << 20)) return 0;
    IUnitEffect* plug = static_cast<IUnitEffect*>(static_cast<IUnitVST*>(e->object));
    HeadlessGraphics* editor = dynamic_cast<HeadlessGraphics*>(AttachedGraphics(plug));
    static bool seeded = false;
    if (!seeded) WriteSeeds(e, plug, editor), seeded = true;

    const int road = data[0] % 4;
    std::vector<uint8_t> payload(data + 1, data + size);
    if (road < 2) {
        Dispatch(e, kVst2SetChunk, road, intptr_t(payload.size()), payload.data());
    } else {
        const std::string path =
            "/tmp/velvane_fuzz_state_" + std::to_string(getpid()) + (road == 2 ? ".fxp" : ".fxb");
        if (editor && WriteFile(path, payload.data(), payload.size())) {
            editor->fileAnswer = path;
            if (road == 2)
                plug->LoadProgramFile();
            else
                plug->LoadBankFile();
        }
    }
    Exercise(e);
    return 0;
}
