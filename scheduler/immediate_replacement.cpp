#include "scheduler/immediate_replacement.h"

#include <utility>

#include "scheduler/file_names.h"

namespace pendrix {
namespace {

// A new file of the program's own beside the destination, removed when it
// goes unless it was consumed (Release) or must stay (Keep).
class TemporaryFile {
public:
    TemporaryFile(FileSystemApi& files, const std::string& folder) : files_(files) {
        status_ = files_.CreateTempFile(folder, path_);
        owned_ = status_ == kErrorSuccess;
    }
    ~TemporaryFile() {
        if (!owned_) return;
        // It may carry a read-only attribute copied from another file.
        files_.SetAttributes(path_, kAttributeNormal);
        files_.Remove(path_);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool Made() const { return status_ == kErrorSuccess; }
    void Keep() { owned_ = true; }  // the file is under this name again
    std::uint32_t Status() const { return status_; }
    const std::string& Path() const { return path_; }
    void Release() { owned_ = false; }  // it is gone, or became another file

private:
    FileSystemApi& files_;
    std::string path_;
    WinStatus status_ = 0;
    bool owned_ = false;
};


// ReplaceFileW answers these where it cannot be used at all (a file system
// or an implementation without it); both files keep their names.
bool ReplaceUnavailable(WinStatus status) {
    return status == kErrorInvalidFunction || status == kErrorNotSupported || status == kErrorInvalidParameter ||
           status == kErrorCallNotImplemented;
}

// A copy onto the file failed before it was opened for writing: nothing of
// it changed.
bool FailedBeforeWriting(WinStatus status) {
    return status == kErrorSharingViolation || status == kErrorAccessDenied || status == kErrorLockViolation;
}

ReplacementAttempt NotNow(WinStatus status) { return {ReplacementOutcome::NotNow, status, {}}; }
ReplacementAttempt Done() { return {ReplacementOutcome::Done, kErrorSuccess, {}}; }

// attributes without those of mask (FILE_ATTRIBUTE_NORMAL when none is left).
std::uint32_t Without(std::uint32_t attributes, std::uint32_t mask) {
    const std::uint32_t left = attributes & ~mask;
    return left != 0 ? left : kAttributeNormal;
}

constexpr std::uint32_t kKeptFromCopies = kAttributeReadOnly | kAttributeHidden | kAttributeSystem;

// The file has other names: the copy's content is written into the file
// itself, after its own content was put aside in backup, which puts it back
// if the writing fails.
ReplacementAttempt RewriteInPlace(FileSystemApi& files, const std::string& file, std::uint32_t attributes,
                                  TemporaryFile& copy, TemporaryFile& backup) {
    WinStatus status = files.Copy(file, backup.Path());
    if (status != kErrorSuccess) return NotNow(status);
    // A copy may not write over a read-only, hidden or system file.
    if (attributes & kKeptFromCopies) files.SetAttributes(file, Without(attributes, kKeptFromCopies));
    status = files.Copy(copy.Path(), file);
    if (status == kErrorSuccess) {
        files.SetAttributes(file, attributes);
        return Done();
    }
    const bool restored = FailedBeforeWriting(status) || files.Copy(backup.Path(), file) == kErrorSuccess;
    files.SetAttributes(file, attributes);
    if (restored) return NotNow(status);
    backup.Release();
    return {ReplacementOutcome::Interrupted, status, backup.Path()};
}

// After a swap the old content is under backup's name and goes with it. A
// file that programs have loaded may be renamed but not deleted: its old
// content would stay beside it, in use, under a temporary name for ever. So
// it goes back to its name and the copy to the copy's, and the file waits
// for the next start like any file in use.
ReplacementAttempt DropOldContent(FileSystemApi& files, const std::string& file, std::uint32_t attributes,
                                  TemporaryFile& copy, TemporaryFile& backup) {
    files.SetAttributes(backup.Path(), kAttributeNormal);
    const WinStatus removed = files.Remove(backup.Path());
    if (removed == kErrorSuccess) {
        backup.Release();
        return Done();
    }
    if (files.MoveOver(file, copy.Path()) == kErrorSuccess) {
        copy.Keep();  // the copy is under its own name again, and goes when it does
        if (files.MoveOver(backup.Path(), file) == kErrorSuccess) {
            backup.Release();
            files.SetAttributes(file, attributes);
            return NotNow(removed);
        }
        // The file's name must not stay empty: the copy takes it after all.
        if (files.MoveOver(copy.Path(), file) == kErrorSuccess) copy.Release();
    }
    backup.Release();
    return {ReplacementOutcome::Interrupted, removed, backup.Path()};
}

// The file is swapped for the copy: ReplaceFileW moves it to backup's name
// and the copy to its own, then backup goes.
ReplacementAttempt Swap(FileSystemApi& files, const std::string& file, std::uint32_t attributes, TemporaryFile& copy,
                        TemporaryFile& backup) {
    // ReplaceFileW refuses a read-only file; the attribute comes back below.
    const bool readOnly = (attributes & kAttributeReadOnly) != 0;
    if (readOnly) files.SetAttributes(file, Without(attributes, kAttributeReadOnly));
    const WinStatus status = files.Replace(file, copy.Path(), backup.Path());
    if (status == kErrorSuccess) {
        copy.Release();
        files.SetAttributes(file, attributes);
        return DropOldContent(files, file, attributes, copy, backup);
    }
    if (status == kErrorUnableToMoveReplacement2) {
        // The file is under backup's name, and the copy under its own: the
        // file goes back to its name.
        if (files.MoveOver(backup.Path(), file) == kErrorSuccess) {
            backup.Release();
            files.SetAttributes(file, attributes);
            return NotNow(status);
        }
        backup.Release();
        return {ReplacementOutcome::Interrupted, status, backup.Path()};
    }
    if (ReplaceUnavailable(status) && files.MoveOver(copy.Path(), file) == kErrorSuccess) {
        // The copy-and-move: one rename swaps the copy in.
        copy.Release();
        files.SetAttributes(file, attributes);
        return Done();
    }
    if (readOnly) files.SetAttributes(file, attributes);
    return NotNow(status);
}

}  // namespace

ReplacementAttempt ReplaceAtOnce(FileSystemApi& files, const std::string& source, const std::string& destination) {
    // The file itself: a symbolic link is followed, so that the link stays
    // and leads to the new content.
    FileDescription target;
    WinStatus status = files.Describe(destination, target);
    if (status != kErrorSuccess) return NotNow(status);
    if (target.attributes & kAttributeDirectory) return NotNow(kErrorDirectoryNotSupported);
    const std::string& file = target.finalPath.empty() ? destination : target.finalPath;
    const std::string folder(FolderOf(file));

    TemporaryFile copy(files, folder);
    if (!copy.Made()) return NotNow(copy.Status());
    status = files.Copy(source, copy.Path());
    if (status != kErrorSuccess) return NotNow(status);
    TemporaryFile backup(files, folder);
    if (!backup.Made()) return NotNow(backup.Status());

    if (target.links > 1) return RewriteInPlace(files, file, target.attributes, copy, backup);
    return Swap(files, file, target.attributes, copy, backup);
}

}  // namespace pendrix
