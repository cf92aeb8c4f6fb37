// platform_peek on Windows: a pipe is looked at through the system's pipe
// peek, a disk file is read and sought back, and anything else (a console,
// a character device) is read into the bytes that held_input.cpp keeps.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <io.h>

#include "platform/held_input.h"
#include "platform/platform.h"
#include "platform/platform_windows.h"

// The pipe peek of the system's file system control, the call that
// PeekNamedPipe makes. Its answer also tells the state of the pipe, which
// PeekNamedPipe drops: only so does a reader learn that the writer has closed
// its end while bytes are still waiting (PeekNamedPipe reports a broken pipe
// only once the pipe is empty).
struct PipePeek {
    ULONG state; // FILE_PIPE_*_STATE
    ULONG available;
    ULONG messages;
    ULONG message_length;
    char data[PEEK_MAX];
};
struct PipeIoStatus {
    ULONG_PTR status; // the call's status again, in a field as wide as a pointer
    ULONG_PTR information;
};
using FsControlFile = LONG(WINAPI *)(HANDLE, HANDLE, void *, void *, PipeIoStatus *, ULONG, void *,
                                     ULONG, void *, ULONG);
static const ULONG FSCTL_PIPE_PEEK_CODE = 0x0011400C;
static const ULONG PIPE_CONNECTED = 3, PIPE_CLOSING = 4;
static const LONG STATUS_OK = 0;
static const LONG STATUS_OVERFLOW = static_cast<LONG>(0x80000005); // more data than asked for
static const LONG STATUS_BROKEN = static_cast<LONG>(0xC000014B);   // closed and empty

static FsControlFile fs_control_file() {
    static FsControlFile function = nullptr;
    if (function == nullptr) {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        FARPROC found = ntdll != nullptr ? GetProcAddress(ntdll, "NtFsControlFile") : nullptr;
        // (A cast through void (*)() is how a function pointer changes type.)
        function = reinterpret_cast<FsControlFile>(reinterpret_cast<void (*)()>(found));
    }
    return function;
}

static PipePeek peek;

// Waits until the pipe holds least bytes, or its writer has closed it; copies
// up to size without taking them.
static long peek_pipe(HANDLE pipe, char *buffer, size_t size, size_t least) {
    FsControlFile control = fs_control_file();
    if (control == nullptr)
        return -1;
    const size_t header = offsetof(PipePeek, data);
    for (;;) {
        peek = PipePeek{};
        PipeIoStatus io{};
        LONG status = control(pipe, nullptr, nullptr, nullptr, &io, FSCTL_PIPE_PEEK_CODE, nullptr,
                              0, &peek, static_cast<ULONG>(header + size));
        if (status == STATUS_BROKEN)
            return 0;
        if (status != STATUS_OK && status != STATUS_OVERFLOW)
            return -1;
        size_t got = io.information > header ? io.information - header : 0;
        if (got > size)
            got = size;
        // A state other than connected or closing is no state at all (some
        // emulations leave it 0): then the bytes there must do.
        bool writer_open = peek.state == PIPE_CONNECTED || (peek.state != PIPE_CLOSING && got == 0);
        if (got >= least || !writer_open) {
            memcpy(buffer, peek.data, got);
            return static_cast<long>(got);
        }
        Sleep(1);
    }
}

// A disk file gives peeked bytes back by seeking; a console cannot.
static bool seek_back(int handle, size_t count) {
    return GetFileType(system_handle(handle)) == FILE_TYPE_DISK &&
           _lseeki64(handle, -static_cast<__int64>(count), SEEK_CUR) >= 0;
}

long platform_peek(int handle, char *buffer, size_t size, size_t least) {
    bound_peek(&size, &least);
    if (size == 0)
        return 0;
    HANDLE file = system_handle(handle);
    if (file != INVALID_HANDLE_VALUE && GetFileType(file) == FILE_TYPE_PIPE)
        return peek_pipe(file, buffer, size, least);
    return peek_by_reading(handle, buffer, size, least, runtime_read, seek_back);
}
