#include "engine/file_io.h"

#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace delvaro {

#ifdef _WIN32

FILE* OpenSkiFile(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    struct _stat64 info;
    if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFDIR) != 0) {
        std::fclose(file);
        errno = EISDIR;
        return nullptr;
    }
    return file;
}

FILE* CreateOutputFile(const char* path) { return std::fopen(path, "wb"); }

static FileIdentity IdentityOfHandle(HANDLE handle) {
    FileIdentity id;
    BY_HANDLE_FILE_INFORMATION info;
    if (handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info)) {
        id.valid = true;
        id.device = info.dwVolumeSerialNumber;
        id.index =
            (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    return id;
}

FileIdentity IdentityOfPath(const char* path) {
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    FileIdentity id = IdentityOfHandle(handle);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return id;
}

FileIdentity IdentityOfStream(FILE* stream) {
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
