// The target file "diminuto.log": record codec and file operations.
#include "target_file.h"

#include "scoped_win.h"
#include "system_function.h"

namespace {

constexpr DWORD RETRY_INTERVAL_MS = 50;
constexpr LONG NT_STATUS_DELETE_PENDING = static_cast<LONG>(0xC0000056);
constexpr DWORD MODULE_PATH_FIRST_SIZE = 128;  // most paths fit; longer ones grow it
constexpr DWORD MAX_MODULE_PATH = 65536;

void PutField(unsigned char* bytes, int16_t value)
{
    const uint16_t bits = static_cast<uint16_t>(value);
    bytes[0] = static_cast<unsigned char>(bits & 0xFF);
    bytes[1] = static_cast<unsigned char>(bits >> 8);
}

int16_t GetField(const unsigned char* bytes)
{
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int month, int year)
{
    static const int DAYS[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (month == 2 && IsLeapYear(year)) ? 29 : DAYS[month - 1];
}

typedef LONG (NTAPI *RtlGetLastNtStatusProc)(void);

// ntdll's RtlGetLastNtStatus, NULL where it is missing.
RtlGetLastNtStatusProc LastNtStatusFunction()
{
    return SystemFunction<RtlGetLastNtStatusProc>(GetModuleHandleW(L"ntdll.dll"), "RtlGetLastNtStatus");
}

// An open that may work on a later try: the file is held by another
// program (its share mode or a lock), or its delete is pending until the
// last handle closes, which the system reports as access denied with the
// NT status STATUS_DELETE_PENDING.
bool OpenMayWorkLater(DWORD error, LONG ntStatus)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
        || error == ERROR_DELETE_PENDING
        || (error == ERROR_ACCESS_DENIED && ntStatus == NT_STATUS_DELETE_PENDING);
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// CreateFileW, tried again for up to retryMs while the open may work
// later. On failure *error holds the last try's system error.
HANDLE OpenRetrying(const std::wstring& path, DWORD access, DWORD share, DWORD creation, DWORD flags,
                    DWORD retryMs, DWORD* error)
{
    // Looked up first: nothing may run between a failed open and the read
    // of its status.
    const RtlGetLastNtStatusProc lastNtStatus = LastNtStatusFunction();
    const DWORD start = GetTickCount();
    for (;;) {
        HANDLE file = CreateFileW(path.c_str(), access, share, nullptr, creation,
                                  FILE_ATTRIBUTE_NORMAL | flags, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        *error = GetLastError();
        const LONG ntStatus = lastNtStatus ? lastNtStatus() : 0;
        if (!OpenMayWorkLater(*error, ntStatus) || GetTickCount() - start >= retryMs)
            return INVALID_HANDLE_VALUE;
        // Alertable: Wine times a plain Sleep against the wall clock.
        SleepEx(RETRY_INTERVAL_MS, TRUE);
    }
}

// Opens an existing file, retrying for up to retryMs while the open may
// work later. On failure *failure says why: LOAD_MISSING (no such file or
// folder), LOAD_NO_TARGET (a folder of that name) or LOAD_UNREADABLE.
HANDLE OpenExisting(const std::wstring& path, DWORD access, DWORD share, DWORD flags,
                    DWORD retryMs, LoadStatus* failure)
{
    DWORD error = 0;
    HANDLE file = OpenRetrying(path, access, share, OPEN_EXISTING, flags, retryMs, &error);
    if (file == INVALID_HANDLE_VALUE) {
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            *failure = LOAD_MISSING;
        else
            *failure = IsFolder(path) ? LOAD_NO_TARGET : LOAD_UNREADABLE;
    }
    return file;
}

// The last whole record of an open file, at offset (n - 1) * 10.
LoadStatus ReadLastRecord(HANDLE file, TargetRecord* record)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size))
        return LOAD_UNREADABLE;
    const LONGLONG records = size.QuadPart / TARGET_RECORD_SIZE;
    if (records == 0)
        return LOAD_NO_TARGET;
    LARGE_INTEGER offset;
    offset.QuadPart = (records - 1) * TARGET_RECORD_SIZE;
    unsigned char bytes[TARGET_RECORD_SIZE];
    DWORD read = 0;
    if (!SetFilePointerEx(file, offset, nullptr, FILE_BEGIN)
        || !ReadFile(file, bytes, TARGET_RECORD_SIZE, &read, nullptr) || read != TARGET_RECORD_SIZE)
        return LOAD_UNREADABLE;
    *record = DecodeTargetRecord(bytes);
    return LOAD_OK;
}

bool SameRecord(const TargetRecord& a, const TargetRecord& b)
{
    return a.minute == b.minute && a.hour == b.hour && a.day == b.day && a.month == b.month
        && a.year == b.year;
}

} // namespace

// Five fields, minute first, each low byte first.
void EncodeTargetRecord(const TargetRecord& record, unsigned char bytes[TARGET_RECORD_SIZE])
{
    PutField(bytes + 0, record.minute);
    PutField(bytes + 2, record.hour);
    PutField(bytes + 4, record.day);
    PutField(bytes + 6, record.month);
    PutField(bytes + 8, record.year);
}

// The inverse of EncodeTargetRecord.
TargetRecord DecodeTargetRecord(const unsigned char bytes[TARGET_RECORD_SIZE])
{
    TargetRecord record;
    record.minute = GetField(bytes + 0);
    record.hour = GetField(bytes + 2);
    record.day = GetField(bytes + 4);
    record.month = GetField(bytes + 6);
    record.year = GetField(bytes + 8);
    return record;
}

// Low 8 bits of minute, hour, day and month, as unsigned values.
TargetRecord LowByteFields(const TargetRecord& record)
{
    TargetRecord low = record;
    low.minute = static_cast<int16_t>(record.minute & 0xFF);
    low.hour = static_cast<int16_t>(record.hour & 0xFF);
    low.day = static_cast<int16_t>(record.day & 0xFF);
    low.month = static_cast<int16_t>(record.month & 0xFF);
    return low;
}

// Gregorian calendar check over the years a SYSTEMTIME can convert.
bool IsValidTargetMoment(const TargetRecord& record)
{
    if (record.year < 1601 || record.year > 30827)
        return false;
    if (record.month < 1 || record.month > 12)
        return false;
    if (record.day < 1 || record.day > DaysInMonth(record.month, record.year))
        return false;
    return record.hour >= 0 && record.hour <= 23 && record.minute >= 0 && record.minute <= 59;
}

// Everything up to and including the last backslash.
std::wstring DirectoryOfPath(const std::wstring& path)
{
    const size_t slash = path.rfind(L'\\');
    return (slash == std::wstring::npos) ? std::wstring() : path.substr(0, slash + 1);
}

// Grows the buffer until GetModuleFileNameW no longer truncates the path.
std::wstring ProgramDirectory()
{
    std::wstring buffer(MODULE_PATH_FIRST_SIZE, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameW(nullptr, &buffer[0], size);
        if (length == 0)
            return std::wstring();
        if (length < size) {
            buffer.resize(length);
            return DirectoryOfPath(buffer);
        }
        if (size >= MAX_MODULE_PATH)
            return std::wstring();
        buffer.resize(size * 2);
    }
}

// No separator is added: the directory already ends in one.
std::wstring TargetFilePath(const std::wstring& directory)
{
    return directory + TARGET_FILE_NAME;
}

// Attributes readable means the path exists.
bool FileExists(const std::wstring& path)
{
    ScopedQuietErrors quiet;
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Opens without creating, reads the last whole record only: constant cost
// whatever the file's length.
LoadStatus LoadTargetRecord(const std::wstring& path, TargetRecord* record, DWORD retryMs)
{
    ScopedQuietErrors quiet;
    LoadStatus failure = LOAD_UNREADABLE;
    const ScopedHandle file(OpenExisting(path, GENERIC_READ, 0, 0, retryMs, &failure));
    if (!file.IsValid())
        return failure;
    TargetRecord loaded;
    const LoadStatus status = ReadLastRecord(file.Get(), &loaded);
    if (status != LOAD_OK)
        return status;
    if (!IsValidTargetMoment(LowByteFields(loaded)))
        return LOAD_NO_TARGET;
    *record = loaded;
    return LOAD_OK;
}

// The file stays held from the read to the delete, so a record stored in
// between cannot be lost. Two handles: one on the name itself, a symbolic
// link not followed (FILE_FLAG_OPEN_REPARSE_POINT), which gets its
// attributes reset and is marked for deletion; one through the name, which
// reads the record. For a plain file both are on the same file: the name
// handle shares reading and the reading handle shares deletion, so each
// admits the other, and neither a reader nor a writer nor a delete of
// another program. Where the handle cannot mark the name for deletion,
// falls back to the delete by name, which removes a link, not its target.
void RemoveTargetFileHolding(const std::wstring& path, const TargetRecord& record)
{
    ScopedQuietErrors quiet;
    LoadStatus failure = LOAD_OK;
    bool same = false, deleted = false;
    {
        const ScopedHandle name(OpenExisting(path, DELETE | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                             FILE_FLAG_OPEN_REPARSE_POINT, DEFAULT_RETRY_MS,
                                             &failure));
        if (!name.IsValid())
            return;
        const ScopedHandle content(OpenExisting(path, GENERIC_READ, FILE_SHARE_DELETE, 0,
                                                DEFAULT_RETRY_MS, &failure));
        TargetRecord last;
        same = content.IsValid() && ReadLastRecord(content.Get(), &last) == LOAD_OK
            && SameRecord(last, record);
        if (same) {
            FILE_BASIC_INFO basic = {};  // zero times: left as they are
            basic.FileAttributes = FILE_ATTRIBUTE_ARCHIVE;
            SetFileInformationByHandle(name.Get(), FileBasicInfo, &basic, sizeof basic);
            FILE_DISPOSITION_INFO disposition = {TRUE};
            deleted = SetFileInformationByHandle(name.Get(), FileDispositionInfo, &disposition,
                                                 sizeof disposition) != FALSE;
        }
    }
    if (same && !deleted)
        RemoveTargetFile(path);
}

// Clears read-only/hidden/system first so that the delete can succeed.
void RemoveTargetFile(const std::wstring& path)
{
    ScopedQuietErrors quiet;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    DeleteFileW(path.c_str());
}

// Appends after the whole records: a trailing partial record is overwritten.
// When the length cannot be read nothing is written (no guessed offset).
// The record is flushed to the disk before the file is closed, so a save
// reported as done has reached it.
StoreOutcome WriteTargetRecord(const std::wstring& path, const TargetRecord& record, DWORD retryMs)
{
    ScopedQuietErrors quiet;
    StoreOutcome outcome = {false, false, 0};
    DWORD openError = 0;
    const ScopedHandle file(OpenRetrying(path, GENERIC_WRITE, 0, OPEN_ALWAYS, 0, retryMs, &openError));
    if (!file.IsValid()) {
        outcome.failed = true;
        outcome.openFailed = true;
        outcome.systemError = openError;
        return outcome;
    }

    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) {
        outcome.failed = true;
        outcome.systemError = GetLastError();
    } else {
        LARGE_INTEGER offset;
        offset.QuadPart = (size.QuadPart / TARGET_RECORD_SIZE) * TARGET_RECORD_SIZE;
        unsigned char bytes[TARGET_RECORD_SIZE];
        EncodeTargetRecord(record, bytes);
        DWORD written = 0;
        SetLastError(0);
        const bool wrote = SetFilePointerEx(file.Get(), offset, nullptr, FILE_BEGIN)
            && WriteFile(file.Get(), bytes, TARGET_RECORD_SIZE, &written, nullptr);
        if (!wrote || written < TARGET_RECORD_SIZE) {
            outcome.failed = true;
            outcome.systemError = GetLastError();
            if (outcome.systemError == 0)
                outcome.systemError = ERROR_HANDLE_DISK_FULL;
        } else if (!FlushFileBuffers(file.Get())) {
            outcome.failed = true;
            outcome.systemError = GetLastError();
        }
    }
    return outcome;
}
