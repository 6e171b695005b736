#include "scheduler/restart_message.h"

#include <windows.h>

#include "common/utf16_text.h"

namespace pendrix {
namespace {

// The system's text for a Windows error code, without its line break.
std::string SystemErrorText(std::uint32_t error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text(buffer, buffer + length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
    return TextFromUtf16(text);
}

}  // namespace

std::string RestartRefusedMessage(std::uint32_t error) {
    std::string message = "Windows refused to restart the computer.\r\n\r\n";
    const std::string reason = SystemErrorText(error);
    message += reason.empty() ? "Unknown error" : reason;
    message += " (error " + std::to_string(error) + ")";
    return message;
}

}  // namespace pendrix
