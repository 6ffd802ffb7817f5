// The Win32 layout object on real child windows: what a resize does to
// each kind of control, and what it leaves alone.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "move_control.h"

namespace {

using dialogs::win32::MoveControl;

RECT ChildRect(HWND parent, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

// A borderless popup (client = window) with a label, a short edit, a tall
// list and a hidden button, at 400 x 300.
class Win32Layout : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
        parent_ = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                    nullptr, nullptr);
        ASSERT_NE(parent_, nullptr) << "no window: is there a display?";
        label_ = Child(L"Static", 10, 10, 60, 4);  // lower than its text
        edit_ = Child(L"Edit", 100, 10, 80, 30);   // taller than its text
        list_ = Child(WC_LISTVIEWW, 10, 50, 380, 200);
        hidden_ = ::CreateWindowExW(0, L"Button", L"x", WS_CHILD, 300, 10, 40, 20, parent_, nullptr,
                                    nullptr, nullptr);
    }
    void TearDown() override {
        if (parent_ != nullptr) ::DestroyWindow(parent_);
    }
    HWND Child(const wchar_t *kind, int x, int y, int w, int h) {
        return ::CreateWindowExW(0, kind, L"FON", WS_CHILD | WS_VISIBLE, x, y, w, h, parent_,
                                 nullptr, nullptr, nullptr);
    }
    void Resize(int w, int h) {
        ::SetWindowPos(parent_, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    HWND parent_ = nullptr, label_ = nullptr, edit_ = nullptr, list_ = nullptr, hidden_ = nullptr;
};

TEST_F(Win32Layout, TheFirstLayoutKeepsPlacesGivesTheFontAndRaisesShortLabels) {
    MoveControl layout;
    layout.Bind(parent_);
    layout.Layout();
    EXPECT_TRUE(layout.LaidOut());
    const RECT label = ChildRect(parent_, label_), edit = ChildRect(parent_, edit_);
    EXPECT_EQ(label.left, 10);
    EXPECT_EQ(label.top, 10);
    EXPECT_GT(label.bottom - label.top, 4) << "a label lower than its text is raised";
    EXPECT_EQ(edit.left, 100);
    EXPECT_EQ(edit.right, 180);
    for (HWND child : {label_, edit_, list_})
        EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)), layout.Font());
    EXPECT_NE(reinterpret_cast<HFONT>(::SendMessageW(hidden_, WM_GETFONT, 0, 0)), layout.Font())
        << "a hidden control is left alone";
}

TEST_F(Win32Layout, DoublingTheSizeScalesEdgesAndKeepsShortHeights) {
    MoveControl layout;
    layout.Bind(parent_);
    const int editHeight = ChildRect(parent_, edit_).bottom - ChildRect(parent_, edit_).top;
    Resize(800, 600);
    layout.Layout();
    const RECT edit = ChildRect(parent_, edit_), list = ChildRect(parent_, list_);
    EXPECT_EQ(edit.left, 200);
    EXPECT_EQ(edit.right, 360);
    EXPECT_EQ(edit.top, 20);
    EXPECT_EQ(edit.bottom - edit.top, editHeight) << "a short edit keeps its height";
    EXPECT_EQ(list.left, 20);
    EXPECT_EQ(list.top, 100);
    EXPECT_EQ(list.right, 780);
    EXPECT_EQ(list.bottom, 500) << "a tall list stretches";
    EXPECT_EQ(ChildRect(parent_, hidden_).left, 300);
}

TEST_F(Win32Layout, ANoughtSizedParentChangesNothingAndKeepsItsBase) {
    MoveControl layout;
    layout.Bind(parent_);
    Resize(0, 300);
    layout.Layout();
    EXPECT_FALSE(layout.LaidOut());
    EXPECT_EQ(ChildRect(parent_, list_).right, 390);
    // Back to twice the first size: scaled from the size bound, not from 0.
    Resize(800, 600);
    layout.Layout();
    EXPECT_EQ(ChildRect(parent_, list_).right, 780);
}

TEST_F(Win32Layout, ManySmallResizesCarryTheirRoundingLoss) {
    MoveControl layout;
    layout.Bind(parent_);
    // 400 -> 403 -> ... -> 430: the edit's left edge 100 goes to 107.5, the
    // loss of each step's truncation paid out, not lost ten times.
    for (int w = 403; w <= 430; w += 3) {
        Resize(w, 300);
        layout.Layout();
    }
    const int left = ChildRect(parent_, edit_).left;
    EXPECT_GE(left, 106);
    EXPECT_LE(left, 108);
}

}  // namespace
