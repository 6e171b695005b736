// The stand-ins the tests of plans share: new files and old ones to
// replace or delete, and a fault that fails the change of one of them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <string>

#include "registry/registry_constants.h"
#include "scheduler/plan_application.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix::testing {

// A path the stand-in was handed, in lower case and without "\\?\".
inline std::string Plain(std::string path) {
    if (path.rfind("\\\\?\\", 0) == 0) path.erase(0, 4);
    std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) { return std::tolower(c); });
    return path;
}

// Fails, with status, the call that would change target (a rename or a swap
// onto it, or a rename of it aside), as a disk or a driver might.
inline std::function<std::uint32_t(const std::string&, const std::string&)> FailsChanging(std::string target,
                                                                                   std::uint32_t status) {
    return [target, status](const std::string& call, const std::string& path) -> std::uint32_t {
        const bool change = call == "Replace" || call == "Rename";
        const std::string name = Plain(path);
        return change && name.rfind(target, 0) == 0 ? status : kErrorSuccess;
    };
}

// c:\new holds a.dll, b.dll and c.dll; c:\app the old a.dll, b.dll (read-only)
// and d.dll, and the empty folder c:\app\empty; the list holds one entry.
class PlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        files.PutFolder("c:\\new");
        files.PutFolder("c:\\app");
        files.PutFolder("c:\\app\\empty");
        for (const char* name : {"a", "b", "c"})
            files.Put(std::string("c:\\new\\") + name + ".dll", std::string("new ") + name);
        files.Put("c:\\app\\a.dll", "old a");
        files.Put("c:\\app\\b.dll", "old b");
        files.Find("c:\\app\\b.dll")->attributes = kAttributeReadOnly;
        files.Put("c:\\app\\d.dll", "old d");
        registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, kListBefore);
    }

    PlanResult Apply(const std::string& text, PlanMode mode = PlanMode::NowOrAtRestart) {
        const PlanReading reading = ReadPlan(text);
        EXPECT_TRUE(reading.ok) << reading.problem;
        noticed = 0;
        return PlanApplication(routines, files, lock).Apply(reading.operations, mode, [&](const PlanResult&) {
            ++noticed;
        });
    }

    // Every name and every file's content and attributes.
    std::map<std::string, std::string> Snapshot() {
        std::map<std::string, std::string> state;
        for (const std::string& path : files.Paths()) {
            const FakeFileSystem::File* file = files.Find(path);
            state[path] = file == nullptr ? "folder" : file->content + "/" + std::to_string(file->attributes);
        }
        return state;
    }

    std::string Stored() const { return registry.FindValue(kSessionManager, kPendingValueName)->Text(); }

public:
    const std::string kListBefore = S("\\??\\C:\\x\0\0\0");
    FakeRegistry registry;
    RegistryRoutines routines{registry};
    FakeFileSystem files;
    FakeListLock lock;
    int noticed = 0;
};

}  // namespace pendrix::testing
