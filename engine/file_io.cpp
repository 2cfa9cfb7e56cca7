#include "engine/file_io.h"

#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>

#include "common/windows_text.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace delvaro {

#ifdef _WIN32

// The C library's number for the system's error, for the reason a message
// gives; anything without a closer match is an input/output error.
static int ErrnoOf(DWORD error, const std::wstring& path) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_PATHNAME:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return ENOENT;
        case ERROR_ACCESS_DENIED: {
            // What a folder opened as a file gives.
            const DWORD attributes = GetFileAttributesW(path.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                return EISDIR;
            return EACCES;
        }
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return EACCES;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        default:
            return EIO;
    }
}

// Every path is UTF-8; Windows gets it through the wide calls, so names
// outside the ANSI code page open too. A failure leaves errno telling why.
static FILE* OpenStream(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
                        int mode, const char* streamMode) {
    const std::wstring wide = WideFilePath(path);
    HANDLE handle = CreateFileW(wide.c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = ErrnoOf(GetLastError(), wide);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), mode);
    if (fd < 0) {
        CloseHandle(handle);
        errno = EMFILE;
        return nullptr;
    }
    FILE* file = _fdopen(fd, streamMode);
    if (file == nullptr) {
        const int error = errno;
        _close(fd);
        errno = error;
    }
    return file;
}

FILE* OpenSkiFile(const char* path) {
    // Others may go on reading and writing the file while it is read, as
    // with the C library's own open. A folder does not open without backup
    // semantics: it cannot be read.
    return OpenStream(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, _O_RDONLY | _O_BINARY,
                      "rb");
}

FILE* CreateOutputFile(const char* path) {
    return OpenStream(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                      _O_WRONLY | _O_BINARY, "wb");
}
static FileIdentity IdentityOfHandle(HANDLE handle) {
    FileIdentity id;
    BY_HANDLE_FILE_INFORMATION info;
    if (handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK &&
        GetFileInformationByHandle(handle, &info)) {
        id.valid = true;
        id.device = info.dwVolumeSerialNumber;
        id.index =
            (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    return id;
}

// The volume and file index name the file itself, whatever the spelling:
// another case, an 8.3 short name, the \\?\ form or a hard link.
FileIdentity IdentityOfPath(const char* path) {
    // No access asked, and every kind of sharing granted: the identity is
    // read even while another program holds the file.
    HANDLE handle = CreateFileW(WideFilePath(path).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    FileIdentity id = IdentityOfHandle(handle);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return id;
}

FileIdentity IdentityOfStream(FILE* stream) {
    // Pipes and consoles are no SKI file's identity.
    return IdentityOfHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))));
}

#else

FILE* OpenSkiFile(const char* path) {
    // O_NONBLOCK only for the open itself: a FIFO with no writer would
    // otherwise hang the run here.
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info = {};
    int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        errno = error;
        return nullptr;
    }
    FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
}

FILE* CreateOutputFile(const char* path) {
    int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

static FileIdentity IdentityOfStat(const struct stat& info) {
    FileIdentity id;
    id.valid = true;
    id.device = static_cast<unsigned long long>(info.st_dev);
    id.index = static_cast<unsigned long long>(info.st_ino);
    return id;
}

FileIdentity IdentityOfPath(const char* path) {
    struct stat info;
    if (::stat(path, &info) != 0) return FileIdentity();
    return IdentityOfStat(info);
}

FileIdentity IdentityOfStream(FILE* stream) {
    struct stat info;
    if (::fstat(fileno(stream), &info) != 0) return FileIdentity();
    // Pipes and terminals are no SKI file's identity.
    if (!S_ISREG(info.st_mode)) return FileIdentity();
    return IdentityOfStat(info);
}

#endif

}  // namespace delvaro
