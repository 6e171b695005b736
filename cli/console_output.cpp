#include "cli/console_output.h"

#include <algorithm>
#include <string>

#include "cli/console_text.h"
#include "common/utf16_text.h"

namespace pendrix::cli {
namespace {

// WriteConsoleW takes a limited amount per call on older systems.
constexpr DWORD kConsoleChunkUnits = 8192;

void WriteTo(HANDLE handle, std::string_view text) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::u16string units = Utf16FromText(text);
        std::size_t done = 0;
        while (done < units.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(units.size() - done, kConsoleChunkUnits));
            DWORD written = 0;
            if (!WriteConsoleW(handle, units.data() + done, chunk, &written, nullptr) || written == 0) return;
            done += written;
        }
        return;
    }
    std::string storage;
    const std::string_view bytes = RedirectedText(text, storage);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, chunk, &written, nullptr) || written == 0) return;
        done += written;
    }
}

}  // namespace

ConsoleOutput::ConsoleOutput()
    : out_(GetStdHandle(STD_OUTPUT_HANDLE)), error_(GetStdHandle(STD_ERROR_HANDLE)) {}

void ConsoleOutput::Out(std::string_view text) { WriteTo(out_, text); }

void ConsoleOutput::Error(std::string_view text) { WriteTo(error_, text); }

}  // namespace pendrix::cli
