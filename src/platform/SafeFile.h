// The one writer of every file the editor writes. A file is written whole or
// not at all: the bytes go to a temporary file in the target's folder, which
// is flushed to the disk and renamed over the target, and the folder is
// synced. The old file's mode (and owner and group, where the process may set
// them) carry over; a symbolic link is written through and stays a link; a
// read-only target is refused without touching it. Temporary files left in a
// folder by a killed editor are removed the next time a file is written
// there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CSafeFile {
public:
    explicit CSafeFile(std::string path);
    ~CSafeFile();   // an uncommitted file is abandoned
    CSafeFile(const CSafeFile&) = delete;
    CSafeFile& operator=(const CSafeFile&) = delete;

    // Creates the temporary file; false (with the error set) when the target
    // cannot be written.
    bool Open();
    // Appends bytes; false once anything has failed.
    bool Write(const void* data, size_t size);
    // Flushes the temporary file to the disk and closes it, leaving the
    // target untouched; Commit then only renames. Lets a set of files be
    // written whole before any of them replaces its target.
    bool Flush();
    // Flushes (unless done), renames over the target and syncs the folder. On
    // failure the temporary file is gone and the target is as it was.
    bool Commit();
    // Removes the temporary file; the target stays as it was.
    void Abandon();

    // The temporary file, for writers that write by name (the toolkit's PDF
    // writer); empty before Open.
    const std::string& TempPath() const { return m_strTemp; }
    // The file finally written (the target of a symbolic link).
    const std::string& FinalPath() const { return m_strFinal; }
    // errno of the failure, or kReadOnly; 0 while all is well.
    int Error() const { return m_nError; }
    // The failure as the person reads it, naming the path asked for.
    std::string ErrorText() const;

    static constexpr int kReadOnly = -1;

private:
    bool Fail(int error);

    std::string m_strPath;
    std::string m_strFinal;
    std::string m_strTemp;
    int m_fd = -1;
    int m_nError = 0;
    bool m_bHadTarget = false;
    bool m_bFlushed = false;
};

// Writes the bytes as the whole file; on failure *error (optional) receives
// the message to show.
bool WriteFileSafely(const std::string& path, const void* data, size_t size,
                     std::string* error = nullptr);

// One file of a set written together.
struct SafeFileItem {
    std::string path;
    const void* data;
    size_t size;
};

// Writes every file of the set to its temporary file and flushes it; only
// when all are written are they renamed over their targets. A failure
// leaves every target as it was and no temporary file; *error (optional)
// receives the message naming the file that failed.
bool WriteFilesSafely(const std::vector<SafeFileItem>& files, std::string* error = nullptr);

// Reasons of our own beside errno values, for the messages below.
constexpr int kNotAFile = -2;         // a device, pipe or socket where a file was asked for
constexpr int kDamagedContent = -3;   // the file reads, but its content is not of its form
constexpr int kEmptyFile = -4;        // the file holds nothing

// Messages in the style of the system's file-error messages: the file's
// name, then the reason.
std::string WriteErrorText(const std::string& path, int error);
std::string ReadErrorText(const std::string& path, int error);

// Failed file operations of this run. Batch runs and scripts end with status
// 1 when any happened; each one has been shown to the person.
void ReportFileFailure(const std::string& message);   // shows and counts it
void CountFileFailure();                              // counts one already shown
unsigned FileFailureCount();

// Test hook: the N-th write (from 1, counted over all files from the moment
// it is set) fails with the given errno; 0 switches it off. chunk bounds the
// bytes of one write, so that a small file still takes many writes.
void SetSafeFileFault(int failAtWrite, int error, size_t chunk = 0);
// Writes attempted since the hook was last set.
int SafeFileWriteCount();
// Removes temporary files of this writer left in the folder by editors that
// no longer run (done by Open; exposed for tests).
void RemoveStaleTempFiles(const std::string& folder);
