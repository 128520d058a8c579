// What the tests share: the texts and control ids both programs show, record
// bytes put together by hand, held files, deep folders, texts for failure
// messages, dialog units, the countdown's label and keys typed into a picker.
// Helpers that check something are called through their macro, so that a
// failure names the calling test's line.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "driver.h"
#include "target_file.h"

using Bytes = std::vector<unsigned char>;

// The programs' texts, exactly as they show them.
constexpr wchar_t MESSAGE_TITLE[] = L"Programador ...";
constexpr wchar_t COMPLETION_TEXT[] = L"Enhorabuena ya hemos llegado a la fecha deseada ...";
constexpr wchar_t NO_TARGET_TEXT[] =
    L"El fichero diminuto.log no guarda ninguna fecha valida; elija una con setdate ...";
constexpr wchar_t UNREADABLE_TEXT[] =
    L"No se pudo leer el fichero diminuto.log; puede que otro programa lo este usando ...";
constexpr wchar_t SETDATE_CAPTION[] = L"Configura tu Tiempo ...";
constexpr wchar_t SAVED_TEXT[] = L"Archivado fichero de configuracion ...\r\nGracias ...";
constexpr wchar_t ERROR_TITLE[] = L"Velto Soft";
constexpr wchar_t ERROR_52_TEXT[] = L"Err:  52 Bad file name or number";

// Control ids: the countdown's label; setdate's pickers, labels and buttons.
constexpr int COUNTDOWN_LABEL_ID = 1001;
constexpr int TIME_PICKER_ID = 1001, TIME_LABEL_ID = 1002, DATE_PICKER_ID = 1003,
              DATE_LABEL_ID = 1004, SAVE_BUTTON_ID = 1005, EXIT_BUTTON_ID = 1006;

// Field by field, so that failures print what differs.
bool operator==(const TargetRecord& a, const TargetRecord& b);
void PrintTo(const TargetRecord& record, std::ostream* out);

// The ten bytes of a record, put together here: five little-endian 16-bit
// fields, minute first.
Bytes RecordBytes(const TargetRecord& record);
Bytes MinuteBytes(const SYSTEMTIME& moment);  // the record of its minute
TargetRecord RecordOf(const SYSTEMTIME& moment);
Bytes operator+(Bytes a, const Bytes& b);

// "1E 00 15 ..." from byte `from` on.
std::string Hex(const Bytes& bytes, size_t from = 0);
// ASCII as it is, other characters as <U+XXXX>.
std::string Narrow(const std::wstring& text);

// A file opened for reading with share mode 0, as the other program holds
// it while it reads or writes, or with the share mode given (an indexer or a
// scanner shares everything); closed on destruction or by Release().
class HeldFile {
public:
    explicit HeldFile(const std::wstring& path, DWORD share = 0);
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Held() const { return m_file != INVALID_HANDLE_VALUE; }
    void Release();
private:
    HANDLE m_file;
};

// Writes `bytes` at `offset` of a file (made if missing, sparse when asked):
// a big file without writing all of it.
bool WriteFileAt(const std::wstring& path, LONGLONG offset, const Bytes& bytes, bool sparse);

// Makes folders below `base` (ending in '\') named `name`, the last one cut
// or filled out with name's last character, until the folder's path with its
// final '\' is `length` characters long; returns that path, "" on failure.
#define DEEP_FOLDER(...) DeepFolderAt(__FILE__, __LINE__, __VA_ARGS__)
std::wstring DeepFolderAt(const char* file, int line, const std::wstring& base, size_t length,
                          const std::wstring& name);

// A rectangle in the dialog units of the programs' dialog font (8-point
// bold "MS Sans Serif"), in pixels: mapped on a hidden dialog of that font
// made here, since MapDialogRect works only in the window's own process.
RECT DialogUnits(int x, int y, int cx, int cy);
// A window's rectangle in its parent's client area (a top-level window's
// on the screen), and a window's client rectangle.
RECT RectInParent(HWND window);
RECT ClientRect(HWND window);
bool operator==(const RECT& a, const RECT& b);
void PrintTo(const RECT& rect, std::ostream* out);

// The window with the keyboard focus in the thread of `window`.
HWND FocusOf(HWND window);
// Brings a window of another process to the front: the driver's own window
// first, since under Wine only the foreground process hands it on.
bool BringToForeground(HWND window);

// A countdown label "Nd Nh Nm Ns " and its numbers.
struct Remaining {
    long days, hours, minutes, seconds;
    long long TotalSeconds() const;
};
struct LabelSeen {
    bool shown;  // the label came, in that form
    std::wstring text;
    Remaining remaining;
};
// Waits for the countdown's label to read `expected`, or when that is empty
// any text other than `previous`, and checks its form.
#define WAIT_FOR_LABEL(...) WaitForLabelAt(__FILE__, __LINE__, __VA_ARGS__)
LabelSeen WaitForLabelAt(const char* file, int line, HWND countdown,
                         const std::wstring& expected = L"", const std::wstring& previous = L"");

// Clicks a picker's first field, waits for it to take the focus, and types
// the fields (two digits, a year four), moving on with the right arrow key.
#define TYPE_INTO_PICKER(...) TypeIntoPickerAt(__FILE__, __LINE__, __VA_ARGS__)
void TypeIntoPickerAt(const char* file, int line, HWND picker, std::initializer_list<int> fields);
