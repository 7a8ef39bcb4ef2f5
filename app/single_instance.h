#pragma once

#include <windows.h>

// The name of the mutex that marks a running Velvane.
constexpr char kInstanceMutexName[] = "tq_Velvane";

// Creates the named mutex that marks a running instance and gives its
// handle. Null when a mutex of that name already exists (another instance
// created it: the handle is closed again) or none can be created. Two
// copies started at once cannot both get a handle.
HANDLE ClaimSingleInstance(const char* name);

// Brings the running instance's main dialog to the front, when it has one.
void BringRunningInstanceToFront();
