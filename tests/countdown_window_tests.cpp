// The real countdown.exe: its window as a user sees it.
#include <gtest/gtest.h>

#include "countdown_run.h"
#include "driver.h"

namespace {

class CountdownWindow : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driver::WriteFileBytes(m_folder.File(L"diminuto.log"),
                                           countdown_run::RecordBytes(countdown_run::LocalMinuteFromNow(3 * 24 * 60))));
        ASSERT_TRUE(m_program.Start(m_folder.AddProgram(L"countdown.exe")));
        m_window = m_program.WaitForWindow(countdown_run::CAPTION_PREFIX);
        ASSERT_NE(m_window, static_cast<HWND>(NULL)) << "no countdown window";
        m_label = GetDlgItem(m_window, countdown_run::LABEL_ID);
    }

    driver::TempFolder m_folder;
    driver::Program m_program;
    HWND m_window = NULL;
    HWND m_label = NULL;
};

}  // namespace

TEST_F(CountdownWindow, StripAtTopLeftWithOneLabel)
{
    const DWORD style = static_cast<DWORD>(GetWindowLongW(m_window, GWL_STYLE));
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | DS_MODALFRAME), static_cast<DWORD>(WS_POPUP | WS_CAPTION | DS_MODALFRAME));
    EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u) << "no system menu, not resizable";
    EXPECT_EQ(GetWindowLongW(m_window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "not top-most";

    RECT window;
    GetWindowRect(m_window, &window);
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);

    ASSERT_NE(m_label, static_cast<HWND>(NULL));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(m_label, GWL_STYLE)), 0x50000101u);
    RECT client;
    GetClientRect(m_window, &client);
    EXPECT_GT(client.right, 4 * client.bottom) << "a narrow strip";
    RECT label;
    GetWindowRect(m_label, &label);
    MapWindowPoints(NULL, m_window, reinterpret_cast<POINT*>(&label), 2);
    EXPECT_EQ(label.left, 0);
    EXPECT_EQ(label.top, 0);
    EXPECT_EQ(label.right, client.right);
    EXPECT_EQ(label.bottom, client.bottom);
}

TEST_F(CountdownWindow, LightGreyOnBlack)
{
    ASSERT_TRUE(driver::WaitUntil([&] { return !driver::WindowText(m_label).empty(); }))
        << "label never filled";
    RECT client;
    GetClientRect(m_window, &client);
    POINT origin = { 0, 0 };
    ClientToScreen(m_window, &origin);
    int black = 0;
    int grey = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            const COLORREF pixel = driver::ScreenPixel(origin.x + x, origin.y + y);
            black += pixel == RGB(0, 0, 0);
            grey += pixel == RGB(192, 192, 192);
        }
    }
    EXPECT_GT(black, client.right * client.bottom / 2) << "background not black";
    EXPECT_GT(grey, 10) << "no text drawn in light grey";
    EXPECT_EQ(driver::ScreenPixel(origin.x + client.right - 1, origin.y + client.bottom - 1), RGB(0, 0, 0))
        << "label does not reach the client area's corner";
}

TEST_F(CountdownWindow, ClickEndsWithExitCodeZero)
{
    SetForegroundWindow(m_window);
    driver::ClickWindow(m_label);
    DWORD exitCode = 1;
    ASSERT_TRUE(m_program.WaitForExit(&exitCode)) << "still running after a click";
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(CountdownWindow, EscAndEnterDoNothing)
{
    SetForegroundWindow(m_window);
    driver::WaitUntil([&] { return GetForegroundWindow() == m_window; }, 5000);
    driver::PressKey(VK_ESCAPE);
    driver::PressKey(VK_RETURN);
    // Let the keys be handled, then the window must still be there.
    const std::wstring before = driver::WindowText(m_label);
    driver::WaitUntil([&] { return driver::WindowText(m_label) != before; });
    EXPECT_TRUE(IsWindowVisible(m_window));
    EXPECT_TRUE(m_program.IsRunning());
}
