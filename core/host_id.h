#pragma once

// Host numbers: -1 not yet known, 0 an unrecognised host, 1 to 28 known hosts.

// The host number of a product name: the first detection text found in the
// lower-cased name decides; 0 when none is found or the name is null.
int HostIdFromName(const char* hostName);

// Writes the display name of a host number, "Unknown" for numbers without
// one; out holds at least 19 bytes.
void HostDisplayName(int hostNumber, char* out);

// Copies text lower-cased character by character and terminates the copy;
// out holds at least strlen(text) + 1 bytes. A null text copies as "".
void CopyLowerCase(char* out, const char* text);
