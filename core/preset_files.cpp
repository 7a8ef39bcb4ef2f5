#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/chunk_version_header.h"
#include "core/critical_section.h"
#include "core/four_char_code.h"
#include "core/heap_buffer.h"
#include "core/preset_bank_read.h"
#include "core/state_chunk.h"
#include "core/text_buffer.h"
#include "core/unit_base.h"

// Program (fxp) and bank (fxb) files: big-endian records of a four-character
// chunk mark, a byte size, a format mark and the plug-in's identity, followed
// by parameter values, program records or an opaque state chunk.

namespace {

constexpr uint32_t kChunkMark = uint32_t(FourCharCode("CcnK"));
constexpr uint32_t kProgramValuesMark = uint32_t(FourCharCode("FxCk"));
constexpr uint32_t kProgramChunkMark = uint32_t(FourCharCode("FPCh"));
constexpr uint32_t kBankProgramsMark = uint32_t(FourCharCode("FxBk"));
constexpr uint32_t kBankChunkMark = uint32_t(FourCharCode("FBCh"));

constexpr int32_t kProgramVersion = 1;
constexpr int32_t kBankVersion = 2;
constexpr int kNameFieldSize = 28;
constexpr int kProgramHeaderSize = 56;  // through the name
constexpr int kBankReservedSize = 124;
constexpr int kBankHeaderSize = 156;  // through the reserved bytes
constexpr int kByteSizeOffset = 4;
constexpr int kFirstAllocation = 4000;
constexpr int kMaxFileSize = 64 * 1024 * 1024;

// Appends big-endian fields to a growable buffer whose first block asks for
// kFirstAllocation bytes, and remembers whether every append grew it.
class BigEndianWriter {
public:
    BigEndianWriter() : mBytes(kFirstAllocation) { mComplete = mBytes.Resize(kFirstAllocation); }

    bool Complete() const { return mComplete; }
    int Size() const { return mSize; }
    const uint8_t* Data() const { return static_cast<const uint8_t*>(mBytes.Data()); }

    void PutBytes(const void* bytes, int n)
    {
        if (n <= 0) return;
        if (!mComplete || n > INT_MAX - mSize) {
            mComplete = false;
            return;
        }
        if (mSize + n > mBytes.Size() && !mBytes.Resize(mSize + n)) {
            mComplete = false;
            return;
        }
        std::memcpy(static_cast<uint8_t*>(mBytes.Data()) + mSize, bytes, size_t(n));
        mSize += n;
    }
    void PutU32(uint32_t value)
    {
        uint8_t bytes[4];
        Encode(value, bytes);
        PutBytes(bytes, 4);
    }
    void PutI32(int32_t value) { PutU32(uint32_t(value)); }
    void PutFloat(float value)
    {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        PutU32(bits);
    }
    // The name's first kNameFieldSize - 1 characters, zero-filled.
    void PutName(const char* name)
    {
        char field[kNameFieldSize] = {};
        for (int i = 0; name && i < kNameFieldSize - 1 && name[i] != '\0'; ++i) field[i] = name[i];
        PutBytes(field, kNameFieldSize);
    }
    // Sets the byte size of the record that starts at start to what follows
    // that field.
    void EndRecord(int start)
    {
        const int at = start + kByteSizeOffset;
        if (at < 0 || mSize - at < 4) return;
        Encode(uint32_t(mSize - at - 4), static_cast<uint8_t*>(mBytes.Data()) + at);
    }

private:
    static void Encode(uint32_t value, uint8_t* bytes)
    {
        bytes[0] = uint8_t(value >> 24);
        bytes[1] = uint8_t(value >> 16);
        bytes[2] = uint8_t(value >> 8);
        bytes[3] = uint8_t(value);
    }

    HeapBuffer mBytes;
    int mSize = 0;
    bool mComplete;
};

// Reads big-endian fields from a position onward. A field that is not all
// there reads as 0, and so does every field after it.
class BigEndianReader {
public:
    BigEndianReader(const uint8_t* data, int size) : mData(data), mSize(size) {}

    bool RanOut() const { return mRanOut; }
    // Whether n more bytes are there.
    bool Holds(int64_t n) const { return !mRanOut && mSize - mPosition >= n; }

    void Skip(int n) { Take(n); }
    uint32_t U32()
    {
        const uint8_t* b = Take(4);
        return b ? uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3] : 0;
    }
    int32_t I32() { return int32_t(U32()); }
    // False, with value untouched, when the four bytes are not there.
    bool Float(float* value)
    {
        const bool there = !RanOut() && mSize - mPosition >= 4;
        const uint32_t bits = U32();
        if (there) std::memcpy(value, &bits, sizeof bits);
        return there;
    }
    // A name field: at most its first kNameFieldSize - 1 bytes, terminated.
    void Name(char (&name)[kNameFieldSize])
    {
        std::memset(name, 0, sizeof name);
        const uint8_t* field = Take(kNameFieldSize);
        if (field) std::memcpy(name, field, kNameFieldSize - 1);
    }

private:
    const uint8_t* Take(int n)
    {
        if (mRanOut || mSize - mPosition < n) {
            mRanOut = true;
            return nullptr;
        }
        const uint8_t* at = mData + mPosition;
        mPosition += n;
        return at;
    }

    const uint8_t* mData;
    int mSize;
    int mPosition = 0;
    bool mRanOut = false;
};

// The fields a program file and a bank's program record start with.
struct ProgramHeader {
    uint32_t chunkMark;
    uint32_t format;
    int32_t version;
    int32_t uniqueId;
    int32_t parameterCount;
    char name[kNameFieldSize];
};

ProgramHeader ReadProgramHeader(BigEndianReader* reader)
{
    ProgramHeader header;
    header.chunkMark = reader->U32();
    reader->Skip(4);  // byte size
    header.format = reader->U32();
    header.version = reader->I32();
    header.uniqueId = reader->I32();
    reader->Skip(4);  // plug-in version
    header.parameterCount = reader->I32();
    reader->Name(header.name);
    return header;
}

void PutProgramHeader(BigEndianWriter* writer, const IUnitBase& unit, uint32_t format,
                      const char* name)
{
    writer->PutU32(kChunkMark);
    writer->PutI32(0);  // byte size, set by EndRecord
    writer->PutU32(format);
    writer->PutI32(kProgramVersion);
    writer->PutI32(unit.UniqueId());
    writer->PutI32(unit.VersionDecimal());
    writer->PutI32(unit.ParameterCount());
    writer->PutName(name);
}

void PutBankHeader(BigEndianWriter* writer, const IUnitBase& unit, uint32_t format)
{
    writer->PutU32(kChunkMark);
    writer->PutI32(0);  // byte size, set by EndRecord
    writer->PutU32(format);
    writer->PutI32(kBankVersion);
    writer->PutI32(unit.UniqueId());
    writer->PutI32(unit.VersionDecimal());
    writer->PutI32(unit.PresetCount());
    writer->PutI32(unit.CurrentPreset());
    const uint8_t reserved[kBankReservedSize] = {};
    writer->PutBytes(reserved, kBankReservedSize);
}

// The chunk size and the chunk.
void PutChunk(BigEndianWriter* writer, const IStateChunk& chunk)
{
    writer->PutI32(chunk.Size());
    writer->PutBytes(chunk.Data(), chunk.Size());
}

// A slot's program record: its stored doubles as normalised values, 0.0 for
// each double its state does not hold.
void PutSlotRecord(BigEndianWriter* writer, const IUnitBase& unit, const IPresetSlot& slot)
{
    const int start = writer->Size();
    PutProgramHeader(writer, unit, kProgramValuesMark, slot.name);
    for (int i = 0; i < unit.ParameterCount(); ++i) {
        double value = 0.0;
        slot.state.Get(&value, i * int(sizeof value));
        writer->PutFloat(float(unit.ParameterAt(i)->Normalize(value)));
    }
    writer->EndRecord(start);
}

// Sets the parameters in index order from the next values; false, with no
// parameter changed, when the data does not hold them all.
bool ReadParameterValues(IUnitBase* unit, BigEndianReader* reader)
{
    if (!reader->Holds(4 * int64_t(unit->ParameterCount()))) return false;
    for (int i = 0; i < unit->ParameterCount(); ++i) {
        float value = 0.0f;
        reader->Float(&value);
        unit->ParameterAt(i)->SetFromNormalized(ClampNormalized(value));
    }
    return true;
}

// Asks the editor for a file; false without an editor or when none was chosen.
bool AskForPresetFile(IUnitEditor* editor, TextBuffer* path, int action, TextBuffer* folder,
                      const char* extension)
{
    if (!editor) return false;
    editor->AskForFile(path, action, folder, extension);
    return path->Get()[0] != '\0';
}

// Writes the bytes as the file path. A save that did not write everything
// removes what it wrote.
bool WriteWholeFile(const char* path, const BigEndianWriter& writer)
{
    if (!writer.Complete()) return false;
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    const size_t size = size_t(writer.Size());
    const bool written = std::fwrite(writer.Data(), 1, size, file) == size;
    const bool closed = std::fclose(file) == 0;
    if (written && closed) return true;
    std::remove(path);
    return false;
}

// The size of an open file, or -1.
long FileSize(std::FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(file);
    return std::fseek(file, 0, SEEK_SET) == 0 ? size : -1;
}

// Reads the file path into chunk, at most kMaxFileSize bytes; false when it
// cannot be opened or read or is larger.
bool ReadWholeFile(const char* path, IStateChunk* chunk)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    const long size = FileSize(file);
    bool read = size >= 0 && size <= kMaxFileSize;
    uint8_t block[16384];
    while (read) {  // the cap holds even for a file that grew since its size was taken
        const int n = int(std::fread(block, 1, sizeof block, file));
        const int before = chunk->Size();
        read = n <= kMaxFileSize - before && chunk->PutBytes(block, n) == before + n;
        if (n < int(sizeof block)) {
            read = read && !std::ferror(file);
            break;
        }
    }
    std::fclose(file);
    return read;
}

// Asks for a file to save and writes what build appends, as one record; no
// file is made when build fails.
template <class Build>
bool SavePresetFile(IUnitEditor* editor, TextBuffer* folder, const char* defaultFileName,
                    const char* extension, Build build)
{
    TextBuffer path;
    if (defaultFileName) path.Assign(defaultFileName);
    if (!AskForPresetFile(editor, &path, kFileSave, folder, extension)) return false;
    BigEndianWriter writer;
    if (!build(&writer)) return false;
    writer.EndRecord(0);
    return WriteWholeFile(path.Get(), writer);
}

// Asks for a file to open and reads all of it into file.
bool OpenPresetFile(IUnitEditor* editor, TextBuffer* folder, const char* extension,
                    IStateChunk* file)
{
    TextBuffer path;
    return AskForPresetFile(editor, &path, kFileOpen, folder, extension) &&
           ReadWholeFile(path.Get(), file);
}

}  // namespace

bool IUnitBase::SaveProgramFile(const char* defaultFileName)
{
    return SavePresetFile(
        mEditor, &mPresetFolder, defaultFileName, "fxp", [this](BigEndianWriter* writer) {
            LockGuard lock(PluginLock());  // not while the dialog waits on the user
            const char* name = PresetNameAt(mCurrentPreset);
            if (DoesChunks()) {
                IStateChunk state;
                if (!WriteChunkVersionHeader(&state) || !WriteState(&state)) return false;
                PutProgramHeader(writer, *this, kProgramChunkMark, name);
                PutChunk(writer, state);
                return true;
            }
            PutProgramHeader(writer, *this, kProgramValuesMark, name);
            for (int i = 0; i < ParameterCount(); ++i)
                writer->PutFloat(float(ParameterAt(i)->NormalizedValue()));
            return true;
        });
}

bool IUnitBase::SaveBankFile(const char* defaultFileName)
{
    return SavePresetFile(
        mEditor, &mPresetFolder, defaultFileName, "fxb", [this](BigEndianWriter* writer) {
            LockGuard lock(PluginLock());  // not while the dialog waits on the user
            if (DoesChunks()) {
                IStateChunk bank;
                if (!WriteChunkVersionHeader(&bank) || !SerializePresets(&bank)) return false;
                PutBankHeader(writer, *this, kBankChunkMark);
                PutChunk(writer, bank);
                return true;
            }
            PutBankHeader(writer, *this, kBankProgramsMark);
            for (int k = 0; k < PresetCount(); ++k) PutSlotRecord(writer, *this, *PresetAt(k));
            return true;
        });
}

bool IUnitBase::LoadProgramFile()
{
    IStateChunk file;
    if (!OpenPresetFile(mEditor, &mPresetFolder, "fxp", &file)) return false;

    LockGuard lock(PluginLock());
    BigEndianReader reader(file.Data(), file.Size());
    const ProgramHeader header = ReadProgramHeader(&reader);
    if (reader.RanOut() || header.chunkMark != kChunkMark || header.version != kProgramVersion ||
        header.uniqueId != UniqueId() || header.parameterCount != ParameterCount())
        return false;

    if (DoesChunks() && header.format == kProgramChunkMark) {
        int position = kProgramHeaderSize + 4;  // past the chunk size
        ReadChunkVersionHeader(&file, &position);
        if (position < 0 || ReadState(&file, position) < 0) return false;
    } else if (header.format == kProgramValuesMark) {
        if (!ReadParameterValues(this, &reader)) return false;
    } else {
        return false;
    }
    ModifyCurrentPreset(header.name);
    SelectPreset(mCurrentPreset);
    ReportPresetChangeToHost();
    return true;
}

bool IUnitBase::LoadBankFile()
{
    IStateChunk file;
    if (!OpenPresetFile(mEditor, &mPresetFolder, "fxb", &file)) return false;

    LockGuard lock(PluginLock());
    BigEndianReader reader(file.Data(), file.Size());
    const uint32_t chunkMark = reader.U32();
    reader.Skip(4);  // byte size
    const uint32_t format = reader.U32();
    reader.Skip(4);  // format version
    const int32_t uniqueId = reader.I32();
    reader.Skip(4);  // plug-in version
    const int32_t programCount = reader.I32();
    const int32_t currentProgram = reader.I32();
    reader.Skip(kBankReservedSize);
    if (reader.RanOut() || chunkMark != kChunkMark || uniqueId != UniqueId()) return false;

    if (DoesChunks() && format == kBankChunkMark) {
        int position = kBankHeaderSize + 4;  // past the chunk size
        ReadChunkVersionHeader(&file, &position);
        if (position < 0 || UnserializePresets(&file, position) < 0) return false;
        ReportPresetChangeToHost();
        return true;
    }
    if (format != kBankProgramsMark) return false;

    // Programs beyond the plug-in's slots are not read.
    const int programs = programCount < PresetCount() ? programCount : PresetCount();
    PresetBankRead bank(this);
    if (!bank.Ready()) return false;
    for (int k = 0; k < programs; ++k) {
        const ProgramHeader record = ReadProgramHeader(&reader);
        if (reader.RanOut() || record.chunkMark != kChunkMark ||
            record.format != kProgramValuesMark || record.version != kProgramVersion ||
            record.parameterCount != ParameterCount() || !ReadParameterValues(this, &reader) ||
            !bank.StoreCurrentState(k))
            return false;
        IPresetSlot* slot = bank.SlotAt(k);
        if (record.name[0] != '\0') CopyTextBounded(slot->name, sizeof slot->name, record.name);
    }
    bank.Commit();
    // A current program outside the slots leaves the current slot, read anew.
    if (!SelectPreset(currentProgram)) SelectPreset(mCurrentPreset);
    ReportPresetChangeToHost();
    return true;
}
