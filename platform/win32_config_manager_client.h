// The Configuration Manager client asked through COM and WMI. ole32.dll and
// oleaut32.dll are loaded from the system folder when the question is asked
// (only status asks), never imported; the call runs on a thread of its own
// so that a client that does not answer is waited for no longer than asked.
#pragma once

#include "platform/config_manager_client_api.h"

namespace pendrix {

class Win32ConfigManagerClient : public ConfigManagerClientApi {
public:
    ClientRebootReply DetermineIfRebootPending(std::uint32_t timeoutMilliseconds) override;
};

}  // namespace pendrix
