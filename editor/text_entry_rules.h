#pragma once

class IParameter;

// The most characters a text-entry field holds: what its commit reads.
constexpr int kTextEntryMaxLength = 31;

// The field's limit for a control that asks for maxChars: maxChars within
// 1 and kTextEntryMaxLength, which is also the limit for anything below 1.
int TextEntryLimit(int maxChars);

// Whether a typed character enters a field for the parameter (null for free
// text). Backspace always does; numbers take signs and digits, doubles also
// the point; line breaks and Escape never enter, as Enter commits the field
// and Escape cancels it.
bool TextEntryAcceptsChar(const IParameter* parameter, int c);
