#include "core/text_buffer.h"

#include <cstring>

void CopyTextBounded(char* buffer, std::size_t size, const char* text)
{
    if (!buffer || size == 0) return;
    const std::size_t length = text ? strnlen(text, size - 1) : 0;
    if (length) std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

namespace {

int TextLength(const char* text, int maxLength)
{
    if (!text) return 0;
    int n = 0;
    while ((maxLength <= 0 || n < maxLength) && text[n]) ++n;
    return n;
}

}  // namespace

const char* TextBuffer::Get() const
{
    const char* data = static_cast<const char*>(mBuffer.Data());
    return data ? data : "";
}

bool TextBuffer::GrowFollowing(int size, const char*& source)
{
    const char* before = static_cast<const char*>(mBuffer.Data());
    const bool inside = before && source >= before && source < before + mBuffer.Allocated();
    const ptrdiff_t offset = inside ? source - before : 0;
    if (!mBuffer.Resize(size)) return false;
    if (inside) source = static_cast<const char*>(mBuffer.Data()) + offset;
    return true;
}

bool TextBuffer::Assign(const char* text, int maxLength)
{
    const int length = TextLength(text, maxLength);
    if (length == 0) {
        if (!mBuffer.Resize(1)) return false;
        static_cast<char*>(mBuffer.Data())[0] = '\0';
        return true;
    }
    if (mBuffer.Size() < length + 1 && !GrowFollowing(length + 1, text)) return false;
    char* data = static_cast<char*>(mBuffer.Data());
    std::memmove(data, text, size_t(length));
    data[length] = '\0';
    mBuffer.Resize(length + 1);  // a shrink keeps the block and cannot fail
    return true;
}

bool TextBuffer::Insert(int position, const char* text, int length, int following)
{
    if (position == 0 && length == 0 && following == 0) return Assign(nullptr);
    if (length < 1 || position < 0) return true;

    const int current = mBuffer.Size() > 0 ? int(std::strlen(Get())) : 0;
    if (following > current - position) following = current - position;
    if (following < 0) following = 0;

    const int oldSize = mBuffer.Size();
    const int newSize = position + length + following + 1;
    if (oldSize < newSize && !GrowFollowing(newSize, text)) return false;

    char* data = static_cast<char*>(mBuffer.Data());
    std::memmove(data + position + length, data + position, size_t(following));
    if (text) std::memmove(data + position, text, size_t(length));
    data[newSize - 1] = '\0';
    if (newSize < oldSize) mBuffer.Resize(newSize);
    return true;
}
