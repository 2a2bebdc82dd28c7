// The Win32 sequence grid under wine, driven by the messages that keys and double-clicks bring:
// the keyboard moves the current cell and acts on it, and a double-click outside the cells is one
// on the grid.
#include "gui/win32/GridView.h"
#include "core/files/GridModel.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace travek {
namespace {

class GridViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &parentProc;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TravekGridViewTest";
        ::RegisterClassA(&windowClass);
        m_parent = ::CreateWindowExA(0, "TravekGridViewTest", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                     nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(m_parent, nullptr);
        for (int row = 1; row < grid.rowCount(); ++row) {
            grid.setCell(0, row, std::to_string(row));
            grid.setCell(1, row, std::to_string(row));
        }
        view.create(m_parent, 1, static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
        ::SetWindowLongPtrA(m_parent, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&view));
        view.beginUpdate();
        grid.setCell(0, 0, "Step");
        view.endUpdate();
        view.place(0, 0, 380, 260);
        ::ShowWindow(m_parent, SW_SHOW);
        view.setCurrentCell(1, 1);
    }
    void TearDown() override { ::DestroyWindow(m_parent); }

    // The parent hands the list view's notifications to the view, as the main window does.
    static LRESULT CALLBACK parentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* grid = reinterpret_cast<GridView*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_NOTIFY && grid)
            return grid->notify(reinterpret_cast<NMHDR*>(lParam));
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    void press(WPARAM key) {
        ::SendMessageA(view.handle(), WM_KEYDOWN, key, 1);
        ::SendMessageA(view.handle(), WM_KEYUP, key, 0xC0000001);
    }
    static void doubleClick(HWND window, POINT at) {
        const LPARAM where = MAKELPARAM(at.x, at.y);
        ::SendMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
        ::SendMessageA(window, WM_LBUTTONUP, 0, where);
    }
    std::pair<int, int> current() const { return {view.currentCol(), view.currentRow()}; }

    GridModel grid{3, 4, 1, 1}; // three steps
    std::vector<std::pair<int, int>> activated;
    int gridActivations = 0;
    GridView view{
        grid,
        {[this](int col, int row) { activated.emplace_back(col, row); }, [this] { ++gridActivations; }}};
    HWND m_parent = nullptr;
};

TEST_F(GridViewTest, ArrowsMoveTheCurrentCellAndEnterF2SpaceActOnIt) {
    press(VK_DOWN);
    EXPECT_EQ(current(), std::make_pair(1, 2));
    press(VK_DOWN);
    press(VK_DOWN); // the last step stays current
    EXPECT_EQ(current(), std::make_pair(1, 3));
    press(VK_RIGHT);
    press(VK_RIGHT);
    EXPECT_EQ(current(), std::make_pair(2, 3));
    press(VK_UP);
    EXPECT_EQ(current(), std::make_pair(2, 2));
    press(VK_LEFT);
    press(VK_LEFT); // the step numbers are never current
    EXPECT_EQ(current(), std::make_pair(1, 2));
    press(VK_END);
    EXPECT_EQ(current(), std::make_pair(1, 3));
    press(VK_HOME);
    EXPECT_EQ(current(), std::make_pair(1, 1));

    press(VK_RETURN);
    press(VK_DOWN);
    press(VK_RIGHT);
    press(VK_F2);
    press(VK_SPACE);
    const std::vector<std::pair<int, int>> expected{{1, 1}, {2, 2}, {2, 2}};
    EXPECT_EQ(activated, expected);
    EXPECT_EQ(gridActivations, 0);
}

TEST_F(GridViewTest, ADoubleClickOnACellActsOnItAndAnywhereElseOnTheGrid) {
    RECT cell{};
    ListView_GetSubItemRect(view.handle(), 1, 2, LVIR_BOUNDS, &cell); // key cell of step 2
    doubleClick(view.handle(), {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2});
    ASSERT_EQ(activated.size(), 1u);
    EXPECT_EQ(activated.back(), std::make_pair(2, 2));
    EXPECT_EQ(current(), std::make_pair(2, 2));

    // The empty area below the three steps.
    doubleClick(view.handle(), {(cell.left + cell.right) / 2, cell.bottom + 5 * GridView::RowHeight});
    EXPECT_EQ(gridActivations, 1);
    // The header row.
    const HWND header = ListView_GetHeader(view.handle());
    ASSERT_NE(header, nullptr);
    RECT title{};
    Header_GetItemRect(header, 1, &title);
    doubleClick(header, {(title.left + title.right) / 2, (title.top + title.bottom) / 2});
    EXPECT_EQ(gridActivations, 2);
    EXPECT_EQ(activated.size(), 1u);
}

} // namespace
} // namespace travek
