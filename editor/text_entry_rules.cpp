#include "editor/text_entry_rules.h"

#include "core/parameter.h"

namespace {

constexpr int kEscapeChar = 27;

}  // namespace

int TextEntryLimit(int maxChars)
{
    return maxChars >= 1 && maxChars <= kTextEntryMaxLength ? maxChars : kTextEntryMaxLength;
}

bool TextEntryAcceptsChar(const IParameter* parameter, int c)
{
    if (c == '\b') return true;
    if (c == '\r' || c == '\n' || c == kEscapeChar) return false;
    const IParameterKind kind = parameter ? parameter->Kind() : IParameterKind::NotSet;
    if (kind == IParameterKind::NotSet) return true;
    const bool sign = c == '+' || c == '-', digit = c >= '0' && c <= '9';
    if (kind == IParameterKind::Double) return sign || digit || c == '.';
    return sign || digit;
}
