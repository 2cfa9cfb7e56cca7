#include "engine/file_io.h"

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

// Every path is UTF-8; Windows gets it through the wide calls, so names
// outside the ANSI code page open too.
static FILE* StreamOfHandle(HANDLE handle, int flags, const char* mode) {
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    FILE* file = _fdopen(fd, mode);
    if (file == nullptr) _close(fd);
    return file;
}

FILE* OpenSkiFile(const char* path) {
    // Others may go on reading and writing the file while it is read, as
    // with the C library's own open.
    HANDLE handle = CreateFileW(WideFilePath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    // A folder does not open without backup semantics: it cannot be read.
    return StreamOfHandle(handle, _O_RDONLY | _O_BINARY, "rb");
}

FILE* CreateOutputFile(const char* path) {
    HANDLE handle = CreateFileW(WideFilePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return StreamOfHandle(handle, _O_WRONLY | _O_BINARY, "wb");
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
    struct stat info;
    int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) ::close(fd);
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
