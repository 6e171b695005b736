// An in-memory stand-in for the Windows registry, for the faults a real
// registry cannot be made to show on demand: a refused open or write, a
// value that grows between two queries, a listing that fails part-way, an
// expansion that fails. It answers as the real seam does: string data is
// kept in UTF-16 as Windows keeps it and converted on the way in and out, a
// too-small room for string data is told the seam's upper bound, and every
// call checks the access the key was opened with. It counts every handle it
// gives out and every close, so tests can check that nothing is left open.
#pragma once

#include <cstdint>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "registry/registry_api.h"

namespace pendrix::testing {

// The key the pending list lives under, as the stand-in names keys.
inline const std::string kSessionManager = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";

class FakeRegistry : public RegistryApi {
public:
    struct Value {
        std::string name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;  // as stored: UTF-16 for string types
        // String data as the program's text, as the seam gives it.
        std::string Text() const;
    };

    // Stored state, addressed by full paths such as "HKLM\\A\\B".
    void AddKey(const std::string& path);
    // data: the bytes as stored (UTF-16 for string types), as another
    // program writes them with RegSetValueExW.
    void PutValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                  std::vector<std::uint8_t> data);
    // text: the program's text, stored in UTF-16 as the seam writes it.
    void PutText(const std::string& keyPath, const std::string& name, std::uint32_t type,
                 const std::string& text);
    // String data of an odd number of bytes: text in UTF-16, then half a unit.
    void PutTextWithHalfUnit(const std::string& keyPath, const std::string& name, std::uint32_t type,
                             const std::string& text);
    void SetClassName(const std::string& path, const std::string& className);
    bool HasKey(const std::string& path) const;
    const Value* FindValue(const std::string& keyPath, const std::string& name) const;

    // Faults.
    std::set<std::string> deniedPaths;       // OpenKey/CreateKey give ERROR_ACCESS_DENIED
    bool refuseWrites = false;               // SetValue, DeleteValue and opens to set values give ERROR_ACCESS_DENIED
    // SetValue of more stored bytes than this gives ERROR_NO_SYSTEM_RESOURCES,
    // as Windows answers when the hive cannot hold a value that large.
    std::size_t largestValue = SIZE_MAX;
    int growthsLeft = 0;                     // grow the value after each ERROR_MORE_DATA
    bool growsFourfold = false;              // by 100 bytes, or to four times its size:
                                             // past the seam's upper bound for string data
    std::map<std::uint32_t, std::int32_t> listingFailures;  // EnumKey/EnumValue index -> status
    std::set<std::string> reachableComputers{"", "THISPC", "\\\\THISPC"};
    std::map<std::string, std::string> environment;
    bool expansionFails = false;             // ExpandVariables gives 0
    // Runs as each QueryValue begins: another program's change between reads.
    std::function<void()> beforeQuery;
    // Runs as each QueryStoredSize begins: a change between the data and its size.
    std::function<void()> beforeSizeQuery;

    // Observations.
    int setCalls = 0;
    int enumCalls = 0;
    std::size_t OpenHandles() const { return handles_.size(); }

    std::int32_t OpenKey(RegHandle root, const std::string& path, std::uint32_t access,
                         RegHandle& key) override;
    std::int32_t CreateKey(RegHandle root, const std::string& path, std::uint32_t access,
                           const SecurityAttributes& security, RegHandle& key) override;
    std::int32_t CloseKey(RegHandle key) override;
    std::int32_t ConnectRegistry(const std::string& computer, RegHandle root, RegHandle& key) override;
    std::int32_t QueryValue(RegHandle key, const std::string& name, std::uint32_t& type,
                            std::uint8_t* data, std::uint32_t& size) override;
    std::int32_t SetValue(RegHandle key, const std::string& name, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size) override;
    std::int32_t QueryStoredSize(RegHandle key, const std::string& name, std::uint32_t& type,
                                 std::uint32_t& storedSize) override;
    std::int32_t DeleteKey(RegHandle root, const std::string& path) override;
    std::int32_t DeleteValue(RegHandle key, const std::string& name) override;
    std::int32_t EnumKey(RegHandle key, std::uint32_t index, char* name, std::uint32_t& nameRoom,
                         char* className, std::uint32_t& classRoom) override;
    std::int32_t EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t& nameRoom,
                           std::uint32_t& type, std::uint8_t* data, std::uint32_t& size) override;
    std::uint32_t ExpandVariables(const std::string& source, char* destination,
                                           std::uint32_t room) override;

    struct Key {
        std::string name;
        std::string className;
        std::vector<Value> values;
    };

private:
    std::string Resolve(RegHandle root, const std::string& path, bool& ok) const;
    Value* FindValueMutable(const std::string& keyPath, const std::string& name);
    RegHandle NewHandle(const std::string& path, std::uint32_t access);
    // The open key's path when handle was opened with every right in
    // needed; status says why not otherwise.
    std::optional<std::string> Granted(RegHandle handle, std::uint32_t needed, std::int32_t& status) const;
    void GrowAfterMoreData(Value& value);

    std::map<std::string, Key> keys_;                // by lower-case full path
    struct OpenedKey {
        std::string path;  // lower case
        std::uint32_t access;
    };
    std::map<RegHandle, OpenedKey> handles_;
    RegHandle nextHandle_ = 0x1000;
};

}  // namespace pendrix::testing
