// The seam to the Configuration Manager client's own answer to whether a
// restart is pending: the method DetermineIfRebootPending of the WMI class
// CCM_ClientUtilities in the namespace root\ccm\ClientSDK, asked through
// COM. The Windows build loads COM only when the question is asked; native
// tests plug in a stand-in that answers as the call returns.
#pragma once

#include <cstdint>

namespace pendrix {

// WBEM_E_INVALID_NAMESPACE: IWbemLocator::ConnectServer's answer when the
// namespace does not exist (no Configuration Manager client).
inline constexpr std::int32_t kWbemInvalidNamespace = static_cast<std::int32_t>(0x8004100EU);

// The method's answer, as its call returned it.
struct ClientRebootReply {
    bool answered = true;            // false: no answer within the time allowed
    std::int32_t status = 0;         // the HRESULT of the first COM or WMI call that failed; 0: none
    std::uint32_t returnValue = 0;   // the method's ReturnValue (0: it succeeded)
    bool rebootPending = false;      // its RebootPending
    bool hardRebootPending = false;  // its IsHardRebootPending
};

class ConfigManagerClientApi {
public:
    virtual ~ConfigManagerClientApi() = default;
    // Calls the method, waiting no longer than timeoutMilliseconds.
    virtual ClientRebootReply DetermineIfRebootPending(std::uint32_t timeoutMilliseconds) = 0;
};

}  // namespace pendrix
