#include "platform/SafeFile.h"

#include "platform/UiPort.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <random>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char kMarker[] = ".tesvan-";
constexpr const char kSuffix[] = ".tmp";
constexpr size_t kChunk = size_t(1) << 20;

std::atomic<int> g_failAt{0};
std::atomic<int> g_failErrno{0};
std::atomic<size_t> g_chunk{0};
std::atomic<int> g_writes{0};
std::atomic<unsigned> g_failures{0};

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a chain of symbolic links ends at (which need not exist yet).
bool ResolveLinks(const std::string& path, std::string& out, int& error)
{
    out = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(out.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true;
        std::string target(size_t(PATH_MAX), '\0');
        const ssize_t n = ::readlink(out.c_str(), target.data(), target.size());
        if (n < 0) {
            error = errno;
            return false;
        }
        target.resize(size_t(n));
        if (target.empty() || target[0] != '/')
            target = FolderOf(out) + "/" + target;
        out = target;
    }
    error = ELOOP;
    return false;
}

// Whether the person may write the file. Root may write anything, so for
// root a file without any write permission counts as read-only.
bool Writable(const std::string& path, const struct stat& st)
{
    if (::geteuid() == 0)
        return (st.st_mode & 0222) != 0;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

std::string RandomTag()
{
    static std::atomic<unsigned> counter{0};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::random_device rd;
    uint64_t v = (uint64_t(rd()) << 32 | rd()) ^ (uint64_t(counter++) << 48);
    std::string s;
    for (int i = 0; i < 8; ++i, v /= 36)
        s += digits[v % 36];
    return s;
}

// The owner pid of a temporary file name of ours, or 0.
pid_t OwnerOf(const char* name)
{
    const size_t len = std::strlen(name);
    const size_t suffix = sizeof kSuffix - 1;
    if (name[0] != '.' || len < suffix || std::strcmp(name + len - suffix, kSuffix) != 0)
        return 0;
    const std::string s(name, len - suffix);
    const size_t marker = s.rfind(kMarker);
    if (marker == std::string::npos || marker < 2)
        return 0;
    const size_t start = marker + sizeof kMarker - 1;
    const size_t dash = s.find('-', start);
    if (dash == std::string::npos || dash == start || dash + 1 >= s.size())
        return 0;
    long pid = 0;
    for (size_t i = start; i < dash; ++i) {
        if (s[i] < '0' || s[i] > '9' || pid > 1 << 28)
            return 0;
        pid = pid * 10 + (s[i] - '0');
    }
    for (size_t i = dash + 1; i < s.size(); ++i)
        if (!((s[i] >= '0' && s[i] <= '9') || (s[i] >= 'a' && s[i] <= 'z')))
            return 0;
    return pid_t(pid);
}

bool Running(pid_t pid) { return ::kill(pid, 0) == 0 || errno != ESRCH; }

// One write of the hook's count; EINTR is retried.
ssize_t CountedWrite(int fd, const void* p, size_t n)
{
    const int at = g_failAt.load();
    const int count = ++g_writes;
    if (at > 0 && count == at) {
        errno = g_failErrno.load();
        return -1;
    }
    ssize_t r;
    do
        r = ::write(fd, p, n);
    while (r < 0 && errno == EINTR);
    return r;
}

const char* Reason(int error)
{
    switch (error) {
    case ENOSPC: return "ディスクに十分な空き領域がありません。";
    case EDQUOT: return "ディスク クォータの上限を超えました。";
    case EACCES:
    case EPERM: return "アクセスが拒否されました。";
    case ENOENT:
    case ENOTDIR: return "指定されたパスが見つかりません。";
    case EROFS: return "読み取り専用のファイル システムです。";
    case EIO: return "デバイスの入出力エラーです。";
    case EISDIR: return "指定されたパスはフォルダーです。";
    case EFBIG: return "ファイルが大きすぎます。";
    case ENAMETOOLONG: return "ファイル名が長すぎます。";
    case ELOOP: return "シンボリック リンクが多すぎます。";
    case ENOMEM: return "メモリが不足しています。";
    case EINVAL: return "パラメーターが間違っています。";
    case EBUSY:
    case ETXTBSY: return "ファイルは使用中です。";
    case EMFILE:
    case ENFILE: return "開いているファイルが多すぎます。";
    case ENXIO:
    case ENODEV: return "デバイスが見つかりません。";
    case ETIMEDOUT: return "応答がないまま時間切れになりました。";
    case ESTALE: return "ネットワーク上のファイルがなくなりました。";
    case kNotAFile: return "通常のファイルではありません。";
    case kDamagedContent: return "ファイルが壊れているか、形式が違います。";
    case kEmptyFile: return "ファイルが空です。";
    default: return nullptr;
    }
}

std::string ReasonText(int error)
{
    if (const char* r = Reason(error))
        return r;
    // The system's own words, behind a sentence of ours.
    return "システム エラー " + std::to_string(error) + " (" + std::strerror(error) + ") です。";
}

} // namespace

// ---------------------------------------------------------------- messages

// Messages name the file as the person knows it: by its name.
std::string WriteErrorText(const std::string& path, int error)
{
    if (error == CSafeFile::kReadOnly)
        return FileNameOf(path) + " は読み取り専用のため上書きできません。";
    return FileNameOf(path) + " に書き込めませんでした。" + ReasonText(error);
}

std::string ReadErrorText(const std::string& path, int error)
{
    return FileNameOf(path) + " を読み込めませんでした。" + ReasonText(error);
}

void ReportFileFailure(const std::string& message)
{
    ++g_failures;
    UiPort().MessageBox(message);
}

void CountFileFailure() { ++g_failures; }

unsigned FileFailureCount() { return g_failures.load(); }

void SetSafeFileFault(int failAtWrite, int error, size_t chunk)
{
    g_failAt = failAtWrite;
    g_failErrno = error;
    g_chunk = chunk;
    g_writes = 0;
}

int SafeFileWriteCount() { return g_writes.load(); }

void RemoveStaleTempFiles(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const int dfd = ::dirfd(dir);
    while (struct dirent* e = ::readdir(dir)) {
        const pid_t pid = OwnerOf(e->d_name);
        if (pid <= 0 || Running(pid))
            continue;
        struct stat st {};
        if (::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(dfd, e->d_name, 0);
    }
    ::closedir(dir);
}

// ---------------------------------------------------------------- writer

CSafeFile::CSafeFile(std::string path) : m_strPath(std::move(path)) {}

CSafeFile::~CSafeFile() { Abandon(); }

bool CSafeFile::Fail(int error)
{
    if (m_nError == 0)
        m_nError = error ? error : EIO;
    Abandon();
    return false;
}

bool CSafeFile::Open()
{
    if (m_fd >= 0 || m_nError)
        return m_fd >= 0;
    int error = 0;
    if (m_strPath.empty())
        return Fail(ENOENT);
    if (!ResolveLinks(m_strPath, m_strFinal, error))
        return Fail(error);

    struct stat st {};
    mode_t mode = 0666;
    uid_t uid = uid_t(-1);
    gid_t gid = gid_t(-1);
    if (::stat(m_strFinal.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return Fail(EISDIR);
        if (!S_ISREG(st.st_mode))
            return Fail(EACCES);
        if (!Writable(m_strFinal, st))
            return Fail(kReadOnly);
        m_bHadTarget = true;
        mode = st.st_mode & 07777;
        uid = st.st_uid;
        gid = st.st_gid;
    } else if (errno != ENOENT) {
        return Fail(errno);
    }

    const std::string folder = FolderOf(m_strFinal);
    RemoveStaleTempFiles(folder);
    const std::string stem = folder + "/." + FileNameOf(m_strFinal) + kMarker +
                             std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 20; ++attempt) {
        m_strTemp = stem + RandomTag() + kSuffix;
        m_fd = ::open(m_strTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0 || errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        error = errno;
        m_strTemp.clear();
        return Fail(error);
    }
    if (m_bHadTarget) {
        // Owner and group only where the process may give them away.
        if (::fchown(m_fd, uid, gid) != 0)
            (void)::fchown(m_fd, uid_t(-1), gid);
        if (::fchmod(m_fd, mode) != 0)
            return Fail(errno);
    }
    return true;
}

bool CSafeFile::Write(const void* data, size_t size)
{
    if (m_fd < 0 || m_bFlushed)
        return false;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    const size_t chunk = g_chunk.load() ? g_chunk.load() : kChunk;
    while (size > 0) {
        const ssize_t r = CountedWrite(m_fd, p, size < chunk ? size : chunk);
        if (r <= 0)
            return Fail(r < 0 ? errno : ENOSPC);
        p += r;
        size -= size_t(r);
    }
    return true;
}

bool CSafeFile::Flush()
{
    if (m_bFlushed)
        return true;
    if (m_fd < 0)
        return false;
    if (::fsync(m_fd) != 0)
        return Fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(m_strTemp.c_str());
        m_strTemp.clear();
        return Fail(error);
    }
    m_bFlushed = true;
    return true;
}

bool CSafeFile::Commit()
{
    if (!Flush())
        return false;
    m_bFlushed = false;
    if (::rename(m_strTemp.c_str(), m_strFinal.c_str()) != 0) {
        const int error = errno;
        ::unlink(m_strTemp.c_str());
        m_strTemp.clear();
        return Fail(error);
    }
    m_strTemp.clear();
    const int dir = ::open(FolderOf(m_strFinal).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void CSafeFile::Abandon()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_strTemp.empty()) {
        ::unlink(m_strTemp.c_str());
        m_strTemp.clear();
    }
    m_bFlushed = false;
}

std::string CSafeFile::ErrorText() const { return WriteErrorText(m_strPath, m_nError); }

bool WriteFileSafely(const std::string& path, const void* data, size_t size, std::string* error)
{
    CSafeFile file(path);
    if (file.Open() && file.Write(data, size) && file.Commit())
        return true;
    if (error)
        *error = file.ErrorText();
    return false;
}

bool WriteFilesSafely(const std::vector<SafeFileItem>& files, std::string* error)
{
    std::vector<std::unique_ptr<CSafeFile>> open;
    open.reserve(files.size());
    auto fail = [&](const CSafeFile& f) {
        if (error)
            *error = f.ErrorText();
        return false;   // the destructors abandon every temporary file
    };
    for (const SafeFileItem& item : files) {
        open.push_back(std::make_unique<CSafeFile>(item.path));
        CSafeFile& f = *open.back();
        if (!f.Open() || !f.Write(item.data, item.size) || !f.Flush())
            return fail(f);
    }
    // Every file is on the disk: the renames cannot run out of space.
    for (auto& f : open)
        if (!f->Commit())
            return fail(*f);
    return true;
}
