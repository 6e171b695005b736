// An in-memory stand-in for the file system, answering as kernel32's wide
// functions do: a file held open without sharing cannot be deleted or
// replaced (32), a read-only one gives 5, an absent one 2. Names are
// matched ignoring ASCII case; a second name (a short name, a link) can be
// given to a file. A folder exists when it was put or holds something.
// Each file put is written anew: it gets a last-write time of its own,
// which copies and moves keep, as Windows' do.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system_api.h"

namespace pendrix::testing {

class FakeFileSystem : public FileSystemApi {
public:
    struct File {
        std::string content;
        std::uint32_t attributes = kAttributeNormal;
        bool inUse = false;        // held open without FILE_SHARE_DELETE
        bool lockedForRead = false;  // held open without FILE_SHARE_READ
        std::uint64_t index = 0;
        std::uint64_t lastWrite = 0;
    };

    void Put(const std::string& path, const std::string& content);
    void PutFolder(const std::string& path);
    void Alias(const std::string& alias, const std::string& path);
    File* Find(const std::string& path);
    bool Exists(const std::string& path) { return Find(path) != nullptr; }
    std::vector<std::string> Paths() const;

    std::string currentFolder = "C:\\work\\";
    std::set<std::string> foldersRefusingNewFiles;
    std::function<void(const std::string&)> onRemove;  // runs before each Remove

    std::uint32_t Attributes(const std::string& path, std::uint32_t& attributes) override;
    std::uint32_t Facts(const std::string& path, FileFacts& facts) override;
    std::uint32_t SetAttributes(const std::string& path, std::uint32_t attributes) override;
    std::uint32_t Remove(const std::string& path) override;
    std::uint32_t Copy(const std::string& source, const std::string& target) override;
    std::uint32_t MoveOver(const std::string& source, const std::string& target) override;
    std::uint32_t CreateTempFile(const std::string& folder, std::string& path) override;
    std::uint32_t Identity(const std::string& path, FileIdentity& identity) override;
    std::uint32_t FindFiles(const std::string& pattern, std::vector<std::string>& names) override;
    std::uint32_t ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override;
    std::uint32_t ReadAll(const std::string& path, std::string& bytes) override;
    std::uint32_t FullPath(const std::string& path, std::string& full) override;

    // Attributes calls so far, counted from any thread.
    struct Counter {
        std::atomic<int> value{0};
        Counter() = default;
        Counter(const Counter& other) : value(other.value.load()) {}
        Counter& operator=(const Counter& other) {
            value = other.value.load();
            return *this;
        }
    } attributeCalls;

private:
    std::string Key(const std::string& path) const;
    FileFacts FactsOf(const std::string& path, std::uint32_t attributes);

    std::map<std::string, File> files_;          // by lower-case full path
    std::map<std::string, std::string> aliases_;  // lower-case alias -> key
    std::uint64_t nextIndex_ = 1;
    int nextTemp_ = 1;
};

}  // namespace pendrix::testing
