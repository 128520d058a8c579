// Small scoped owners of Win32 resources: each releases what it holds when
// it goes out of scope.
#pragma once

#include <windows.h>

// Holds a spin lock: a flag word taken by exchanging -1 into it until the
// previous value was 0, given back by storing 0.
class ScopedSpinLock {
public:
    explicit ScopedSpinLock(volatile LONG& flag) : flag_(flag)
    {
        while (InterlockedExchange(&flag_, -1) != 0) {
        }
    }
    ~ScopedSpinLock() { InterlockedExchange(&flag_, 0); }
    ScopedSpinLock(const ScopedSpinLock&) = delete;
    ScopedSpinLock& operator=(const ScopedSpinLock&) = delete;

private:
    volatile LONG& flag_;
};

// A file handle from CreateFileW (INVALID_HANDLE_VALUE when the open
// failed), closed at the end.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle()
    {
        if (IsValid())
            CloseHandle(handle_);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

// A GDI font, deleted at the end (after the window that used it has gone).
class ScopedFont {
public:
    explicit ScopedFont(HFONT font) : font_(font) {}
    ~ScopedFont()
    {
        if (font_)
            DeleteObject(font_);
    }
    ScopedFont(const ScopedFont&) = delete;
    ScopedFont& operator=(const ScopedFont&) = delete;

    HFONT Get() const { return font_; }

private:
    HFONT font_;
};

// While alive, a failing file call shows no system error box; the previous
// error mode comes back at the end.
class ScopedQuietErrors {
public:
    ScopedQuietErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    ~ScopedQuietErrors() { SetErrorMode(previous_); }
    ScopedQuietErrors(const ScopedQuietErrors&) = delete;
    ScopedQuietErrors& operator=(const ScopedQuietErrors&) = delete;

private:
    UINT previous_;
};
