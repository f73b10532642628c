#pragma once
// What the DLL as a whole keeps: its own module, and the counts of live objects (the event
// sinks it handed to the IDE among them) and of locks that DllCanUnloadNow answers from.

#include <windows.h>

#include <filesystem>

namespace brindle::dll {

void SetModule(HMODULE module);
// The DLL's own file.
std::filesystem::path ModuleFile();

void ObjectMade();
void ObjectGone();
void LockServer(bool lock);
bool CanUnload();

}  // namespace brindle::dll
