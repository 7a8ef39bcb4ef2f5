// The least processor time velvane.exe can take under Wine: the duplex stream
// it opens (DirectSound, 44100 Hz, 512 frames, two 64-bit float channels
// each way, non-interleaved) with a callback that does nothing, and a window
// that every 16 ms invalidates the sonogram's 1024x257 area and blits it from
// a DIB section filled once. Runs until its window is closed or it is
// killed; says "running" on standard output once both are up.
//   floor INPUT OUTPUT    the devices by name, as settings.ini names them
#include <windows.h>

#include <RtAudio.h>

#include <cstdint>
#include <cstdio>

#include "app/audio_device_list.h"

namespace {

constexpr int kWidth = 1024, kHeight = 257;
constexpr UINT kFramePeriodMs = 16;
constexpr UINT_PTR kFrameTimer = 1;
constexpr unsigned kSampleRate = 44100;
constexpr unsigned kChannels = 2;

HDC gPictureContext = nullptr;

int EmptyCallback(void*, void*, unsigned, double, RtAudioStreamStatus, void*)
{
    return 0;
}

AudioDeviceLists ProbeDevices(RtAudio& audio)
{
    AudioDeviceLists devices;
    const unsigned count = audio.getDeviceCount();
    for (unsigned i = 0; i < count; ++i) {
        RtAudio::DeviceInfo info;
        try {
            info = audio.getDeviceInfo(i);
        } catch (const RtAudioError&) {
            info.probed = false;
        }
        devices.AddDevice(info.name, info.probed, info.inputChannels, info.outputChannels);
    }
    return devices;
}

bool StartStream(RtAudio& audio, const char* inputName, const char* outputName)
{
    const AudioDeviceLists devices = ProbeDevices(audio);
    const int input = devices.Find(inputName), output = devices.Find(outputName);
    if (input < 0 || output < 0) {
        std::fprintf(stderr, "no device named \"%s\"\n", input < 0 ? inputName : outputName);
        return false;
    }
    RtAudio::StreamParameters inParams{unsigned(input), kChannels, 0};
    RtAudio::StreamParameters outParams{unsigned(output), kChannels, 0};
    RtAudio::StreamOptions options;
    options.flags = RTAUDIO_NONINTERLEAVED;
    unsigned frames = 512;
    try {
        audio.openStream(&outParams, &inParams, RTAUDIO_FLOAT64, kSampleRate, &frames,
                         EmptyCallback, nullptr, &options);
        audio.startStream();
    } catch (const RtAudioError& error) {
        std::fprintf(stderr, "%s\n", error.getMessage().c_str());
        return false;
    }
    return true;
}

// A memory context holding a top-down 32-bit DIB section with a gradient.
HDC CreatePicture()
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section || !bits) return nullptr;
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            pixels[y * kWidth + x] = uint32_t(x / 4) << 16 | uint32_t(y) << 8 | 0x40;
    HDC context = CreateCompatibleDC(nullptr);
    SelectObject(context, section);
    return context;
}

LRESULT CALLBACK FloorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static const RECT area = {0, 0, kWidth, kHeight};
    switch (message) {
        case WM_TIMER:
            InvalidateRect(window, &area, FALSE);
            UpdateWindow(window);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC target = BeginPaint(window, &paint);
            BitBlt(target, 0, 0, kWidth, kHeight, gPictureContext, 0, 0, SRCCOPY);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND CreateFloorWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = FloorWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "VelvaneFloor";
    if (!RegisterClassA(&windowClass)) return nullptr;
    HWND window =
        CreateWindowExA(0, windowClass.lpszClassName, "Velvane floor", WS_POPUP | WS_VISIBLE, 0, 0,
                        kWidth, kHeight, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window) SetTimer(window, kFrameTimer, kFramePeriodMs, nullptr);
    return window;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: floor INPUT_DEVICE OUTPUT_DEVICE\n");
        return 2;
    }
    gPictureContext = CreatePicture();
    if (!gPictureContext || !CreateFloorWindow()) {
        std::fprintf(stderr, "could not create the window\n");
        return 1;
    }
    RtAudio audio(RtAudio::WINDOWS_DS);
    if (!StartStream(audio, argv[1], argv[2])) return 1;
    std::printf("running\n");
    std::fflush(stdout);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    try {
        audio.stopStream();
        audio.closeStream();
    } catch (const RtAudioError& error) {
        std::fprintf(stderr, "%s\n", error.getMessage().c_str());
    }
    return 0;
}
