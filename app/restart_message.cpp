#include "app/restart_message.h"

#include "platform/system_error_text.h"

namespace pendrix {
std::string RestartRefusedMessage(WinStatus error) {
    std::string message = "Windows refused to restart the computer.\r\n\r\n";
    const std::string reason = SystemErrorText(error);
    message += reason.empty() ? "Unknown error" : reason;
    message += " (error " + std::to_string(error) + ")";
    return message;
}

}  // namespace pendrix
