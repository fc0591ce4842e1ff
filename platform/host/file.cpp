// Host stand-in for the file services: handles are entries of a small table
// of POSIX descriptors. Unshared opens are made with flock(LOCK_EX|LOCK_NB)
// on every open, which conflicts between processes and also between two
// open descriptions inside one process, as share mode 0 does on Windows.
#include "platform.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host_counts.h"

namespace {

// One open file. Handles are (slot + kHandleBase) so that neither 0 nor
// all ones is ever a valid handle.
struct HostFile {
    int fd;  // -1: slot free
    bool can_read;
    bool can_write;
};
constexpr intptr_t kHandleBase = 0x1000;
constexpr int kMaxFiles = 512;

// Any thread may call the file services; the table is guarded by its mutex.
struct FileHandles {
    std::mutex mutex;
    HostFile files[kMaxFiles];
    FileHandles() {
        for (HostFile& f : files) f = {-1, false, false};
    }
} handles;

// While not 0, every ReadFile fails with this code (HostFailFileReads).
std::atomic<DWORD> failing_reads{0};

// The open file behind a handle, or nullptr. Caller holds the mutex.
HostFile* Lookup(HANDLE handle) {
    intptr_t i = (intptr_t)handle - kHandleBase;
    if (i < 0 || i >= kMaxFiles || handles.files[i].fd < 0) return nullptr;
    return &handles.files[i];
}

// Windows tells a missing file (2) from a missing or non-folder part of its
// path (3); POSIX says ENOENT for both.
DWORD OpenError(const char* name, int error) {
    if (error != ENOENT) return HostErrorFromErrno(error);
    std::string folder(name);
    size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
    folder.erase(slash == 0 ? 1 : slash);
    struct stat st;
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                  : ERROR_PATH_NOT_FOUND;
}

HANDLE Fail(DWORD code) {
    SetLastError(code);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, SECURITY_ATTRIBUTES*,
                          DWORD disposition, DWORD, HANDLE) {
    HostCountCall(HostCallCreateFileA);
    if (!name || !*name) return Fail(ERROR_PATH_NOT_FOUND);
    if (share != 0) return Fail(ERROR_INVALID_PARAMETER);
    bool r = access & GENERIC_READ, w = access & GENERIC_WRITE;
    int flags = O_CLOEXEC | (r && w ? O_RDWR : w ? O_WRONLY : O_RDONLY);
    bool truncate = false;
    switch (disposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT; truncate = true; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING: truncate = true; break;
    default: return Fail(ERROR_INVALID_PARAMETER);
    }
    int fd = open(name, flags, 0666);
    if (fd < 0) return Fail(OpenError(name, errno));
    struct stat st;
    // The lock comes before any truncation, so a refused open changes nothing.
    // A folder cannot be opened as a file; a device (/dev/full for a full
    // disk) opens but has nothing to truncate.
    DWORD error = ERROR_SUCCESS;
    if (fstat(fd, &st) != 0) error = HostErrorFromErrno(errno);
    else if (S_ISDIR(st.st_mode)) error = ERROR_ACCESS_DENIED;
    else if (flock(fd, LOCK_EX | LOCK_NB) != 0) error = HostErrorFromErrno(errno);
    else if (truncate && S_ISREG(st.st_mode) && ftruncate(fd, 0) != 0) error = HostErrorFromErrno(errno);
    if (error != ERROR_SUCCESS) {
        close(fd);
        return Fail(error);
    }
    std::lock_guard<std::mutex> lock(handles.mutex);
    for (int i = 0; i < kMaxFiles; i++) {
        if (handles.files[i].fd < 0) {
            handles.files[i] = {fd, r, w};
            return (HANDLE)(kHandleBase + i);
        }
    }
    close(fd);
    return Fail(ERROR_TOO_MANY_OPEN_FILES);
}

BOOL WINAPI CloseHandle(HANDLE handle) {
    HostCountCall(HostCallCloseHandle);
    std::lock_guard<std::mutex> lock(handles.mutex);
    HostFile* f = Lookup(handle);
    if (!f) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    close(f->fd);  // releases the lock with the last descriptor
    f->fd = -1;
    return TRUE;
}

namespace {

// Moves the position of an open file by a 64-bit distance: the new
// position, or -1 with the last error set.
int64_t MovePointer(HANDLE handle, int64_t move, DWORD method) {
    std::lock_guard<std::mutex> lock(handles.mutex);
    HostFile* f = Lookup(handle);
    if (!f || method > FILE_END) {
        SetLastError(f ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return -1;
    }
    off_t base = 0;
    if (method == FILE_CURRENT) base = lseek(f->fd, 0, SEEK_CUR);
    if (method == FILE_END) base = lseek(f->fd, 0, SEEK_END);
    if (base < 0 || (int64_t)base + move < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return -1;
    }
    off_t pos = lseek(f->fd, (off_t)(base + move), SEEK_SET);
    if (pos < 0) SetLastError(HostErrorFromErrno(errno));
    return pos;
}

int64_t FileSizeOf(HANDLE handle) {
    std::lock_guard<std::mutex> lock(handles.mutex);
    HostFile* f = Lookup(handle);
    struct stat st;
    if (!f || fstat(f->fd, &st) != 0) {
        SetLastError(f ? HostErrorFromErrno(errno) : ERROR_INVALID_HANDLE);
        return -1;
    }
    return st.st_size;
}

}  // namespace

DWORD WINAPI SetFilePointer(HANDLE handle, LONG distance, PLONG distance_high, DWORD method) {
    HostCountCall(HostCallSetFilePointer);
    // Without a high part the distance is a signed 32-bit value, and a
    // position that needs more than 32 bits is refused, as the system does.
    int64_t move = distance_high ? (int64_t)(((uint64_t)(uint32_t)*distance_high << 32) |
                                             (uint32_t)distance)
                                 : (int64_t)distance;
    int64_t pos = MovePointer(handle, move, method);
    if (pos < 0) return INVALID_SET_FILE_POINTER;
    if (distance_high) *distance_high = (LONG)((uint64_t)pos >> 32);
    else if (pos > (int64_t)UINT32_MAX - 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    return (DWORD)pos;
}

BOOL WINAPI SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, PLARGE_INTEGER position,
                             DWORD method) {
    HostCountCall(HostCallSetFilePointer);
    int64_t pos = MovePointer(handle, distance.QuadPart, method);
    if (pos < 0) return FALSE;
    if (position) position->QuadPart = pos;
    return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE handle, LPDWORD size_high) {
    HostCountCall(HostCallGetFileSize);
    int64_t size = FileSizeOf(handle);
    if (size < 0) return INVALID_FILE_SIZE;
    if (size_high) *size_high = (DWORD)((uint64_t)size >> 32);
    return (DWORD)size;
}

BOOL WINAPI GetFileSizeEx(HANDLE handle, PLARGE_INTEGER size) {
    HostCountCall(HostCallGetFileSize);
    int64_t bytes = FileSizeOf(handle);
    if (bytes < 0) return FALSE;
    size->QuadPart = bytes;
    return TRUE;
}

BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD bytes, LPDWORD read_count, OVERLAPPED*) {
    HostCountCall(HostCallReadFile);
    HostCheckExit();  // a thread of an ended process goes no further
    if (read_count) *read_count = 0;
    std::lock_guard<std::mutex> lock(handles.mutex);
    HostFile* f = Lookup(handle);
    if (!f || !f->can_read) {
        SetLastError(f ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (DWORD code = failing_reads.load()) {
        SetLastError(code);
        return FALSE;
    }
    ssize_t n = read(f->fd, buffer, bytes);
    if (n < 0) {
        SetLastError(HostErrorFromErrno(errno));
        return FALSE;
    }
    if (read_count) *read_count = (DWORD)n;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD bytes, LPDWORD written, OVERLAPPED*) {
    HostCountCall(HostCallWriteFile);
    HostCheckExit();
    if (written) *written = 0;
    std::lock_guard<std::mutex> lock(handles.mutex);
    HostFile* f = Lookup(handle);
    if (!f || !f->can_write) {
        SetLastError(f ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ssize_t n = bytes ? write(f->fd, buffer, bytes) : 0;
    if (n < 0) {
        SetLastError(HostErrorFromErrno(errno));
        return FALSE;
    }
    if (written) *written = (DWORD)n;
    return TRUE;
}

void HostFailFileReads(DWORD code) { failing_reads.store(code); }
