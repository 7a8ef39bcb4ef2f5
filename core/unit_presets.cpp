#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/debug_text.h"
#include "core/preset_bank_read.h"
#include "core/presets.h"
#include "core/unit_base.h"

namespace {

constexpr double kNotGiven = 9.999e-08;
const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

void CopyPresetName(char (&field)[kPresetNameSize], const char* text)
{
    std::snprintf(field, sizeof field, "%s", text ? text : "");
}

// Marks the slot used, names it and empties its state for what is written next.
IPresetSlot* ClaimPreset(IPresetSlot* slot, const char* name)
{
    if (!slot) return nullptr;
    slot->used = true;
    CopyPresetName(slot->name, name);
    slot->state.Clear();
    return slot;
}

// The first unused slot, claimed; null when every slot is used.
IPresetSlot* ClaimUnusedPreset(const PointerList<IPresetSlot>* presets, const char* name)
{
    return ClaimPreset(FindUnusedPreset(presets), name);
}

// Writes the current state into a fresh chunk and puts it in place of state
// only when the whole write succeeded.
bool ReplaceWithCurrentState(IUnitBase* unit, IStateChunk* state)
{
    IStateChunk fresh;
    return unit->WriteState(&fresh) && state->Assign(&fresh);
}

bool TakesIntArgument(const IParameter* param)
{
    const IParameterKind kind = param->Kind();
    return kind == IParameterKind::Bool || kind == IParameterKind::Int ||
           kind == IParameterKind::Enum;
}

int Base64Value(char c)
{
    const char* at = c ? std::strchr(kBase64Alphabet, c) : nullptr;
    return at ? int(at - kBase64Alphabet) : -1;
}

// Decodes until the end of text or the first character outside the alphabet;
// writes at most size bytes and returns how many it wrote.
int DecodeBase64(const char* text, uint8_t* out, int size)
{
    int written = 0;
    uint32_t bits = 0;
    int count = 0;
    for (const char* p = text; p && written < size; ++p) {
        const int value = Base64Value(*p);
        if (value < 0) break;
        bits = (bits << 6 | uint32_t(value)) & 0xFFFFFF;
        count += 6;
        if (count >= 8) {
            count -= 8;
            out[written++] = uint8_t(bits >> count);
        }
    }
    return written;
}

// Writes the padded base64 text of n bytes to file; false on a write error.
bool WriteBase64(std::FILE* file, const uint8_t* bytes, int n)
{
    for (int i = 0; i < n; i += 3) {
        const int left = n - i;
        const uint32_t triple = uint32_t(bytes[i]) << 16 |
                                (left > 1 ? uint32_t(bytes[i + 1]) << 8 : 0) |
                                (left > 2 ? uint32_t(bytes[i + 2]) : 0);
        const char quad[4] = {kBase64Alphabet[triple >> 18 & 63],
                              kBase64Alphabet[triple >> 12 & 63],
                              left > 1 ? kBase64Alphabet[triple >> 6 & 63] : '=',
                              left > 2 ? kBase64Alphabet[triple & 63] : '='};
        if (std::fwrite(quad, 1, 4, file) != 4) return false;
    }
    return true;
}

// Closes file; true when nothing failed while writing or closing.
bool CloseWritten(std::FILE* file, bool written)
{
    written = written && !std::ferror(file);
    return std::fclose(file) == 0 && written;
}

}  // namespace

IPresetSlot* FindUnusedPreset(const PointerList<IPresetSlot>* presets)
{
    for (int i = 0; presets && i < presets->Count(); ++i) {
        IPresetSlot* slot = presets->ItemAt(i);
        if (!slot->used) return slot;
    }
    return nullptr;
}

void MakeUserPresetName(const PointerList<IPresetSlot>* presets, char* out)
{
    int named = 0;
    for (int i = 0; presets && i < presets->Count(); ++i)
        if (std::strstr(presets->ItemAt(i)->name, "user preset")) ++named;
    std::snprintf(out, kPresetNameSize, "%s %d", "user preset", named + 1);
}

void IUnitBase::StoreStateAsPresets(const char* name, int count)
{
    for (int i = 0; i < count; ++i) {
        IPresetSlot* slot = ClaimUnusedPreset(&mPresets, name ? name : "Empty");
        if (!slot) return;
        WriteState(&slot->state);
    }
}

void IUnitBase::FillUnusedPresets()
{
    StoreStateAsPresets("Empty", PresetCount());
}

void IUnitBase::MakePresetFromValues(const char* name, ...)
{
    IPresetSlot* slot = ClaimUnusedPreset(&mPresets, name);
    if (!slot) return;
    std::va_list args;
    va_start(args, name);
    for (int i = 0; i < ParameterCount(); ++i) {
        const double value =
            TakesIntArgument(ParameterAt(i)) ? double(va_arg(args, int)) : va_arg(args, double);
        slot->state.Put(value);
    }
    va_end(args);
}

void IUnitBase::MakePresetFromNamedParams(const char* name, int n, ...)
{
    HeapBuffer working(4096);
    const int count = ParameterCount();
    if (!working.Resize(count * int(sizeof(double)))) return;
    double* values = static_cast<double*>(working.Data());
    for (int i = 0; i < count; ++i) values[i] = kNotGiven;

    // The type of a value follows from its parameter, so the pairs after an
    // index outside the list cannot be read and are ignored with it.
    std::va_list args;
    va_start(args, n);
    for (int i = 0; i < n; ++i) {
        const int index = va_arg(args, int);
        const IParameter* param = ParameterAt(index);
        if (!param) break;
        values[index] = TakesIntArgument(param) ? double(va_arg(args, int)) : va_arg(args, double);
    }
    va_end(args);

    IPresetSlot* slot = ClaimUnusedPreset(&mPresets, name);
    if (!slot) return;
    for (int i = 0; i < count; ++i) {
        const double value = values[i] == kNotGiven ? ParameterAt(i)->Value() : values[i];
        slot->state.Put(value);
    }
}

void IUnitBase::MakePresetFromBytes(const char* name, const IStateChunk* state)
{
    IPresetSlot* slot = ClaimUnusedPreset(&mPresets, name);
    if (slot) slot->state.PutChunk(state);
}

void IUnitBase::MakePresetFromBlob(const char* name, const char* base64Text, int size)
{
    HeapBuffer bytes(4096);
    if (!bytes.Resize(size)) return;
    uint8_t* data = static_cast<uint8_t*>(bytes.Data());
    if (data) {
        std::memset(data, 0, size_t(size));
        DecodeBase64(base64Text, data, size);
    }
    IStateChunk chunk;
    if (chunk.PutBytes(data, bytes.Size()) != bytes.Size()) return;
    MakePresetFromBytes(name, &chunk);
}

void IUnitBase::DropUnusedPresets()
{
    const IPresetSlot* current = PresetAt(mCurrentPreset);
    int newCurrent = 0;  // when the current slot goes, the first slot becomes current
    for (int i = PresetCount() - 1; i >= 0; --i)
        if (!PresetAt(i)->used) mPresets.RemoveAt(i, true);
    for (int i = 0; i < PresetCount(); ++i)
        if (PresetAt(i) == current) newCurrent = i;
    mCurrentPreset = newCurrent;
}

bool IUnitBase::SelectPreset(int index)
{
    IPresetSlot* slot = PresetAt(index);
    if (!slot) return false;
    bool selected;
    if (slot->used) {
        selected = ReadState(&slot->state, 0) > 0;
    } else {
        char name[kPresetNameSize];
        MakeUserPresetName(&mPresets, name);
        selected = WriteState(&ClaimPreset(slot, name)->state);
    }
    if (!selected) return false;
    mCurrentPreset = index;
    CurrentPresetChanged();
    PushParametersToEditor();
    return true;
}

bool IUnitBase::SelectPresetByName(const char* name)
{
    if (!name || !name[0]) return false;
    for (int i = 0; i < PresetCount(); ++i)
        if (std::strcmp(PresetAt(i)->name, name) == 0) return SelectPreset(i);
    return false;
}

const char* IUnitBase::PresetNameAt(int index) const
{
    const IPresetSlot* slot = PresetAt(index);
    return slot ? slot->name : "";
}

void IUnitBase::ModifyCurrentPreset(const char* name)
{
    IPresetSlot* slot = PresetAt(mCurrentPreset);
    if (!slot) return;
    LogTracePoint("ModifyCurrentPreset", __LINE__, "%d %s", mCurrentPreset, slot->name);
    if (!ReplaceWithCurrentState(this, &slot->state)) return;
    if (name && name[0]) CopyPresetName(slot->name, name);
}

bool IUnitBase::SerializePresets(IStateChunk* chunk)
{
    for (int i = 0; i < PresetCount(); ++i) {
        const IPresetSlot* slot = PresetAt(i);
        const int before = chunk->Size();
        const int nameEnd = before + 4 + int(std::strlen(slot->name));
        if (chunk->PutStr(slot->name) != nameEnd) return false;
        LogTracePoint("SerializePresets", __LINE__, "%d %s", i, slot->name);
        if (chunk->PutBool(slot->used) != nameEnd + 1) return false;
        if (slot->used && chunk->PutChunk(&slot->state) != nameEnd + 1 + slot->state.Size())
            return false;
    }
    return true;
}

int IUnitBase::UnserializePresets(const IStateChunk* chunk, int position)
{
    if (position < 0) return -1;
    PresetBankRead bank(this);
    if (!bank.Ready()) return -1;
    for (int i = 0; i < PresetCount() && position >= 0; ++i) {
        IPresetSlot* slot = bank.SlotAt(i);
        TextBuffer name;
        position = chunk->GetStr(&name, position);
        if (position >= 0) CopyPresetName(slot->name, name.Get());
        LogTracePoint("UnserializePresets", __LINE__, "%d %s", i, slot->name);
        bool used = slot->used;
        position = chunk->GetBool(&used, position);
        if (position < 0) break;
        slot->used = used;
        if (!used) continue;
        position = ReadState(chunk, position);
        if (position > 0 && !bank.StoreCurrentState(i)) position = -1;
    }
    if (position < 0) return -1;  // the bank puts the parameters back
    bank.Commit();
    SelectPreset(mCurrentPreset);
    return position;
}

bool IUnitBase::WriteNamedParamsSource(const char* path, const char** parameterIdentifiers)
{
    std::FILE* file = path ? std::fopen(path, "w") : nullptr;
    if (!file) return false;
    std::fprintf(file, "  MakePresetFromNamedParams(\"name\", %d", ParameterCount());
    for (int i = 0; i < ParameterCount(); ++i) {
        const IParameter* param = ParameterAt(i);
        const char* identifier =
            parameterIdentifiers && parameterIdentifiers[i] ? parameterIdentifiers[i] : "";
        std::fprintf(file, ",\n    %s, ", identifier);
        switch (param->Kind()) {
            case IParameterKind::Bool:
                std::fputs(param->Value() >= 0.5 ? "true" : "false", file);
                break;
            case IParameterKind::Int:
            case IParameterKind::Enum:
                std::fprintf(file, "%d", int(param->Value()));
                break;
            default:
                std::fprintf(file, "%.6f", param->Value());
                break;
        }
    }
    std::fprintf(file, ");\n");
    return CloseWritten(file, true);
}

bool IUnitBase::WriteBlobSource(const char* path)
{
    std::FILE* file = path ? std::fopen(path, "w") : nullptr;
    if (!file) return false;
    const IPresetSlot* slot = PresetAt(mCurrentPreset);
    const int size = slot ? slot->state.Size() : 0;
    std::fprintf(file, "MakePresetFromBlob(\"name\", \"");
    const bool written = WriteBase64(file, slot ? slot->state.Data() : nullptr, size);
    std::fprintf(file, "\", %i);\n", size);
    return CloseWritten(file, written);
}
