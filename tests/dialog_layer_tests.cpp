// The dialog layer in this process: message order, ending, styles, colours.
#include <gtest/gtest.h>

#include <vector>

#include "dialog_layer.h"
#include "driver.h"

namespace {

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool visible;
};

std::vector<Seen> g_seen;
HWND g_window = NULL;
size_t g_seenWhenEndReturned = 0;
// What the callback does on WM_INITDIALOG and on its timer.
enum Plan { END_ON_TIMER, END_IN_INITDIALOG, QUIT_THEN_END, KEYS_THEN_END, SHOW_STATES };
Plan g_plan = END_ON_TIMER;

const UINT_PTR TEST_TIMER = 7;
const UINT_PTR KEYS_TIMER = 8;
const INT_PTR END_RESULT = 42;
// SHOW_STATES: whether the window was visible when first running, after
// SW_SHOW and after SW_HIDE; KEYS_THEN_END: whether it had the focus.
bool g_visibleAtFirst = true, g_visibleAfterShow = false, g_visibleAfterHide = true;
bool g_focusedForKeys = false;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_seen.push_back({ message, wParam, lParam, IsWindowVisible(window) != FALSE });
    if (message == WM_INITDIALOG) {
        if (g_plan == END_IN_INITDIALOG) {
            EndDialogWindow(window, END_RESULT);
            return 0;
        }
        if (g_plan == QUIT_THEN_END)
            PostQuitMessage(0);
        if (g_plan == KEYS_THEN_END)
            SetTimer(window, KEYS_TIMER, 300, NULL);
        SetTimer(window, TEST_TIMER, g_plan == KEYS_THEN_END ? 1200 : 200, NULL);
    } else if (message == WM_TIMER && wParam == KEYS_TIMER) {
        // Keys typed while the running window has the focus.
        KillTimer(window, KEYS_TIMER);
        g_focusedForKeys = GetForegroundWindow() == window;
        driver::PressKey(VK_ESCAPE);
        driver::PressKey(VK_RETURN);
    } else if (message == WM_TIMER && wParam == TEST_TIMER) {
        if (g_plan == SHOW_STATES) {
            g_visibleAtFirst = IsWindowVisible(window) != FALSE;
            SetDialogShowState(window, SW_SHOW);
            g_visibleAfterShow = IsWindowVisible(window) != FALSE;
            SetDialogShowState(window, SW_HIDE);
            g_visibleAfterHide = IsWindowVisible(window) != FALSE;
        }
        KillTimer(window, TEST_TIMER);
        EndDialogWindow(window, END_RESULT);
        g_seenWhenEndReturned = g_seen.size();
    }
    return 0;
}

HWND MakeWindow()
{
    g_seen.clear();
    g_seenWhenEndReturned = 0;
    g_window = CreateDialogWindow(NULL, L"Prueba", 10, 10, 100, 40, 0, 0);
    return g_window;
}

size_t CountSeen(UINT message)
{
    size_t count = 0;
    for (const Seen& seen : g_seen)
        count += seen.message == message;
    return count;
}

long IndexOf(UINT message)
{
    for (size_t i = 0; i < g_seen.size(); ++i)
        if (g_seen[i].message == message)
            return static_cast<long>(i);
    return -1;
}

}  // namespace

TEST(DialogLayer, InitializesHiddenThenRunsUntilEnded)
{
    g_plan = END_ON_TIMER;
    HWND window = MakeWindow();
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE, 0) << "created visible";
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & ~WS_CLIPSIBLINGS, 0x80C000D4u);
    RECT client;
    GetClientRect(window, &client);

    EXPECT_EQ(ShowDialogModal(window, RecordingProc), END_RESULT);
    EXPECT_FALSE(IsWindow(window));

    ASSERT_GE(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0].message, static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(g_seen[0].wParam, reinterpret_cast<WPARAM>(window));
    EXPECT_EQ(g_seen[0].lParam, 0);
    EXPECT_FALSE(g_seen[0].visible);
    EXPECT_EQ(g_seen[1].message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(g_seen[1].wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(g_seen[1].lParam, MAKELPARAM(client.right, client.bottom));
    EXPECT_FALSE(g_seen[1].visible);
    EXPECT_EQ(CountSeen(WM_INITDIALOG), 1u);
    EXPECT_EQ(CountSeen(WM_ACTIVATE), 0u);

    // WM_CLOSE and WM_DESTROY reach the callback before EndDialogWindow returns.
    const long close = IndexOf(WM_CLOSE);
    const long destroy = IndexOf(WM_DESTROY);
    ASSERT_GE(close, 0);
    ASSERT_GT(destroy, close);
    EXPECT_LT(static_cast<size_t>(destroy), g_seenWhenEndReturned);
}

TEST(DialogLayer, EndDuringInitializationShowsNothing)
{
    g_plan = END_IN_INITDIALOG;
    HWND window = MakeWindow();
    EXPECT_EQ(ShowDialogModal(window, RecordingProc), 0) << "no result destination yet";
    EXPECT_FALSE(IsWindow(window));
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[1].message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(g_seen[1].lParam, 0) << "sizes of a window that is gone";
    EXPECT_EQ(CountSeen(WM_CLOSE) + CountSeen(WM_DESTROY) + CountSeen(WM_NCDESTROY), 0u);
}

TEST(DialogLayer, PostedQuitDoesNotEndTheDisplay)
{
    g_plan = QUIT_THEN_END;
    HWND window = MakeWindow();
    EXPECT_EQ(ShowDialogModal(window, RecordingProc), END_RESULT) << "ended by the timer, not WM_QUIT";
    EXPECT_EQ(CountSeen(WM_TIMER), 1u);
}

// The dialog manager turns them into IDCANCEL and IDOK; the layer ends
// nothing on them.
TEST(DialogLayer, EscAndEnterDoNothing)
{
    g_plan = KEYS_THEN_END;
    HWND window = MakeWindow();
    AddControl(CONTROL_LABEL, window, 100, L"texto", 0, 0, 50, 10, 0, 0);
    EXPECT_EQ(ShowDialogModal(window, RecordingProc), END_RESULT) << "the window ended before its timer";
    EXPECT_TRUE(g_focusedForKeys) << "keys typed while another window had the focus";
    bool cancel = false, ok = false;
    for (const Seen& seen : g_seen) {
        cancel = cancel || (seen.message == WM_COMMAND && LOWORD(seen.wParam) == IDCANCEL);
        ok = ok || (seen.message == WM_COMMAND && LOWORD(seen.wParam) == IDOK);
    }
    EXPECT_TRUE(cancel && ok) << "the keys never reached the window";
}

TEST(DialogLayer, ControlStylesByKind)
{
    HWND window = CreateDialogWindow(NULL, L"Estilos", 0, 0, 100, 60, 0, 0);
    // Each row: the control added (a kind, or a class name), the style given
    // and the style it gets; a named class keeps exactly the style given.
    const struct {
        int kind;  // CONTROL_LABEL, CONTROL_BUTTON, or -1 for the class "EDIT"
        DWORD given, made;
    } rows[] = {
        {CONTROL_LABEL, 0, 0x50000000},
        {CONTROL_LABEL, 0x50000101, 0x50000101},
        {CONTROL_LABEL, SS_CENTER, 0x50000001},
        {CONTROL_BUTTON, 0, 0x50010000},
        {-1, WS_CHILD | ES_NUMBER, WS_CHILD | ES_NUMBER},
    };
    for (size_t i = 0; i < ARRAYSIZE(rows); ++i) {
        const int id = 101 + static_cast<int>(i);
        const short y = static_cast<short>(10 * i);
        if (rows[i].kind < 0)
            AddControl(L"EDIT", window, id, L"d", 0, y, 20, 10, rows[i].given, WS_EX_CLIENTEDGE);
        else
            AddControl(static_cast<ControlKind>(rows[i].kind), window, id, L"a", 0, y, 20, 10, rows[i].given, 0);
        const DWORD style = static_cast<DWORD>(GetWindowLongW(GetDlgItem(window, id), GWL_STYLE));
        EXPECT_EQ(style & ~WS_CLIPSIBLINGS, rows[i].made) << "row " << i << std::hex << ", style " << style;
    }

    // Positions are dialog units converted on the parent.
    RECT expected = { 0, 30, 20, 40 };
    MapDialogRect(window, &expected);
    RECT actual;
    GetWindowRect(GetDlgItem(window, 104), &actual);
    MapWindowPoints(NULL, window, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    EXPECT_EQ(actual.bottom, expected.bottom);

    // The layer's dialog font: 8-point bold "MS Sans Serif".
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    DestroyWindow(window);
}

TEST(DialogLayer, ColouredLabelPaintsItsColours)
{
    g_plan = KEYS_THEN_END;
    HWND window = MakeWindow();
    AddControl(CONTROL_LABEL, window, 201, L"MMMMMMMMMMMM", 0, 0, 100, 20, 0, 0);
    AddControl(CONTROL_LABEL, window, 202, L"", 0, 20, 100, 20, 0, 0);
    SetControlColors(window, 201, RGB(192, 192, 192), RGB(0, 0, 0));
    HDC dc = GetDC(window);
    COLORREF coloured = CLR_INVALID;
    COLORREF plain = CLR_INVALID;
    bool textSeen = false;
    // The colours are those of the label's WM_CTLCOLORSTATIC answer.
    HWND label = GetDlgItem(window, 201);
    HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageW(window, WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(label)));
    EXPECT_NE(brush, static_cast<HBRUSH>(NULL));
    EXPECT_EQ(GetTextColor(dc), RGB(192, 192, 192));
    EXPECT_EQ(GetBkColor(dc), RGB(0, 0, 0));
    ReleaseDC(window, dc);

    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    RECT rect;
    GetClientRect(label, &rect);
    HDC labelDc = GetDC(label);
    coloured = GetPixel(labelDc, rect.right - 1, rect.bottom - 1);
    for (int x = 0; x < rect.right && !textSeen; ++x)
        for (int y = 0; y < rect.bottom && !textSeen; ++y)
            textSeen = GetPixel(labelDc, x, y) == RGB(192, 192, 192);
    ReleaseDC(label, labelDc);
    HDC plainDc = GetDC(GetDlgItem(window, 202));
    plain = GetPixel(plainDc, 1, 1);
    ReleaseDC(GetDlgItem(window, 202), plainDc);
    EXPECT_EQ(coloured, RGB(0, 0, 0));
    EXPECT_TRUE(textSeen) << "no pixel of the text colour";
    EXPECT_EQ(plain, GetSysColor(COLOR_BTNFACE));
    DestroyWindow(window);
}

// Before the display: the state it shows the window with; while it runs:
// hidden and shown at once.
TEST(DialogLayer, ShowStateBeforeAndAfterShowing)
{
    g_plan = SHOW_STATES;
    HWND window = MakeWindow();
    SetDialogShowState(window, SW_HIDE);
    EXPECT_EQ(ShowDialogModal(window, RecordingProc), END_RESULT);
    EXPECT_FALSE(g_visibleAtFirst) << "shown although SW_HIDE was set before the display";
    EXPECT_TRUE(g_visibleAfterShow);
    EXPECT_FALSE(g_visibleAfterHide);

    g_plan = END_ON_TIMER;
    window = MakeWindow();
    EXPECT_EQ(ShowDialogModal(window, RecordingProc), END_RESULT);
    SetDialogShowState(window, SW_SHOW);   // no record any more: nothing
    EXPECT_FALSE(IsWindow(window));
}

TEST(DialogLayer, IconFromResourceName)
{
    HWND window = CreateDialogWindow(NULL, L"Icono", 0, 0, 50, 20, 0, 0);
    SetDialogIcon(window, L"#999");  // no such resource: nothing set
    EXPECT_EQ(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    SetDialogIcon(window, L"#200");
    const LRESULT big = SendMessageW(window, WM_GETICON, ICON_BIG, 0);
    const LRESULT small = SendMessageW(window, WM_GETICON, ICON_SMALL, 0);
    ASSERT_NE(big, 0);
    ASSERT_NE(small, 0);
    ICONINFO info = {};
    GetIconInfo(reinterpret_cast<HICON>(small), &info);
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 16) << "small icon size";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyWindow(window);
}

TEST(DialogLayer, FontHeightTruncates)
{
    const struct { int dpi, points, height; } cases[] = {
        { 96, 14, -18 }, { 120, 14, -23 }, { 144, 14, -28 }, { 192, 14, -37 },
        { 96, 18, -24 }, { 96, 12, -16 }, { 96, 8, -10 }, { 120, 8, -13 }, { 144, 8, -16 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FontHeightForDpi(c.dpi, c.points), c.height) << c.dpi << " dpi, " << c.points << " pt";

    HFONT font = CreateControlFont(8, FW_BOLD, TRUE);
    LOGFONTA made = {};
    GetObjectA(font, sizeof(made), &made);
    HDC screen = GetDC(NULL);
    EXPECT_EQ(made.lfHeight, FontHeightForDpi(GetDeviceCaps(screen, LOGPIXELSY), 8));
    ReleaseDC(NULL, screen);
    EXPECT_EQ(made.lfWeight, FW_BOLD);
    EXPECT_EQ(made.lfUnderline, TRUE);
    EXPECT_STREQ(made.lfFaceName, "MS Sans Serif");
    DeleteObject(font);
}
