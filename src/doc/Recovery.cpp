#include "doc/Recovery.h"
#include "platform/SafeFile.h"

#include "doc/Archive.h"
#include "doc/TesvanDoc.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kMagic[4] = {'T', 'V', 'N', 'R'};
constexpr uint32_t kVersion = 1;

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void Put64(std::vector<uint8_t>& out, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void PutText(std::vector<uint8_t>& out, const std::string& text)
{
    const size_t n = std::min(text.size(), kMaxRecoveryText);
    Put32(out, uint32_t(n));
    out.insert(out.end(), text.begin(), text.begin() + std::ptrdiff_t(n));
}

// Reads from a byte range, refusing to step past its end.
struct CReader {
    const uint8_t* p;
    size_t left;
    bool Get(void* dst, size_t n)
    {
        if (n > left)
            return false;
        std::memcpy(dst, p, n);
        p += n;
        left -= n;
        return true;
    }
    bool Get32(uint32_t& v)
    {
        uint8_t b[4];
        if (!Get(b, 4))
            return false;
        v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }
    bool Get64(uint64_t& v)
    {
        uint32_t lo = 0, hi = 0;
        if (!Get32(lo) || !Get32(hi))
            return false;
        v = uint64_t(hi) << 32 | lo;
        return true;
    }
    bool GetText(std::string& text)
    {
        uint32_t n = 0;
        if (!Get32(n) || n > kMaxRecoveryText || n > left)
            return false;
        text.assign(reinterpret_cast<const char*>(p), n);
        p += n;
        left -= n;
        return true;
    }
};

std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// mkdir -p, private to the user.
bool MakeFolders(const std::string& path)
{
    if (path.empty())
        return false;
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i != path.size() && path[i] != '/')
            continue;
        const std::string part = path.substr(0, i);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool ReadSmallFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= limit;
    if (ok) {
        bytes.resize(size_t(st.st_size));
        size_t got = 0;
        while (ok && got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            ok = n > 0;
            if (ok)
                got += size_t(n);
        }
    }
    ::close(fd);
    return ok;
}

// Ids are ours only: digits, letters and '-'.
bool IsId(const std::string& id)
{
    if (id.empty() || id.size() > 64)
        return false;
    for (char c : id)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-'))
            return false;
    return true;
}

bool EndsWith(const std::string& s, const char* tail)
{
    const size_t n = std::strlen(tail);
    return s.size() > n && s.compare(s.size() - n, n, tail) == 0;
}

// A free name in the damaged folder for `name`.
std::string AsideName(const std::string& folder, const std::string& name)
{
    std::string candidate = folder + "/" + name;
    for (int n = 1; Exists(candidate); ++n)
        candidate = folder + "/" + name + "." + std::to_string(n);
    return candidate;
}

} // namespace

// ------------------------------------------------------------------ record

std::vector<uint8_t> EncodeRecoveryRecord(const CRecoveryRecord& record)
{
    std::vector<uint8_t> out(kMagic, kMagic + 4);
    Put32(out, kVersion);
    Put64(out, uint64_t(record.nTime));
    Put32(out, uint32_t(record.nPid));
    PutText(out, record.strPath);
    PutText(out, record.strTitle);
    return out;
}

bool DecodeRecoveryRecord(const uint8_t* data, size_t size, CRecoveryRecord& record)
{
    if (!data || size > kMaxRecoveryRecord)
        return false;
    CReader r{data, size};
    char magic[4];
    uint32_t version = 0, pid = 0;
    uint64_t time = 0;
    CRecoveryRecord out;
    if (!r.Get(magic, 4) || std::memcmp(magic, kMagic, 4) != 0 || !r.Get32(version) ||
        version != kVersion || !r.Get64(time) || !r.Get32(pid) || !r.GetText(out.strPath) ||
        !r.GetText(out.strTitle) || r.left != 0)
        return false;
    out.nTime = int64_t(time);
    out.nPid = int32_t(pid);
    record = std::move(out);
    return true;
}

// ------------------------------------------------------------------ files

std::string RecoveryFolder()
{
    std::string base;
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/tmp") + "/.local/state";
    }
    return base + "/tesvan/recovery";
}

bool WriteRecoveryFile(const std::string& path, const std::function<bool(CSafeFile&)>& fill,
                       std::string* error)
{
    CSafeFile file(path);
    bool ok = file.Open();
    if (ok) {
        try {
            ok = fill(file);
        } catch (const std::exception&) {
            ok = false;
        }
        ok = ok && file.Commit();
    }
    if (!ok) {
        file.Abandon();
        if (error)
            *error = WriteErrorText(path, file.Error() ? file.Error() : ENOMEM);
    }
    return ok;
}

bool WriteRecoveryFile(const std::string& path, const void* data, size_t size, std::string* error)
{
    return WriteRecoveryFile(path, [data, size](CSafeFile& file) { return file.Write(data, size); }, error);
}

// ------------------------------------------------------------------ lock

CRecoveryLock::~CRecoveryLock() { Release(); }

CRecoveryLock::CRecoveryLock(CRecoveryLock&& other) noexcept
    : m_fd(other.m_fd), m_strPath(std::move(other.m_strPath))
{
    other.m_fd = -1;
}

CRecoveryLock& CRecoveryLock::operator=(CRecoveryLock&& other) noexcept
{
    if (this != &other) {
        Release();
        m_fd = other.m_fd;
        m_strPath = std::move(other.m_strPath);
        other.m_fd = -1;
    }
    return *this;
}

bool CRecoveryLock::Acquire(const std::string& path, bool create)
{
    Release();
    const int flags = O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (create ? O_EXCL : 0);
    const int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    // The file may have been removed by its last holder between our open and
    // our lock: then the lock guards nothing.
    struct stat held {}, named {};
    if (::fstat(fd, &held) != 0 || ::stat(path.c_str(), &named) != 0 ||
        held.st_ino != named.st_ino || held.st_dev != named.st_dev) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_strPath = path;
    return true;
}

void CRecoveryLock::RemoveAndRelease()
{
    if (m_fd >= 0)
        ::unlink(m_strPath.c_str());
    Release();
}

void CRecoveryLock::Release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

// ------------------------------------------------------------------ scan

CRecoveryScan ScanRecoveryFolder(const std::string& folder, int64_t now)
{
    CRecoveryScan scan;
    struct Files {
        std::vector<std::string> temps;
    };
    std::map<std::string, Files> ids;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return scan;
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.empty() || name == "." || name == "..")
            continue;
        if (name[0] == '.') {
            // A temporary file of a write that was cut short: ".ID.tvn.XXXXXX".
            const size_t a = name.find(".tvn.", 1);
            const size_t b = name.find(".rec.", 1);
            const size_t cut = std::min(a, b);
            if (cut != std::string::npos && IsId(name.substr(1, cut - 1)))
                ids[name.substr(1, cut - 1)].temps.push_back(name);
            continue;
        }
        for (const char* ext : {".lock", ".rec", ".tvn"}) {
            if (EndsWith(name, ext)) {
                const std::string id = name.substr(0, name.size() - std::strlen(ext));
                if (IsId(id))
                    ids[id];
            }
        }
    }
    ::closedir(dir);

    for (auto& [id, files] : ids) {
        CRecoveryCopy copy;
        copy.strFolder = folder;
        copy.strId = id;
        copy.pLock = std::make_shared<CRecoveryLock>();
        // A held lock: its editor still runs (or another one is offering it now).
        if (!copy.pLock->Acquire(folder + "/" + id + ".lock", false))
            continue;
        for (const std::string& temp : files.temps)
            ::unlink((folder + "/" + temp).c_str());
        const bool hasRecord = Exists(copy.RecordPath());
        const bool hasCopy = Exists(copy.CopyPath());
        if (!hasCopy) {
            // Killed before its first copy was written: nothing to recover.
            ::unlink(copy.RecordPath().c_str());
            copy.pLock->RemoveAndRelease();
            continue;
        }
        std::vector<uint8_t> bytes;
        if (!hasRecord || !ReadSmallFile(copy.RecordPath(), kMaxRecoveryRecord, bytes) ||
            !DecodeRecoveryRecord(bytes.data(), bytes.size(), copy.record)) {
            for (std::string& moved : SetRecoveryCopyAside(copy))
                scan.damaged.push_back(std::move(moved));
            continue;
        }
        if (now - copy.record.nTime > kRecoveryMaxAge) {
            DiscardRecoveryCopy(copy);
            continue;
        }
        scan.copies.push_back(std::move(copy));
    }
    std::stable_sort(scan.copies.begin(), scan.copies.end(),
                     [](const CRecoveryCopy& a, const CRecoveryCopy& b) {
                         return a.record.nTime > b.record.nTime;
                     });
    return scan;
}

void DiscardRecoveryCopy(CRecoveryCopy& copy)
{
    ::unlink(copy.CopyPath().c_str());
    ::unlink(copy.RecordPath().c_str());
    if (copy.pLock)
        copy.pLock->RemoveAndRelease();
    SyncFolder(copy.strFolder);
}

std::vector<std::string> SetRecoveryCopyAside(CRecoveryCopy& copy)
{
    std::vector<std::string> moved;
    const std::string aside = copy.strFolder + "/damaged";
    if (!MakeFolders(aside))
        return moved;   // left where it is, still reported by the caller's next scan
    for (const std::string& path : {copy.RecordPath(), copy.CopyPath()}) {
        if (!Exists(path))
            continue;
        const std::string target = AsideName(aside, FileNameOf(path));
        if (::rename(path.c_str(), target.c_str()) == 0)
            moved.push_back(target);
    }
    if (!Exists(copy.RecordPath()) && !Exists(copy.CopyPath()) && copy.pLock)
        copy.pLock->RemoveAndRelease();
    SyncFolder(copy.strFolder);
    return moved;
}

// ------------------------------------------------------------------ dialog

bool CRecoveryDlg::SetField(const std::string& name, const std::string& value, std::string& error)
{
    if (name != "m_nItem") {
        error = "the dialog has no field '" + name + "'";
        return false;
    }
    char* end = nullptr;
    const long v = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0') {
        error = "m_nItem takes a number";
        return false;
    }
    m_nItem = int(std::clamp<long>(v, -1, long(m_Items.size())));
    return true;
}

bool CRecoveryDlg::PressButton(const std::string& word, std::string& error)
{
    if (word != "discard")
        return CDialogModel::PressButton(word, error);
    if (m_nItem < 0 || m_nItem >= int(m_Items.size()) || m_Items[size_t(m_nItem)].bDiscarded) {
        error = "no copy is selected";
        return false;
    }
    m_Items[size_t(m_nItem)].bDiscarded = true;
    // The selection moves to the next copy still listed, else the one before.
    const int n = int(m_Items.size());
    int next = -1;
    for (int i = m_nItem + 1; i < n && next < 0; ++i)
        if (!m_Items[size_t(i)].bDiscarded)
            next = i;
    for (int i = m_nItem - 1; i >= 0 && next < 0; --i)
        if (!m_Items[size_t(i)].bDiscarded)
            next = i;
    m_nItem = next;
    return true;
}

bool CRecoveryDlg::Validate(std::string& message)
{
    if (m_nItem >= 0 && m_nItem < int(m_Items.size()) && !m_Items[size_t(m_nItem)].bDiscarded)
        return true;
    message = "復元するコピーを選んでください。";
    return false;
}

// ------------------------------------------------------------------ writer

CRecoveryWriter::CRecoveryWriter(std::string folder) : m_strFolder(std::move(folder))
{
    m_thread = std::thread([this] { Run(); });
}

CRecoveryWriter::~CRecoveryWriter()
{
    Queue(Job{Job::Stop, {}, {}, false});
    if (m_thread.joinable())
        m_thread.join();
}

void CRecoveryWriter::CopyDocument(const CTesvanDoc& doc, CTesvanDoc& snap)
{
    // Everything the .tvn form holds, nothing of the editing state.
    const CTesvanDoc::CopyField copy;
    CTesvanDoc::PairContent(snap, doc, copy);
    for (int i = 0; i < CTesvanDoc::kLayers; ++i) {
        const CLayer& from = doc.m_Layers[i];
        CLayer& to = snap.m_Layers[i];
        CLayer::PairSettings(to, from, copy);
        const CImageEx* src = from.m_pImage;
        if (!src || src->IsNull()) {
            to.ReleaseImage();
            continue;
        }
        const int w = src->GetWidth(), h = src->GetHeight(), bpp = src->GetBPP();
        CImageEx* dst = to.m_pImage;
        // The copy's buffers are kept from one snapshot to the next, so only
        // a change of size or depth allocates.
        if (!dst || dst->IsNull() || dst->GetWidth() != w || dst->GetHeight() != h ||
            dst->GetBPP() != bpp) {
            to.ReleaseImage();
            auto image = std::make_unique<CImageEx>();
            if (!image->CreateEx(w, h, bpp, src->HasAlpha() ? CImageEx::createAlphaChannel : 0))
                continue;
            dst = to.m_pImage = image.release();
        }
        // Bottom-up rows: the block starts at the last row.
        std::memcpy(dst->GetRow(h - 1), src->GetRow(h - 1), size_t(-src->GetPitch()) * size_t(h));
    }
}

std::vector<uint8_t> CRecoveryWriter::Serialise(CTesvanDoc& doc)
{
    CArchive ar;
    doc.Serialize(ar);
    ar.Flush();
    return ar.Data();
}

bool CRecoveryWriter::EnsureOwnId()
{
    if (m_pLock && m_pLock->Held())
        return true;
    if (!MakeFolders(m_strFolder))
        return false;
    std::random_device rd;
    auto lock = std::make_shared<CRecoveryLock>();
    for (int attempt = 0; attempt < 16; ++attempt) {
        char id[32];
        std::snprintf(id, sizeof id, "%d-%08x", int(::getpid()), unsigned(rd()));
        if (lock->Acquire(m_strFolder + "/" + id + ".lock", true)) {
            m_strId = id;
            m_pLock = std::move(lock);
            m_bRecordWritten = false;
            return true;
        }
    }
    return false;
}

bool CRecoveryWriter::Snapshot(const CTesvanDoc& doc, const CRecoveryRecord& record)
{
    if (Busy() || !EnsureOwnId())
        return false;
    if (!m_pSnapshot)
        m_pSnapshot = std::make_unique<CTesvanDoc>();
    CopyDocument(doc, *m_pSnapshot);
    m_bBusy = true;
    Queue(Job{Job::Write, m_strId, record, !m_bRecordWritten});
    m_bRecordWritten = true;
    m_bHasCopy = true;
    return true;
}

void CRecoveryWriter::Remove()
{
    if (!m_bHasCopy)
        return;
    Queue(Job{Job::Remove, m_strId, {}, false});
    m_bHasCopy = false;
    m_bRecordWritten = false;
    // The copy's buffers go with it, unless the writer still reads them.
    if (!Busy())
        m_pSnapshot.reset();
}

void CRecoveryWriter::Finish()
{
    Remove();
    Wait();
    if (m_pLock)
        m_pLock->RemoveAndRelease();
    m_pLock.reset();
    m_pSnapshot.reset();
}

void CRecoveryWriter::Adopt(CRecoveryCopy& copy)
{
    Wait();
    if (m_pLock && m_strId != copy.strId) {
        Remove();
        Wait();
        m_pLock->RemoveAndRelease();
    }
    m_strId = copy.strId;
    m_pLock = copy.pLock;
    m_bHasCopy = true;
    m_bRecordWritten = true;
}

void CRecoveryWriter::Wait()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_Jobs.empty() && !m_bWorking; });
}

void CRecoveryWriter::Queue(Job job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_Jobs.push_back(std::move(job));
    }
    m_cv.notify_one();
}

void CRecoveryWriter::Run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_cv.wait(lock, [this] { return !m_Jobs.empty(); });
            job = std::move(m_Jobs.front());
            m_Jobs.pop_front();
            m_bWorking = true;
        }
        if (job.kind == Job::Write) {
            const bool ok = DoWrite(job);
            m_bBusy = false;
            if (m_fnDone)
                m_fnDone(ok);
        } else if (job.kind == Job::Remove) {
            DoRemove(job.id);
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bWorking = false;
        }
        m_idle.notify_all();
        if (job.kind == Job::Stop)
            return;
    }
}

bool CRecoveryWriter::DoWrite(const Job& job)
{
    const std::string base = m_strFolder + "/" + job.id;
    const std::vector<uint8_t> record = EncodeRecoveryRecord(job.record);
    // The first record goes before the first copy, so a copy never lies
    // there without saying what it is.
    std::string error;
    auto failed = [this, &error] {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_strLastError = error;
        return false;
    };
    if (job.writeRecordFirst &&
        !WriteRecoveryFile(base + ".rec", record.data(), record.size(), &error))
        return failed();
    // Streamed into the file as the save does. Either rename may reach the
    // disk first: both files are whole either way.
    auto fill = [this](CSafeFile& file) {
        CArchive ar(file);
        m_pSnapshot->Serialize(ar);
        ar.Flush();
        return file.Error() == 0;
    };
    if (!WriteRecoveryFile(base + ".tvn", fill, &error) ||
        !WriteRecoveryFile(base + ".rec", record.data(), record.size(), &error))
        return failed();
    return true;
}

std::string CRecoveryWriter::LastError() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_strLastError;
}

void CRecoveryWriter::DoRemove(const std::string& id)
{
    const std::string base = m_strFolder + "/" + id;
    ::unlink((base + ".tvn").c_str());
    ::unlink((base + ".rec").c_str());
    SyncFolder(m_strFolder);
}
