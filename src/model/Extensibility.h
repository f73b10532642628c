#pragma once
// The host's add-in interface.

#include <cstdint>
#include <string>
#include <vector>

namespace brindle {

class VBE;
class AddIn;

enum ext_ConnectMode : std::int32_t {
    ext_cm_AfterStartup = 0,
    ext_cm_Startup = 1,
    ext_cm_External = 2,
    ext_cm_CommandLine = 3,
};

enum ext_DisconnectMode : std::int32_t {
    ext_dm_HostShutdown = 0,
    ext_dm_UserClosed = 1,
};

using CustomArgs = std::vector<std::string>;

class IDTExtensibility {
public:
    virtual ~IDTExtensibility() = default;
    virtual void OnConnection(VBE& VBInst, std::int32_t ConnectMode, AddIn* AddInInst,
                              CustomArgs& custom) = 0;
    virtual void OnDisconnection(std::int32_t RemoveMode, CustomArgs& custom) = 0;
    virtual void OnStartupComplete(CustomArgs& custom) = 0;
    virtual void OnAddInsUpdate(CustomArgs& custom) = 0;
};

}  // namespace brindle
