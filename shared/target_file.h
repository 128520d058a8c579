// The target file "diminuto.log": a headerless sequence of 10-byte records.
#pragma once

#include <windows.h>
#include <cstdint>
#include <string>

// One record: five little-endian signed 16-bit fields, smallest unit first.
// Local wall-clock time, second 0 of the stored minute.
struct TargetRecord {
    int16_t minute;
    int16_t hour;
    int16_t day;
    int16_t month;
    int16_t year;
};

constexpr int TARGET_RECORD_SIZE = 10;
constexpr wchar_t TARGET_FILE_NAME[] = L"diminuto.log";

// Record <-> bytes, little-endian, minute first.
void EncodeTargetRecord(const TargetRecord& record, unsigned char bytes[TARGET_RECORD_SIZE]);
TargetRecord DecodeTargetRecord(const unsigned char bytes[TARGET_RECORD_SIZE]);

// The record as the countdown reads it: minute, hour, day and month keep
// only their low 8 bits (unsigned), the year all 16.
TargetRecord LowByteFields(const TargetRecord& record);

// True when the record is a real calendar moment that SYSTEMTIME accepts:
// month 1-12, day within that month, hour 0-23, minute 0-59, year 1601-30827.
bool IsValidTargetMoment(const TargetRecord& record);

// The directory part of a module path, up to and including its last
// backslash; empty when there is none.
std::wstring DirectoryOfPath(const std::wstring& path);

// The running program's directory (wide API, any length), ending in '\'.
std::wstring ProgramDirectory();

// g_appDir-style directory followed directly by the file name.
std::wstring TargetFilePath(const std::wstring& directory);

// True when the attributes of the path can be read (file or directory).
bool FileExists(const std::wstring& path);

enum LoadStatus {
    LOAD_OK,          // *record holds the last whole record, a valid moment
    LOAD_MISSING,     // no such file
    LOAD_UNREADABLE,  // exists but could not be opened or read (after retries)
    LOAD_NO_TARGET    // a folder, no whole record, or the last one is no valid moment
};

// How long an open that waiting may cure is tried again: the file held by
// another program, or its delete pending until the last handle closes.
constexpr DWORD DEFAULT_RETRY_MS = 2000;

// Load: reads only the last whole record, at offset (n - 1) * 10. When the
// file is held by another program or its delete is pending, retries for up
// to retryMs milliseconds; other failures are reported at once.
// The record is judged as the countdown reads it (LowByteFields) and comes
// back as stored.
LoadStatus LoadTargetRecord(const std::wstring& path, TargetRecord* record,
                            DWORD retryMs = DEFAULT_RETRY_MS);

// Remove: attributes reset to FILE_ATTRIBUTE_ARCHIVE, then delete.
// Failures are ignored (and leave no system error box).
void RemoveTargetFile(const std::wstring& path);

// Remove, only while the file's last whole record is still `record`: a file
// that holds another target, or cannot be read, is left alone. A symbolic
// link is removed itself, never the file it points to.
void RemoveTargetFileHolding(const std::wstring& path, const TargetRecord& record);

// What became of a write, for the save's message.
struct StoreOutcome {
    bool failed;        // any of open, length query, write, flush failed or wrote < 10 bytes
    bool openFailed;    // the open failed: the later steps meet no file
    DWORD systemError;  // system error code of the last failure (0 if none known)
};

// Opens (GENERIC_WRITE, share 0, OPEN_ALWAYS), counts the whole records,
// writes the record after them at n * 10, flushes it to the disk, closes.
// The open is tried again for up to retryMs while waiting may cure it, as
// the load's is: after a delete the name stays taken until another
// program that held the old file lets it go.
StoreOutcome WriteTargetRecord(const std::wstring& path, const TargetRecord& record,
                               DWORD retryMs = DEFAULT_RETRY_MS);
