#include "platform/restart_manager_scan.h"

#include <windows.h>
#include <restartmanager.h>

#include "common/wide_text.h"

namespace pendrix {
namespace {

constexpr int kListTries = 4;  // the list may grow between two calls

using StartSessionFunction = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR[]);
using EndSessionFunction = DWORD(WINAPI*)(DWORD);
using RegisterResourcesFunction = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR[], UINT, RM_UNIQUE_PROCESS[], UINT, LPCWSTR[]);
using GetListFunction = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO[], LPDWORD);

template <typename Function>
Function Procedure(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

class RestartManagerLibrary {
public:
    RestartManagerLibrary() : module_(LoadLibraryExW(L"rstrtmgr.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        if (module_ == nullptr) return;
        startSession = Procedure<StartSessionFunction>(module_, "RmStartSession");
        endSession = Procedure<EndSessionFunction>(module_, "RmEndSession");
        registerResources = Procedure<RegisterResourcesFunction>(module_, "RmRegisterResources");
        getList = Procedure<GetListFunction>(module_, "RmGetList");
    }
    ~RestartManagerLibrary() {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    RestartManagerLibrary(const RestartManagerLibrary&) = delete;
    RestartManagerLibrary& operator=(const RestartManagerLibrary&) = delete;

    bool Loaded() const { return startSession && endSession && registerResources && getList; }

    StartSessionFunction startSession = nullptr;
    EndSessionFunction endSession = nullptr;
    RegisterResourcesFunction registerResources = nullptr;
    GetListFunction getList = nullptr;

private:
    HMODULE module_;
};

// A Restart Manager session, ended on every path.
class Session {
public:
    explicit Session(const RestartManagerLibrary& library) : library_(library) {
        WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
        started_ = library_.startSession(&handle_, 0, key) == ERROR_SUCCESS;
    }
    ~Session() {
        if (started_) library_.endSession(handle_);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool Started() const { return started_; }
    DWORD Handle() const { return handle_; }

private:
    const RestartManagerLibrary& library_;
    DWORD handle_ = 0;
    bool started_ = false;
};

}  // namespace

void AskRestartManager(const std::vector<std::wstring>& fullPaths, HolderScan& scan) {
    const RestartManagerLibrary library;
    if (!library.Loaded() || fullPaths.empty()) return;
    const Session session(library);
    if (!session.Started()) return;
    std::vector<LPCWSTR> names;
    for (const std::wstring& path : fullPaths) names.push_back(path.c_str());
    if (library.registerResources(session.Handle(), static_cast<UINT>(names.size()), names.data(), 0, nullptr, 0,
                                  nullptr) != ERROR_SUCCESS)
        return;

    std::vector<RM_PROCESS_INFO> processes;
    DWORD status = ERROR_MORE_DATA;
    UINT count = 0;
    for (int attempt = 0; attempt < kListTries && status == ERROR_MORE_DATA; ++attempt) {
        UINT needed = 0;
        count = static_cast<UINT>(processes.size());
        DWORD reasons = 0;
        status = library.getList(session.Handle(), &needed, &count, processes.data(), &reasons);
        if (status == ERROR_MORE_DATA) processes.resize(needed);
    }
    if (status != ERROR_SUCCESS) return;
    for (UINT i = 0; i < count && i < processes.size(); ++i) {
        const RM_PROCESS_INFO& process = processes[i];
        scan.sightings.push_back({process.Process.dwProcessId, HoldKind::RestartManager,
                                  TextOfWide(process.strAppName), TextOfWide(process.strServiceShortName)});
    }
}

}  // namespace pendrix
