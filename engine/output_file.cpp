#include "engine/output_file.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "common/windows_text.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace delvaro {

namespace {

// Links followed before the name counts as a loop, as the system counts.
constexpr int kMaxLinks = 40;
// Room kept in a name component for the temporary name's additions.
constexpr size_t kMaxLeafInTemporary = 200;
constexpr int kNameAttempts = 100;

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\' || c == ':';
#else
    return c == '/';
#endif
}

// The folder part of `path`, ending in its separator ("" for none), and the
// last component.
void SplitPath(const std::string& path, std::string* folder, std::string* leaf) {
    size_t cut = path.size();
    while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
    *folder = path.substr(0, cut);
    *leaf = path.substr(cut);
}

FileIdentity IdentityOfFolder(const std::string& folder) {
    return IdentityOfPath(folder.empty() ? "." : folder.c_str());
}

// A name no other run picks at the same moment: the clock, the process and
// a counter, mixed (splitmix64). A clash only costs another attempt.
std::string TemporaryName(const std::string& folder, const std::string& leaf) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static uint64_t counter = 0;
    uint64_t x = static_cast<uint64_t>(
                     std::chrono::high_resolution_clock::now().time_since_epoch().count()) ^
                 (++counter << 48) ^ reinterpret_cast<uintptr_t>(&counter);
#ifdef _WIN32
    x ^= static_cast<uint64_t>(GetCurrentProcessId()) << 20;
#else
    x ^= static_cast<uint64_t>(getpid()) << 20;
#endif
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    std::string name = folder + "." + leaf.substr(0, kMaxLeafInTemporary) + ".";
    for (int i = 0; i < 6; ++i) {
        name += kAlphabet[x % 62];
        x /= 62;
    }
    return name + ".tmp";
}

#ifdef _WIN32

// File paths are UTF-8; a long one takes the \\?\ form, which has no length
// limit.
std::wstring Widen(const std::string& text) { return WideFilePath(text.c_str()); }

std::string Narrow(const std::wstring& text) { return Utf8FromWide(text); }

// The system's own words for `error`, without the line end it adds. Asked
// for in UTF-16 and given in UTF-8, so they read right in any language.
std::string ErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string result = length > 0 && text != nullptr
                             ? Utf8FromWide(std::wstring_view(text, length))
                             : "error " + std::to_string(error);
    if (text != nullptr) LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                               result.back() == ' ' || result.back() == '.'))
        result.pop_back();
    return result;
}

#else

std::string ErrorText(int error) { return std::strerror(error); }

// Holds back every signal that can be held for as long as it lives, so that
// creating or moving the temporary file and telling the caller of it happen
// together as far as a signal handler can see.
class SignalsHeld {
  public:
    SignalsHeld() {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &m_previous);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t m_previous;
};

// Follows the symbolic links that `path` leads through, to the name of a
// file that is not a link (or does not exist). False after too many links.
bool FollowLinks(std::string path, std::string* target, struct stat* info, bool* exists) {
    for (int links = 0;; ++links) {
        if (::lstat(path.c_str(), info) != 0) {
            // Missing, or out of reach: creating the file beside it will
            // tell which.
            *exists = false;
            *target = path;
            return true;
        }
        if (!S_ISLNK(info->st_mode)) {
            *exists = true;
            *target = path;
            return true;
        }
        if (links == kMaxLinks) {
            errno = ELOOP;
            return false;
        }
        std::string link(static_cast<size_t>(info->st_size > 0 ? info->st_size : 256) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length < 0) return false;
        link.resize(static_cast<size_t>(length));
        if (!link.empty() && link[0] == '/') {
            path = link;
        } else {
            std::string folder, leaf;
            SplitPath(path, &folder, &leaf);
            path = folder + link;
        }
    }
}

#endif

}  // namespace

OutputFile::~OutputFile() { Abandon(); }

#ifdef _WIN32

bool OutputFile::Resolve(const char* name, std::string* reason) {
    m_name = name;
    m_target = name;
    m_exists = false;
    m_direct = false;
    const std::wstring wide = Widen(m_name);
    HANDLE handle =
        CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        m_exists = true;
        BY_HANDLE_FILE_INFORMATION info;
        const bool isFolder = GetFileInformationByHandle(handle, &info) &&
                              (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // Devices (NUL, CON, COM1) and folders are not replaced: they are
        // opened directly, and a folder then fails to open.
        m_direct = isFolder || GetFileType(handle) != FILE_TYPE_DISK;
        if (!m_direct) {
            // A link is followed to the file it names, which is replaced.
            wchar_t finalPath[32768];
            const DWORD length =
                GetFinalPathNameByHandleW(handle, finalPath, 32768, FILE_NAME_NORMALIZED);
            if (length > 0 && length < 32768) m_target = Narrow(std::wstring(finalPath, length));
        }
        CloseHandle(handle);
    }
    (void)reason;
    std::string folder;
    SplitPath(m_target, &folder, &m_leaf);
    m_identity = m_exists ? IdentityOfPath(m_target.c_str()) : FileIdentity();
    m_folder = IdentityOfFolder(folder);
    return true;
}

bool OutputFile::Replaces(const char* path) const {
    if (m_exists) return IdentityOfPath(path) == m_identity;
    std::string folder, leaf;
    SplitPath(path, &folder, &leaf);
    if (leaf.empty() || leaf.size() != m_leaf.size()) return false;
    // Names are compared as the file system compares them: without case.
    return CompareStringOrdinal(WideFromUtf8(leaf).c_str(), -1, WideFromUtf8(m_leaf).c_str(), -1,
                                TRUE) == CSTR_EQUAL &&
           IdentityOfFolder(folder) == m_folder;
}

bool OutputFile::Open(std::function<void(const char*)> onTemporary, std::string* reason) {
    if (m_direct) {
        m_stream = CreateOutputFile(m_name.c_str());
        if (m_stream == nullptr) *reason = std::strerror(errno);
        return m_stream != nullptr;
    }
    if (m_exists) {
        // Another program holding the file open without sharing it would
        // make the final move fail after all the work: refused now. The
        // move deletes the old file, so a program that shares reading and
        // writing but not deleting stops it as well.
        HANDLE handle =
            CreateFileW(Widen(m_target).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            *reason = ErrorText(GetLastError());
            return false;
        }
        // A read-only file is not replaced either. Windows refuses the open
        // above for it, but a system that lets its administrator write
        // anyway (Wine run as root) would fail only at the final move.
        FILE_BASIC_INFO basic;
        if (GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) &&
            (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
            CloseHandle(handle);
            *reason = ErrorText(ERROR_ACCESS_DENIED);
            return false;
        }
        CloseHandle(handle);
    }
    std::string folder, leaf;
    SplitPath(m_target, &folder, &leaf);
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kNameAttempts && handle == INVALID_HANDLE_VALUE; ++attempt) {
        m_temporary = TemporaryName(folder, leaf);
        handle = CreateFileW(Widen(m_temporary).c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (handle == INVALID_HANDLE_VALUE) {
        *reason = ErrorText(GetLastError());
        m_temporary.clear();
        return false;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) CloseHandle(handle);
    m_stream = fd < 0 ? nullptr : _fdopen(fd, "wb");
    if (m_stream == nullptr) {
        *reason = std::strerror(errno);
        if (fd >= 0) _close(fd);
        DeleteFileW(Widen(m_temporary).c_str());
        m_temporary.clear();
        return false;
    }
    m_onTemporary = std::move(onTemporary);
    if (m_onTemporary) m_onTemporary(m_temporary.c_str());
    return true;
}

bool OutputFile::Close() {
    if (m_stream == nullptr) return false;
    bool written = std::fflush(m_stream) == 0 && !std::ferror(m_stream);
    // The bytes reach the disk before the name points at them.
    if (!m_temporary.empty() && _commit(_fileno(m_stream)) != 0) written = false;
    if (std::fclose(m_stream) != 0) written = false;
    m_stream = nullptr;
    if (m_temporary.empty()) return written;
    const std::wstring temporary = Widen(m_temporary);
    const std::wstring target = Widen(m_target);
    // Moved after a failed write too: the output then holds what reached
    // it. Replacing keeps the replaced file's attributes and permissions.
    bool moved = ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
    if (!moved && GetLastError() == ERROR_FILE_NOT_FOUND)
        moved = MoveFileExW(temporary.c_str(), target.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!moved) DeleteFileW(temporary.c_str());
    Forget();
    return written && moved;
}

void OutputFile::Abandon() {
    if (m_stream != nullptr) std::fclose(m_stream);
    m_stream = nullptr;
    if (!m_temporary.empty()) DeleteFileW(Widen(m_temporary).c_str());
    Forget();
}

void OutputFile::Forget() {
    if (m_temporary.empty()) return;
    m_temporary.clear();
    if (m_onTemporary) m_onTemporary(nullptr);
}

#else

bool OutputFile::Resolve(const char* name, std::string* reason) {
    m_name = name;
    m_direct = false;
    struct stat info;
    if (!FollowLinks(m_name, &m_target, &info, &m_exists)) {
        *reason = ErrorText(errno);
        return false;
    }
    // A link that the system follows by other means than its text (those of
    // /proc/self/fd lead to files that have no name): no name to move a
    // file onto, so the file is written directly.
    struct stat followed;
    if (::stat(m_name.c_str(), &followed) == 0 &&
        (!m_exists || info.st_dev != followed.st_dev || info.st_ino != followed.st_ino)) {
        m_exists = true;
        m_direct = true;
        m_target = m_name;
        info = followed;
    }
    m_direct = m_exists && (m_direct || !S_ISREG(info.st_mode));
    if (m_exists) {
        m_identity = IdentityOfPath(m_target.c_str());
        m_mode = static_cast<unsigned long>(info.st_mode & 07777);
        m_owner = info.st_uid;
        m_group = info.st_gid;
    }
    std::string folder;
    SplitPath(m_target, &folder, &m_leaf);
    m_folder = IdentityOfFolder(folder);
    return true;
}

bool OutputFile::Replaces(const char* path) const {
    if (m_exists) return IdentityOfPath(path) == m_identity;
    std::string target;
    struct stat info;
    bool exists = false;
    if (!FollowLinks(path, &target, &info, &exists)) return false;
    std::string folder, leaf;
    SplitPath(target, &folder, &leaf);
    return !leaf.empty() && leaf == m_leaf && IdentityOfFolder(folder) == m_folder;
}

bool OutputFile::Open(std::function<void(const char*)> onTemporary, std::string* reason) {
    if (m_direct) {
        m_stream = CreateOutputFile(m_name.c_str());
        if (m_stream == nullptr) *reason = ErrorText(errno);
        return m_stream != nullptr;
    }
    if (m_exists) {
        // Moving a new file over a read-only one would succeed where
        // writing it would not: the file itself must be writable.
        const int fd = ::open(m_target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            *reason = ErrorText(errno);
            return false;
        }
        ::close(fd);
    }
    std::string folder, leaf;
    SplitPath(m_target, &folder, &leaf);
    m_onTemporary = std::move(onTemporary);
    int fd = -1;
    {
        SignalsHeld held;
        for (int attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
            m_temporary = TemporaryName(folder, leaf);
            // Created as any new file is (the process's umask applies);
            // a replaced file's permissions are set below.
            fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST) break;
        }
        if (fd < 0) {
            *reason = ErrorText(errno);
            m_temporary.clear();
            return false;
        }
        if (m_onTemporary) m_onTemporary(m_temporary.c_str());
    }
    if (m_exists) {
        // Only the superuser can give a file away; for anyone else the new
        // file is theirs, with the old one's permissions.
        if (::geteuid() == 0) (void)!::fchown(fd, m_owner, m_group);
        if (::fchmod(fd, static_cast<mode_t>(m_mode)) != 0) {
            *reason = ErrorText(errno);
            ::close(fd);
            Abandon();
            return false;
        }
    }
    m_stream = ::fdopen(fd, "wb");
    if (m_stream == nullptr) {
        *reason = ErrorText(errno);
        ::close(fd);
        Abandon();
        return false;
    }
    return true;
}

bool OutputFile::Close() {
    if (m_stream == nullptr) return false;
    bool written = std::fflush(m_stream) == 0 && !std::ferror(m_stream);
    // The bytes reach the disk before the name points at them: after a
    // power cut the name holds either file whole, never a torn one.
    if (!m_temporary.empty() && ::fsync(fileno(m_stream)) != 0) written = false;
    if (std::fclose(m_stream) != 0) written = false;
    m_stream = nullptr;
    if (m_temporary.empty()) return written;
    SignalsHeld held;
    // Moved after a failed write too: the output then holds what reached
    // it. A folder removed during the run takes the temporary file with it:
    // the move fails, and the run with it.
    const bool moved = std::rename(m_temporary.c_str(), m_target.c_str()) == 0;
    if (!moved) ::unlink(m_temporary.c_str());
    Forget();
    return written && moved;
}

void OutputFile::Abandon() {
    if (m_stream != nullptr) std::fclose(m_stream);
    m_stream = nullptr;
    if (m_temporary.empty()) return;
    SignalsHeld held;
    ::unlink(m_temporary.c_str());
    Forget();
}

void OutputFile::Forget() {
    if (m_temporary.empty()) return;
    m_temporary.clear();
    if (m_onTemporary) m_onTemporary(nullptr);
}

#endif

}  // namespace delvaro
