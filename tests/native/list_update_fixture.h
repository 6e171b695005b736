// The stand-ins the tests of list changes share: the registry, whose every
// read must come under the mutex, a file in use, and another program that
// writes the old list back after Pendrix's write.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "pending_list/pending_rename_list.h"
#include "registry/registry_constants.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix::testing {

inline const std::string kTheirs = S("\\??\\C:\\theirs\0\0");
inline const std::string kMine = S("\\??\\C:\\w\\mine\0\0");
inline const std::string kFirst = S("\\??\\C:\\first\0\0");

// The list, a file in use to schedule, and another program that may write
// the list back as it was, through the stand-ins.
class ListUpdateTest : public ::testing::Test {
protected:
    ListUpdateTest() {
        files.PutFolder("C:\\w");
        files.Put("C:\\w\\mine", "x");
        files.Find("C:\\w\\mine")->inUse = true;
        // Every read of the list happens with the mutex held.
        registry.beforeQuery = [this] {
            if (!lock.Held()) ++readsWithoutLock;
            if (registry.setCalls > writesSeen) {
                writesSeen = registry.setCalls;
                if (afterWrite) afterWrite();
            }
        };
    }
    void Store(const std::string& data) { registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, data); }
    std::string Stored() const {
        const auto* value = registry.FindValue(kSessionManager, kPendingValueName);
        return value == nullptr ? "<absent>" : value->Text();
    }
    // Another program that read the list as it was before and writes it back
    // with its own pair: Pendrix's write is lost.
    void OtherProgramWritesTheOldList(int times) {
        const std::string old = Stored();
        afterWrite = [this, old, times]() mutable {
            if (times-- > 0) Store(old.substr(0, old.size() - 1) + kTheirs + '\0');
        };
    }

    FakeRegistry registry;
    FakeFileSystem files;
    RegistryRoutines routines{registry};
    FakeListLock lock;
    std::function<void()> afterWrite;
    int writesSeen = 0;
    int readsWithoutLock = 0;
};

}  // namespace pendrix::testing
