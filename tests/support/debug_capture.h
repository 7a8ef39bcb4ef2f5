#pragma once

#include <mutex>
#include <string>
#include <vector>

// While alive, collects every text the program sends to the system debugger:
// from the native debug sink, or on Windows from the exception that
// OutputDebugStringA raises. One capture at a time.
class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    std::vector<std::string> Texts() const
    {
        std::lock_guard<std::mutex> lock(mMutex);
        return mTexts;
    }

    void Add(std::string text)
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mTexts.push_back(std::move(text));
    }

private:
    mutable std::mutex mMutex;
    std::vector<std::string> mTexts;
    void* mHandler = nullptr;
};
