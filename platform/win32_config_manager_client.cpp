#include "platform/win32_config_manager_client.h"

#include <windows.h>
#include <oleauto.h>
#include <wbemcli.h>

#include <memory>

#include "common/unique_handle.h"

namespace pendrix {
namespace {

// CLSID_WbemLocator and IID_IWbemLocator (wbemcli.h), spelt here so that no
// import library of COM is linked.
constexpr GUID kClsidWbemLocator = {0x4590f811, 0x1d3a, 0x11d0, {0x89, 0x1f, 0x00, 0xaa, 0x00, 0x4b, 0x2e, 0x24}};
constexpr GUID kIidWbemLocator = {0xdc12a687, 0x737f, 0x11cf, {0x88, 0x4d, 0x00, 0xaa, 0x00, 0x4b, 0x2e, 0x24}};

constexpr wchar_t kNamespace[] = L"ROOT\\ccm\\ClientSDK";
constexpr wchar_t kClass[] = L"CCM_ClientUtilities";
constexpr wchar_t kMethod[] = L"DetermineIfRebootPending";

using CoInitializeExFunction = HRESULT(WINAPI*)(void*, DWORD);
using CoUninitializeFunction = void(WINAPI*)();
using CoCreateInstanceFunction = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
using CoSetProxyBlanketFunction = HRESULT(WINAPI*)(IUnknown*, DWORD, DWORD, OLECHAR*, DWORD, DWORD,
                                                   RPC_AUTH_IDENTITY_HANDLE, DWORD);
using SysAllocStringFunction = BSTR(WINAPI*)(const OLECHAR*);
using SysFreeStringFunction = void(WINAPI*)(BSTR);
using VariantClearFunction = HRESULT(WINAPI*)(VARIANTARG*);

template <typename Function>
Function Procedure(HMODULE module, const char* name) {
    return module == nullptr ? nullptr
                             : reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

inline BOOL WINAPI FreeLoadedLibrary(HMODULE module) { return FreeLibrary(module); }
using UniqueModule = UniqueHandle<HMODULE, NullIsUnset<HMODULE, FreeLoadedLibrary>>;

// COM's functions, from the system folder.
struct ComLibrary {
    UniqueModule ole32{LoadLibraryExW(L"ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)};
    UniqueModule oleaut32{LoadLibraryExW(L"oleaut32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)};
    CoInitializeExFunction initialize = Procedure<CoInitializeExFunction>(ole32.Get(), "CoInitializeEx");
    CoUninitializeFunction uninitialize = Procedure<CoUninitializeFunction>(ole32.Get(), "CoUninitialize");
    CoCreateInstanceFunction createInstance = Procedure<CoCreateInstanceFunction>(ole32.Get(), "CoCreateInstance");
    CoSetProxyBlanketFunction setProxyBlanket =
        Procedure<CoSetProxyBlanketFunction>(ole32.Get(), "CoSetProxyBlanket");
    SysAllocStringFunction allocString = Procedure<SysAllocStringFunction>(oleaut32.Get(), "SysAllocString");
    SysFreeStringFunction freeString = Procedure<SysFreeStringFunction>(oleaut32.Get(), "SysFreeString");
    VariantClearFunction clearVariant = Procedure<VariantClearFunction>(oleaut32.Get(), "VariantClear");

    bool Loaded() const {
        return initialize && uninitialize && createInstance && setProxyBlanket && allocString && freeString &&
               clearVariant;
    }
};

// An interface pointer, released once.
template <typename Interface>
class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer() {
        if (pointer_ != nullptr) pointer_->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    Interface* operator->() const { return pointer_; }
    Interface* Get() const { return pointer_; }
    Interface** Out() { return &pointer_; }

private:
    Interface* pointer_ = nullptr;
};

class String {
public:
    String(const ComLibrary& com, const wchar_t* text) : com_(com), string_(com.allocString(text)) {}
    ~String() { com_.freeString(string_); }
    String(const String&) = delete;
    String& operator=(const String&) = delete;
    BSTR Get() const { return string_; }

private:
    const ComLibrary& com_;
    BSTR string_;
};

class Variant {
public:
    // Empty, as VariantInit makes it (not imported: oleaut32.dll is loaded only when asked).
    explicit Variant(const ComLibrary& com) : com_(com) { value_.vt = VT_EMPTY; }
    ~Variant() { com_.clearVariant(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* Out() { return &value_; }
    const VARIANT& Value() const { return value_; }

private:
    const ComLibrary& com_;
    VARIANT value_{};
};

// COM on this thread, for as long as it lives.
class ComApartment {
public:
    explicit ComApartment(const ComLibrary& com) : com_(com), status_(com.initialize(nullptr, COINIT_MULTITHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(status_)) com_.uninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT Status() const { return status_; }

private:
    const ComLibrary& com_;
    HRESULT status_;
};

// A property of the method's out-parameters: a number or a truth value.
HRESULT Property(const ComLibrary& com, IWbemClassObject* object, const wchar_t* name, std::uint32_t& number) {
    Variant value(com);
    const HRESULT status = object->Get(name, 0, value.Out(), nullptr, nullptr);
    if (FAILED(status)) return status;
    switch (value.Value().vt) {
    case VT_BOOL: number = value.Value().boolVal != VARIANT_FALSE ? 1 : 0; return S_OK;
    case VT_I4: number = static_cast<std::uint32_t>(value.Value().lVal); return S_OK;
    case VT_UI4: number = value.Value().ulVal; return S_OK;
    default: return static_cast<HRESULT>(WBEM_E_TYPE_MISMATCH);
    }
}

ClientRebootReply Ask() {
    ClientRebootReply reply;
    const ComLibrary com;
    if (!com.Loaded()) {
        reply.status = HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
        return reply;
    }
    const ComApartment apartment(com);
    if (FAILED(apartment.Status())) {
        reply.status = apartment.Status();
        return reply;
    }
    ComPointer<IWbemLocator> locator;
    HRESULT status = com.createInstance(kClsidWbemLocator, nullptr, CLSCTX_INPROC_SERVER, kIidWbemLocator,
                                        reinterpret_cast<void**>(locator.Out()));
    ComPointer<IWbemServices> services;
    if (SUCCEEDED(status)) {
        const String path(com, kNamespace);
        status = locator->ConnectServer(path.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.Out());
    }
    // The client's provider acts as the caller: it must be let impersonate.
    if (SUCCEEDED(status))
        status = com.setProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                     RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    ComPointer<IWbemClassObject> out;
    if (SUCCEEDED(status)) {
        const String className(com, kClass);
        const String method(com, kMethod);
        status = services->ExecMethod(className.Get(), method.Get(), 0, nullptr, nullptr, out.Out(), nullptr);
    }
    std::uint32_t pending = 0, hard = 0;
    if (SUCCEEDED(status)) status = Property(com, out.Get(), L"ReturnValue", reply.returnValue);
    if (SUCCEEDED(status) && reply.returnValue == 0) status = Property(com, out.Get(), L"RebootPending", pending);
    if (SUCCEEDED(status) && reply.returnValue == 0) status = Property(com, out.Get(), L"IsHardRebootPending", hard);
    reply.status = SUCCEEDED(status) ? 0 : status;
    reply.rebootPending = pending != 0;
    reply.hardRebootPending = hard != 0;
    return reply;
}

// What the asking thread and the one that waits for it share: the thread
// may outlive the wait, so each holds it.
struct Question {
    ClientRebootReply reply;
};

DWORD WINAPI AskOnItsOwnThread(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Question>> question(static_cast<std::shared_ptr<Question>*>(parameter));
    (*question)->reply = Ask();
    return 0;
}

}  // namespace

ClientRebootReply Win32ConfigManagerClient::DetermineIfRebootPending(std::uint32_t timeoutMilliseconds) {
    auto question = std::make_shared<Question>();
    auto* shared = new std::shared_ptr<Question>(question);
    const UniqueKernelHandle thread(CreateThread(nullptr, 0, AskOnItsOwnThread, shared, 0, nullptr));
    if (!thread) {
        delete shared;
        ClientRebootReply reply;
        reply.status = HRESULT_FROM_WIN32(GetLastError());
        return reply;
    }
    if (WaitForSingleObject(thread.Get(), timeoutMilliseconds) != WAIT_OBJECT_0) {
        // Left to end on its own, holding what it shares.
        ClientRebootReply reply;
        reply.answered = false;
        return reply;
    }
    return question->reply;
}

}  // namespace pendrix
