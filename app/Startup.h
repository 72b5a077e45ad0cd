#pragma once
// The process start-up steps that come before any window.

// Keeps libraries planted beside the executable from being loaded: system32
// first, the current folder out of the search, and the usual victims
// preloaded from the system folder.
void HardenLibrarySearch();

// The process's unhandled-exception filter: reports the crash and lets the
// system's default handling end the process.
long __stdcall CrashFilter(struct _EXCEPTION_POINTERS* info);
