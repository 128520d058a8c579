#include "test_support.h"

#include <cstdio>
#include <regex>

#include <winioctl.h>

#include "dialog_layer.h"

bool operator==(const TargetRecord& a, const TargetRecord& b)
{
    return a.minute == b.minute && a.hour == b.hour && a.day == b.day && a.month == b.month
        && a.year == b.year;
}

void PrintTo(const TargetRecord& r, std::ostream* out)
{
    *out << "{minute " << r.minute << ", hour " << r.hour << ", day " << r.day << ", month "
         << r.month << ", year " << r.year << "}";
}

Bytes RecordBytes(const TargetRecord& r)
{
    Bytes bytes;
    for (int field : {r.minute, r.hour, r.day, r.month, r.year}) {
        bytes.push_back(static_cast<unsigned char>(field & 0xFF));
        bytes.push_back(static_cast<unsigned char>((field >> 8) & 0xFF));
    }
    return bytes;
}

TargetRecord RecordOf(const SYSTEMTIME& t)
{
    return {static_cast<int16_t>(t.wMinute), static_cast<int16_t>(t.wHour),
            static_cast<int16_t>(t.wDay), static_cast<int16_t>(t.wMonth),
            static_cast<int16_t>(t.wYear)};
}

Bytes MinuteBytes(const SYSTEMTIME& moment)
{
    return RecordBytes(RecordOf(moment));
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string Hex(const Bytes& bytes, size_t from)
{
    std::string out;
    for (size_t i = from; i < bytes.size(); ++i) {
        char two[4];
        snprintf(two, sizeof two, "%02X ", bytes[i]);
        out += two;
    }
    return out;
}

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) {
        if (c >= 32 && c < 127) {
            out += static_cast<char>(c);
        } else {
            char code[12];
            snprintf(code, sizeof code, "<U+%04X>", static_cast<unsigned>(c));
            out += code;
        }
    }
    return out;
}

HeldFile::HeldFile(const std::wstring& path, DWORD share)
    : m_file(CreateFileW(path.c_str(), GENERIC_READ, share, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL))
{
}

void HeldFile::Release()
{
    if (Held())
        CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
}

bool WriteFileAt(const std::wstring& path, LONGLONG offset, const Bytes& bytes, bool sparse)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    if (sparse)  // where the file system allows it
        DeviceIoControl(file, FSCTL_SET_SPARSE, NULL, 0, NULL, 0, &returned, NULL);
    LARGE_INTEGER at;
    at.QuadPart = offset;
    DWORD written = 0;
    const bool wrote = SetFilePointerEx(file, at, NULL, FILE_BEGIN)
        && WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL)
        && written == bytes.size();
    CloseHandle(file);
    return wrote;
}

std::wstring DeepFolderAt(const char* file, int line, const std::wstring& base, size_t length,
                          const std::wstring& name)
{
    const testing::ScopedTrace trace(file, line, "deep folder");
    // Made through the \\?\ form, which takes any length.
    const std::wstring prefix = base.compare(0, 4, L"\\\\?\\") == 0 ? L"" : L"\\\\?\\";
    std::wstring folder = base;
    while (folder.size() < length) {
        const size_t room = length - folder.size() - 1;  // the name's, before its '\'
        if (room == 0) {
            ADD_FAILURE() << "no room for a folder name at " << folder.size() << " characters";
            return L"";
        }
        folder += (room < name.size() + 2 ? std::wstring(room, name.back()) : name) + L"\\";
        if (!CreateDirectoryW((prefix + folder).c_str(), NULL)) {
            ADD_FAILURE() << "cannot make " << Narrow(folder) << ", error " << GetLastError();
            return L"";
        }
    }
    return folder;
}

RECT DialogUnits(int x, int y, int cx, int cy)
{
    HWND dialog = CreateDialogWindow(NULL, L"", 0, 0, 10, 10, 0, 0);
    RECT rect = {x, y, x + cx, y + cy};
    MapDialogRect(dialog, &rect);
    DestroyWindow(dialog);
    return rect;
}

RECT RectInParent(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    if (GetWindowLongW(window, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(NULL, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT ClientRect(HWND window)
{
    RECT rect = {};
    GetClientRect(window, &rect);
    return rect;
}

bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

void PrintTo(const RECT& r, std::ostream* out)
{
    *out << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info);
    return info.hwndFocus;
}

bool BringToForeground(HWND window)
{
    driver::ForegroundDriverWindow();
    SetForegroundWindow(window);
    return driver::WaitUntil([&] { return GetForegroundWindow() == window; }, 5000);
}

long long Remaining::TotalSeconds() const
{
    return ((days * 24LL + hours) * 60 + minutes) * 60 + seconds;
}

static bool ParseLabel(const std::wstring& text, Remaining* remaining)
{
    static const std::wregex FORM(L"^(\\d+)d (\\d+)h (\\d+)m (\\d+)s $");
    std::wsmatch match;
    if (!std::regex_match(text, match, FORM))
        return false;
    *remaining = {std::stol(match[1].str()), std::stol(match[2].str()), std::stol(match[3].str()),
                  std::stol(match[4].str())};
    return true;
}

LabelSeen WaitForLabelAt(const char* file, int line, HWND countdown, const std::wstring& expected,
                         const std::wstring& previous)
{
    const testing::ScopedTrace trace(file, line, "countdown label");
    HWND label = GetDlgItem(countdown, COUNTDOWN_LABEL_ID);
    LabelSeen seen = {false, L"", {}};
    const bool came = driver::WaitUntil([&] {
        seen.text = driver::WindowText(label);
        return expected.empty() ? !seen.text.empty() && seen.text != previous : seen.text == expected;
    });
    EXPECT_TRUE(came) << "label " << testing::PrintToString(seen.text) << ", expected "
                      << (expected.empty() ? "a new one" : testing::PrintToString(expected));
    const bool parsed = ParseLabel(seen.text, &seen.remaining);
    EXPECT_TRUE(parsed) << "label " << testing::PrintToString(seen.text);
    seen.shown = came && parsed;
    return seen;
}

void TypeIntoPickerAt(const char* file, int line, HWND picker, std::initializer_list<int> fields)
{
    const testing::ScopedTrace trace(file, line, "typing into a picker");
    RECT rect;
    GetWindowRect(picker, &rect);
    driver::ClickAt(rect.left + 8, (rect.top + rect.bottom) / 2);
    // Keys sent before the picker has the focus would be lost.
    EXPECT_TRUE(driver::WaitUntil([&] {
        return GetForegroundWindow() == GetAncestor(picker, GA_ROOT) && FocusOf(picker) == picker;
    }, 5000)) << "the picker did not take the focus";
    for (int field : fields) {
        wchar_t text[8];
        swprintf(text, ARRAYSIZE(text), L"%0*d", field >= 100 ? 4 : 2, field);
        driver::TypeText(text);
        driver::PressKey(VK_RIGHT);
    }
}
