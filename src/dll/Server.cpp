#include "dll/Server.h"

#include <atomic>
#include <string>

#include "host/com/ComVbe.h"

namespace brindle::dll {
namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

}  // namespace

void SetModule(HMODULE module) {
    g_module = module;
}

std::filesystem::path ModuleFile() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size =
            GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (size == 0) {
            return {};
        }
        if (size < path.size()) {
            path.resize(size);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void ObjectMade() {
    ++g_objects;
}

void ObjectGone() {
    --g_objects;
}

void LockServer(bool lock) {
    if (lock) {
        ++g_locks;
    } else {
        --g_locks;
    }
}

bool CanUnload() {
    return g_objects == 0 && g_locks == 0 && host::com::LiveEventSinks() == 0;
}

}  // namespace brindle::dll
