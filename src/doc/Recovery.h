// Recovery copies of a document with unsaved changes: the small record kept
// beside each copy, the folder they live in, the lock that tells a running
// owner from a dead one, and the background writer.
//
// Each copy is a set of files named by an id in the recovery folder:
//   ID.lock  held (flock) by the editor that owns the copy for as long as it runs
//   ID.rec   the record: original path, title, time, owner pid
//   ID.tvn   the document in the .tvn form
// Unreadable records and copies go to the sub-folder "damaged".
#pragma once

class CSafeFile;

#include "platform/DialogModel.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CTesvanDoc;

struct CRecoveryRecord {
    std::string strPath;      // where the document saves; empty when untitled
    std::string strTitle;
    int64_t nTime = 0;        // when the copy was taken, seconds since the epoch
    int32_t nPid = 0;         // the editor that wrote it (its lock is what counts)
    bool operator==(const CRecoveryRecord&) const = default;
};

// The record file: "TVNR", uint32 version 1, int64 time, int32 pid, then the
// path and the title, each a uint32 byte count and that many UTF-8 bytes.
constexpr size_t kMaxRecoveryText = 4096;
constexpr size_t kMaxRecoveryRecord = 4 + 4 + 8 + 4 + 2 * (4 + kMaxRecoveryText);
std::vector<uint8_t> EncodeRecoveryRecord(const CRecoveryRecord& record);
// False for anything but one whole record of version 1 with texts within
// their limits.
bool DecodeRecoveryRecord(const uint8_t* data, size_t size, CRecoveryRecord& record);

// $XDG_STATE_HOME/tesvan/recovery, by default ~/.local/state/tesvan/recovery.
std::string RecoveryFolder();
// Recovery files go through the editor's one writer (a temporary file in the
// same folder, synced and renamed over the target). False, with the target
// untouched, on any failure.
bool WriteRecoveryFile(const std::string& path, const void* data, size_t size,
                       std::string* error = nullptr);
// The same with the content written by `fill` into the open writer; `fill`
// returns false (or throws) when it could not write everything. *error
// (optional) receives the writer's message: the file and the reason.
bool WriteRecoveryFile(const std::string& path, const std::function<bool(CSafeFile&)>& fill,
                       std::string* error = nullptr);

// A lock on ID.lock, held while this editor owns or offers that copy.
class CRecoveryLock {
public:
    CRecoveryLock() = default;
    ~CRecoveryLock();
    CRecoveryLock(CRecoveryLock&& other) noexcept;
    CRecoveryLock& operator=(CRecoveryLock&& other) noexcept;

    // Takes the lock without waiting; false when another process holds it.
    bool Acquire(const std::string& path, bool create);
    // Removes the lock file while still holding it, then lets go.
    void RemoveAndRelease();
    void Release();
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    std::string m_strPath;
};

// One copy found at start-up, locked for this editor until it is restored,
// discarded or left for later.
struct CRecoveryCopy {
    std::string strFolder;
    std::string strId;
    CRecoveryRecord record;
    std::shared_ptr<CRecoveryLock> pLock;

    std::string CopyPath() const { return strFolder + "/" + strId + ".tvn"; }
    std::string RecordPath() const { return strFolder + "/" + strId + ".rec"; }
};

struct CRecoveryScan {
    std::vector<CRecoveryCopy> copies;    // newest first
    std::vector<std::string> damaged;     // files moved into the damaged folder
};

constexpr int64_t kRecoveryMaxAge = 14 * 24 * 3600;

// Looks through the folder: copies whose owner still runs are left alone;
// leftovers of killed writes are removed, as are copies older than 14 days;
// unreadable records and copies without a record are moved into "damaged";
// the rest are returned, locked.
CRecoveryScan ScanRecoveryFolder(const std::string& folder, int64_t now);
// Removes a copy's files and its lock.
void DiscardRecoveryCopy(CRecoveryCopy& copy);
// Moves a copy's files into "damaged"; returns the new paths.
std::vector<std::string> SetRecoveryCopyAside(CRecoveryCopy& copy);

// The offer at start-up: each copy by name, path and time. The person picks
// one to restore (OK), discards any of them (the button "discard"), or
// leaves the rest for later (Cancel).
class CRecoveryDlg : public CDialogModel {
public:
    struct Item {
        std::string strName;
        std::string strPath;
        std::string strTime;
        bool bDiscarded = false;
    };
    std::vector<Item> m_Items;
    int m_nItem = 0;              // the selected copy, by its place in the list as offered

    const char* ClassName() const override { return "CRecoveryDlg"; }
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;
    bool PressButton(const std::string& word, std::string& error) override;
    bool Validate(std::string& message) override;
};

// Writes this editor's recovery copy in the background. The document is
// copied on the calling (user-interface) thread; compression, serialisation
// and the writes happen on the writer's own thread, one job at a time.
class CRecoveryWriter {
public:
    explicit CRecoveryWriter(std::string folder);
    // Finishes the queued work first.
    ~CRecoveryWriter();
    CRecoveryWriter(const CRecoveryWriter&) = delete;
    CRecoveryWriter& operator=(const CRecoveryWriter&) = delete;

    // Called on the writer's thread after each written copy (true) or failed
    // write (false).
    void SetOnWritten(std::function<void(bool ok)> done) { m_fnDone = std::move(done); }

    // Copies the document and queues its write. False when the previous copy
    // is still being written (try again once it is) or the folder cannot be
    // used.
    bool Snapshot(const CTesvanDoc& doc, const CRecoveryRecord& record);
    // Only the copying part of Snapshot, into a document kept for reuse.
    static void CopyDocument(const CTesvanDoc& doc, CTesvanDoc& snapshot);
    // The bytes of the .tvn form of a document.
    static std::vector<uint8_t> Serialise(CTesvanDoc& doc);

    // Queues the removal of this editor's copy (after any write in progress).
    void Remove();
    // Removes the copy, its lock too, and waits: the editor is ending.
    void Finish();
    // A restored copy becomes this editor's own: its files are rewritten from
    // now on, under the lock already held.
    void Adopt(CRecoveryCopy& copy);

    bool Busy() const { return m_bBusy.load(); }
    bool HasCopy() const { return m_bHasCopy; }
    const std::string& Folder() const { return m_strFolder; }
    // Why the last write failed (the file and the reason); empty when none did.
    std::string LastError() const;
    std::string CopyPath() const { return m_strFolder + "/" + m_strId + ".tvn"; }
    // Blocks until every queued job is done.
    void Wait();

private:
    struct Job {
        enum Kind { Write, Remove, Stop } kind;
        std::string id;
        CRecoveryRecord record;
        bool writeRecordFirst = false;
    };
    bool EnsureOwnId();
    void Queue(Job job);
    void Run();
    bool DoWrite(const Job& job);
    void DoRemove(const std::string& id);

    std::string m_strFolder;
    std::string m_strId;
    std::shared_ptr<CRecoveryLock> m_pLock;
    bool m_bHasCopy = false;          // user-interface thread's view: a copy exists or is queued
    bool m_bRecordWritten = false;
    std::unique_ptr<CTesvanDoc> m_pSnapshot;
    std::atomic<bool> m_bBusy{false}; // the snapshot is in the writer's hands

    std::function<void(bool)> m_fnDone;
    mutable std::mutex m_mutex;
    std::string m_strLastError;       // under m_mutex
    std::condition_variable m_cv;
    std::condition_variable m_idle;
    std::deque<Job> m_Jobs;
    bool m_bWorking = false;
    std::thread m_thread;
};
