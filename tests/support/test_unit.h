#pragma once

#include <string>
#include <vector>

#include "core/text_buffer.h"
#include "core/unit_base.h"
#include "core/unit_editor.h"

// A plug-in whose host operations record what reached them.
class TestUnit : public IUnitBase {
public:
    explicit TestUnit(int nParams = 3, const char* channelIO = "2-2", int nPresets = 1,
                      int version = 0x00010000, int bindingKind = kBindingStandalone,
                      const char* effectName = "test effect", bool doesChunks = true)
        : IUnitBase(nParams, channelIO, nPresets, effectName, "test product", "test maker", version,
                    0x56747374, 0x4B747374, 0, false, doesChunks, false, bindingKind)
    {
    }

    void ParameterChanged(int index) override
    {
        IUnitBase::ParameterChanged(index);
        calls.push_back("changed " + std::to_string(index));
    }
    void BeginParameterGesture(int index) override
    {
        calls.push_back("begin " + std::to_string(index));
    }
    void ReportParameterToHost(int index, double normalized) override
    {
        calls.push_back("report " + std::to_string(index) + " " + std::to_string(normalized));
    }
    void EndParameterGesture(int index) override
    {
        calls.push_back("end " + std::to_string(index));
    }
    void ReportPresetChangeToHost() override {}
    int HostSamplePosition() override { return 0; }
    double HostTempo() override { return tempo; }
    void HostTimeSignature(int* numerator, int* denominator) override
    {
        *numerator = *denominator = 4;
    }
    void FillHostTransport(IHostTransport*) override {}
    void ApplyEditorSize(int, int) override {}
    bool TransmitMidiMessage(const IMidiEvent*) override { return false; }

    double tempo = 120.0;
    std::vector<std::string> calls;
};

// An editor that records the values pushed into it and tells when it goes.
class TestEditor : public IUnitEditor {
public:
    explicit TestEditor(std::vector<std::string>* log) : log(log) {}
    ~TestEditor() override { log->push_back("editor deleted"); }
    void ApplyParameterFromCore(int index, double value, bool normalized) override
    {
        log->push_back("apply " + std::to_string(index) + " " + std::to_string(value) +
                       (normalized ? " normalized" : " plain"));
    }
    void CreateSurfaces() override { log->push_back("surfaces"); }
    // Answers with fileAnswer, a path the test chose ("" for none).
    void AskForFile(TextBuffer* file, int action, TextBuffer*, const char* extensions) override
    {
        log->push_back("ask " + std::to_string(action) + " " + extensions);
        file->Assign(fileAnswer.c_str());
    }
    IWindowHandle OpenEditorWindow(IWindowHandle parent) override
    {
        log->push_back("open");
        return parent;
    }
    void CloseEditorWindow() override { log->push_back("close"); }
    int Width() const override { return 300; }
    int Height() const override { return 200; }

    std::string fileAnswer;

    std::vector<std::string>* log;
};
