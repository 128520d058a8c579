// The dialog layer: in-memory dialog templates, controls in dialog units,
// colours, icons and the polling modal display.
#include "dialog_layer.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "scoped_win.h"

namespace {

constexpr DWORD DIALOG_DEFAULT_STYLE =
    WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK;
static_assert(DIALOG_DEFAULT_STYLE == 0x80C000D4, "default dialog style");
constexpr DWORD DIALOG_ADDED_STYLE = DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK;
static_assert(DIALOG_ADDED_STYLE == 0x54, "bits added to every dialog style");
// Every window is created hidden; the modal display shows it.
constexpr DWORD DIALOG_REMOVED_STYLE = WS_VISIBLE | DS_SYSMODAL;
static_assert(DIALOG_REMOVED_STYLE == 0x10000002, "bits removed from every dialog style");
constexpr DWORD LABEL_DEFAULT_STYLE = WS_CHILD | WS_VISIBLE | SS_LEFT;
static_assert(LABEL_DEFAULT_STYLE == 0x50000000, "default label style");
constexpr DWORD BUTTON_DEFAULT_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
static_assert(BUTTON_DEFAULT_STYLE == 0x50010000, "default button style");
constexpr DWORD CONTROL_ADDED_STYLE = WS_CHILD | WS_VISIBLE;
constexpr UINT FULL_REDRAW = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW;

// One record per layer window and per control, looked up by handle.
struct WindowRecord {
    HWND handle;
    HWND parent;
    int showState;
    HFONT dialogFont;
    DialogCallback callback;
    bool shown;
    INT_PTR* endResult;
    bool hasColors;
    COLORREF textColor;
    COLORREF backColor;
    HBRUSH brush;
    HICON bigIcon;
    HICON smallIcon;
};

// DLGTEMPLATEEX up to the variable-length fields (menu, class, title, font).
#pragma pack(push, 2)
struct DialogTemplateHeader {
    WORD dlgVer;
    WORD signature;
    DWORD helpID;
    DWORD exStyle;
    DWORD style;
    WORD cDlgItems;
    short x;
    short y;
    short cx;
    short cy;
};
#pragma pack(pop)
static_assert(sizeof(DialogTemplateHeader) == 26, "DLGTEMPLATEEX header layout");

const wchar_t DIALOG_FONT_FACE[] = L"MS Sans Serif";
const WORD DIALOG_FONT_POINTS = 8;
const WORD DIALOG_FONT_WEIGHT = FW_BOLD;

// Each program runs one user-interface thread, the only one that touches
// the records, so the spin lock is always free when taken. It is held only
// while the list is searched or changed, never across a call that sends
// messages: such a call can come back into the layer on the same thread,
// which would then spin on its own lock forever.
std::vector<WindowRecord> g_records;
volatile LONG g_recordLock = 0;

INT_PTR CALLBACK DialogLayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

WindowRecord* FindRecordLocked(HWND handle)
{
    if (handle == NULL)
        return nullptr;
    for (WindowRecord& record : g_records)
        if (record.handle == handle)
            return &record;
    return nullptr;
}

// A copy of the record of `handle`; false when it has none.
bool GetRecord(HWND handle, WindowRecord* out)
{
    const ScopedSpinLock lock(g_recordLock);
    const WindowRecord* record = FindRecordLocked(handle);
    if (record)
        *out = *record;
    return record != nullptr;
}

void AddRecord(const WindowRecord& record)
{
    const ScopedSpinLock lock(g_recordLock);
    g_records.push_back(record);
}

bool BrushInUseLocked(HBRUSH brush)
{
    for (const WindowRecord& record : g_records)
        if (record.brush == brush)
            return true;
    return false;
}

// Takes the records of a window and its controls out of the list, with the
// brushes that no other record uses.
std::vector<WindowRecord> TakeRecords(HWND window, std::vector<HBRUSH>* unused)
{
    const ScopedSpinLock lock(g_recordLock);
    std::vector<WindowRecord> taken;
    for (size_t i = 0; i < g_records.size();) {
        if (g_records[i].handle == window || g_records[i].parent == window) {
            taken.push_back(g_records[i]);
            g_records.erase(g_records.begin() + i);
        } else {
            ++i;
        }
    }
    for (const WindowRecord& record : taken) {
        if (record.brush && !BrushInUseLocked(record.brush)) {
            bool listed = false;
            for (HBRUSH brush : *unused)
                listed = listed || brush == record.brush;
            if (!listed)
                unused->push_back(record.brush);
        }
    }
    return taken;
}

// Drops the records of a window and its controls, with their brushes and icons.
void ReleaseRecords(HWND window)
{
    std::vector<HBRUSH> unused;
    const std::vector<WindowRecord> released = TakeRecords(window, &unused);
    for (HBRUSH brush : unused)
        DeleteObject(brush);
    for (const WindowRecord& record : released) {
        if (record.bigIcon)
            DestroyIcon(record.bigIcon);
        if (record.smallIcon)
            DestroyIcon(record.smallIcon);
    }
}

void AppendWords(std::vector<WORD>* words, const void* data, size_t bytes)
{
    const WORD* begin = static_cast<const WORD*>(data);
    words->insert(words->end(), begin, begin + bytes / sizeof(WORD));
}

void AppendText(std::vector<WORD>* words, const wchar_t* text)
{
    AppendWords(words, text, (wcslen(text) + 1) * sizeof(wchar_t));
}

int ShowStateFromStyle(DWORD style)
{
    if (style & WS_MAXIMIZE)
        return SW_MAXIMIZE;
    if (style & WS_MINIMIZE)
        return SW_MINIMIZE;
    return SW_SHOW;
}

HICON LoadIconResource(const wchar_t* name, int size)
{
    const wchar_t* resource = name;
    if (!IS_INTRESOURCE(name) && name[0] == L'#')
        resource = MAKEINTRESOURCEW(_wtoi(name + 1));
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(NULL), resource, IMAGE_ICON, size, size, 0));
}

void CreateControl(const wchar_t* className, HWND parent, int id,
                   const wchar_t* text, short x, short y, short cx, short cy,
                   DWORD style, DWORD exStyle)
{
    WindowRecord parentRecord;
    if (!GetRecord(parent, &parentRecord))
        return;

    RECT rect = { x, y, x + cx, y + cy };
    MapDialogRect(parent, &rect);
    HWND control = CreateWindowExW(exStyle, className, text, style, rect.left, rect.top,
                                   rect.right - rect.left, rect.bottom - rect.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(NULL), NULL);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(parentRecord.dialogFont), TRUE);

    WindowRecord record = {};
    record.handle = control;
    record.parent = parent;
    AddRecord(record);
}

// Colours of a control for WM_CTLCOLOR*: the brush, or NULL for the system's.
INT_PTR ControlColors(HDC dc, HWND control)
{
    WindowRecord record;
    if (!GetRecord(control, &record) || !record.hasColors)
        return FALSE;
    SetTextColor(dc, record.textColor);
    SetBkColor(dc, record.backColor);
    return reinterpret_cast<INT_PTR>(record.brush);
}

}  // namespace

HWND CreateDialogWindow(HWND owner, const wchar_t* caption, short x, short y,
                        short cx, short cy, DWORD style, DWORD exStyle)
{
    if (style == 0)
        style = DIALOG_DEFAULT_STYLE;
    style = (style | DIALOG_ADDED_STYLE) & ~DIALOG_REMOVED_STYLE;

    DialogTemplateHeader header = {};
    header.dlgVer = 1;
    header.signature = 0xFFFF;
    header.exStyle = exStyle;
    header.style = style;
    header.x = x;
    header.y = y;
    header.cx = cx;
    header.cy = cy;

    std::vector<WORD> words;
    AppendWords(&words, &header, sizeof(header));
    words.push_back(0);           // no menu
    words.push_back(0);           // the system's dialog class
    AppendText(&words, L" ");     // title; the caption is set below
    words.push_back(DIALOG_FONT_POINTS);
    words.push_back(DIALOG_FONT_WEIGHT);
    words.push_back(0);           // italic 0, charset ANSI_CHARSET
    AppendText(&words, DIALOG_FONT_FACE);

    // DWORD-aligned copy, as the dialog manager requires.
    std::vector<DWORD> aligned((words.size() + 1) / 2);
    memcpy(aligned.data(), words.data(), words.size() * sizeof(WORD));

    HWND window = CreateDialogIndirectParamW(GetModuleHandleW(NULL),
                                             reinterpret_cast<LPCDLGTEMPLATEW>(aligned.data()),
                                             owner, DialogLayerProc, 0);
    SetWindowTextW(window, caption);

    WindowRecord record = {};
    record.handle = window;
    record.parent = owner;
    record.showState = ShowStateFromStyle(style);
    record.dialogFont = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    AddRecord(record);
    return window;
}

void SetDialogIcon(HWND window, const wchar_t* name)
{
    WindowRecord record;
    if (!GetRecord(window, &record))
        return;
    HICON bigIcon = LoadIconResource(name, 32);
    if (!bigIcon)
        return;
    HICON smallIcon = LoadIconResource(name, 16);
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    if (smallIcon)
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));

    HICON oldBig = NULL;
    HICON oldSmall = NULL;
    {
        const ScopedSpinLock lock(g_recordLock);
        if (WindowRecord* stored = FindRecordLocked(window)) {
            oldBig = stored->bigIcon;
            stored->bigIcon = bigIcon;
            if (smallIcon) {
                oldSmall = stored->smallIcon;
                stored->smallIcon = smallIcon;
            }
        }
    }
    if (oldBig)
        DestroyIcon(oldBig);
    if (oldSmall)
        DestroyIcon(oldSmall);
}

void AddControl(ControlKind kind, HWND parent, int id, const wchar_t* text,
                short x, short y, short cx, short cy, DWORD style, DWORD exStyle)
{
    const bool label = kind == CONTROL_LABEL;
    if (style == 0)
        style = label ? LABEL_DEFAULT_STYLE : BUTTON_DEFAULT_STYLE;
    style |= CONTROL_ADDED_STYLE;
    CreateControl(label ? L"STATIC" : L"BUTTON", parent, id, text, x, y, cx, cy, style, exStyle);
}

void AddControl(const wchar_t* className, HWND parent, int id, const wchar_t* text,
                short x, short y, short cx, short cy, DWORD style, DWORD exStyle)
{
    CreateControl(className, parent, id, text, x, y, cx, cy, style, exStyle);
}

void SetControlColors(HWND window, int id, COLORREF textColor, COLORREF backColor)
{
    HWND control = GetDlgItem(window, id);
    textColor &= 0xFFFFFF;
    backColor &= 0xFFFFFF;

    HBRUSH shared = NULL;
    HBRUSH oldBrush = NULL;
    {
        const ScopedSpinLock lock(g_recordLock);
        WindowRecord* record = FindRecordLocked(control);
        if (!record)
            return;
        for (const WindowRecord& other : g_records)
            if (&other != record && other.hasColors && other.backColor == backColor)
                shared = other.brush;
        oldBrush = record->brush;
        record->hasColors = true;
        record->textColor = textColor;
        record->backColor = backColor;
        record->brush = shared;
        if (oldBrush == shared || BrushInUseLocked(oldBrush))
            oldBrush = NULL;
    }
    if (oldBrush)
        DeleteObject(oldBrush);
    if (shared)
        return;
    HBRUSH brush = CreateSolidBrush(backColor);
    const ScopedSpinLock lock(g_recordLock);
    if (WindowRecord* stored = FindRecordLocked(control))
        stored->brush = brush;
}

INT_PTR ShowDialogModal(HWND window, DialogCallback callback)
{
    INT_PTR result = 0;
    WindowRecord record;
    if (!GetRecord(window, &record))
        return result;

    SetForegroundWindow(window);
    callback(window, WM_INITDIALOG, reinterpret_cast<WPARAM>(window), 0);

    RECT client = {};
    GetClientRect(window, &client);
    WPARAM sizeType = SIZE_RESTORED;
    if (record.showState == SW_MAXIMIZE)
        sizeType = SIZE_MAXIMIZED;
    else if (record.showState == SW_MINIMIZE)
        sizeType = SIZE_MINIMIZED;
    callback(window, WM_SIZE, sizeType, MAKELPARAM(client.right, client.bottom));

    bool attached = false;
    {
        const ScopedSpinLock lock(g_recordLock);
        if (WindowRecord* stored = FindRecordLocked(window)) {
            stored->callback = callback;
            stored->endResult = &result;
            stored->shown = true;
            record = *stored;
            attached = true;
        }
    }
    if (!attached)
        return result;  // ended during initialization

    ShowWindow(window, record.showState);

    // Polls rather than blocks in GetMessage: the loop must also end when
    // the window goes while the queue is empty (destroyed from another
    // process), and a posted WM_QUIT must not end it. The idle sleep is
    // alertable: Wine times a plain Sleep against the wall clock, so a
    // clock set back during one would stall the loop by as much.
    MSG message;
    while (IsWindow(window)) {
        if (!PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
            SleepEx(1, TRUE);
            continue;
        }
        // WM_QUIT is dispatched like any other message: only the
        // window's destruction ends the loop.
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return result;
}

void EndDialogWindow(HWND window, INT_PTR result)
{
    {
        const ScopedSpinLock lock(g_recordLock);
        WindowRecord* record = FindRecordLocked(window);
        if (!record)
            return;
        if (record->endResult)
            *record->endResult = result;
    }
    SendMessageA(window, WM_CLOSE, 0, 0);
    DestroyWindow(window);
}

void SetDialogShowState(HWND window, int command)
{
    bool shown = false;
    {
        const ScopedSpinLock lock(g_recordLock);
        WindowRecord* record = FindRecordLocked(window);
        if (!record)
            return;
        shown = record->shown;
        if (!shown) {
            const bool kept = command == SW_HIDE || command == SW_MAXIMIZE || command == SW_MINIMIZE;
            record->showState = kept ? command : SW_SHOW;
        }
    }
    if (shown) {
        ShowWindow(window, command);
        RedrawWindow(window, NULL, NULL, FULL_REDRAW);
    }
}

int ShowMessageBox(const wchar_t* text, const wchar_t* title, UINT style)
{
    // A moment for the window's pending paint and focus messages, so the
    // box comes up over a settled window.
    Sleep(5);
    return MessageBoxW(NULL, text, title, style);
}

namespace {

// The dialog procedure of every layer window: the callback first, then the
// layer's default processing when the callback returns 0.
INT_PTR CALLBACK DialogLayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return FALSE;  // the modal display initializes through the callback

    if (message == WM_ACTIVATE)
        return FALSE;  // the dialog manager's focus handling; callbacks never see it

    WindowRecord record;
    const bool known = GetRecord(window, &record);
    if (known && record.callback) {
        LRESULT handled = record.callback(window, message, wParam, lParam);
        if (handled != 0) {
            if (GetWindowLongPtrW(window, DWLP_MSGRESULT) == 0)
                SetWindowLongPtrW(window, DWLP_MSGRESULT, handled);
            if (message == WM_NCDESTROY)
                ReleaseRecords(window);
            return handled;
        }
    }

    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        return ControlColors(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        EndDialogWindow(window, 0);
        return TRUE;
    }
    if (message == WM_NCDESTROY) {
        ReleaseRecords(window);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int FontHeightForDpi(int dpi, int points)
{
    return -(dpi * points) / 72;  // truncates toward zero
}

HFONT CreateControlFont(int points, LONG weight, BYTE underline)
{
    HDC screen = GetDC(NULL);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);

    LOGFONTA font = {};
    font.lfHeight = FontHeightForDpi(dpi, points);
    font.lfWeight = weight;
    font.lfUnderline = underline;
    lstrcpynA(font.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    return CreateFontIndirectA(&font);
}
