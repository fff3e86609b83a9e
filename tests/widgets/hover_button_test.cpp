// The hover button: binding, hover tracking and the pixels it paints.
#include <gtest/gtest.h>

#include "tests/widgets/gui_support.h"
#include "tests/widgets/test_ids.h"
#include "widgets/dialog.h"
#include "widgets/hover_button.h"

namespace {

COLORREF Sys(int index) { return ::GetSysColor(index); }

// A button whose normal background the test can change.
class TintedButton : public CHoverButton {
 public:
  void Tint(COLORREF background) { m_colors[BkNormal] = background; }
};

class ButtonsDialog : public CDialog {
 public:
  ButtonsDialog() : CDialog(IDD_TEST_BUTTONS) {}
  CHoverButton defaultButton, plain, iconOnly;
  TintedButton flat;
  int clicks = 0;

 protected:
  BOOL OnInitDialog() override {
    defaultButton.Attach(*this, IDC_T_DEFAULT);
    plain.Attach(*this, IDC_T_PLAIN);
    iconOnly.Attach(*this, IDC_T_ICONONLY);
    flat.Attach(*this, IDC_T_FLAT);
    defaultButton.SetFlatLook(false);
    plain.SetFlatLook(false);
    iconOnly.SetButtonIcon(IDI_T_RED);
    return TRUE;
  }
  bool OnCommand(WORD id, WORD code, HWND) override {
    if (id == IDC_T_PLAIN && code == BN_CLICKED) ++clicks;
    return id == IDC_T_PLAIN;
  }
};

class HoverButtonTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(dialog.Create());
    // Hover asks which window is under a point. Programs run side by side
    // in one prefix share the screen; the centred windows of the others stay
    // clear of the bottom-left corner.
    ::SetWindowPos(dialog.GetHwnd(), HWND_TOP, 10, 740, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    PumpMessages();
  }
  void TearDown() override {
    ::SetCursorPos(0, 0);
    GuiTest::TearDown();
  }

  // Paints `button` through the dialog's WM_DRAWITEM, as the system does,
  // onto a canvas of the button's size.
  void Render(Canvas& canvas, CHoverButton& button, UINT state) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(button.GetId());
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = button.GetHwnd();
    item.hDC = canvas.dc();
    item.rcItem = {0, 0, canvas.width(), canvas.height()};
    HGDIOBJ font = ::SelectObject(canvas.dc(), reinterpret_cast<HFONT>(
                                                   ::SendMessageA(button.GetHwnd(), WM_GETFONT, 0, 0)));
    LRESULT handled = ::SendMessageA(dialog.GetHwnd(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    ::SelectObject(canvas.dc(), font);
    EXPECT_TRUE(handled) << "WM_DRAWITEM not reflected to the button";
  }

  POINT Centre(const CHoverButton& button) {
    RECT r;
    ::GetClientRect(button.GetHwnd(), &r);
    return {r.right / 2, r.bottom / 2};
  }
  void MouseMove(CHoverButton& button, POINT at, WPARAM keys = 0) {
    ::SendMessageA(button.GetHwnd(), WM_MOUSEMOVE, keys, MAKELPARAM(at.x, at.y));
  }

  ButtonsDialog dialog;
};

TEST_F(HoverButtonTest, BindingMakesTheButtonOwnerDrawnAndKeepsTheDefaultType) {
  CHoverButton* flat = &dialog.flat;
  for (CHoverButton* b : {&dialog.defaultButton, &dialog.plain, flat})
    EXPECT_EQ(::GetWindowLongPtrA(b->GetHwnd(), GWL_STYLE) & 0x1F, BS_OWNERDRAW);
  EXPECT_TRUE(dialog.defaultButton.IsDefault());
  EXPECT_FALSE(dialog.plain.IsDefault());
  EXPECT_EQ(::SendMessageA(dialog.defaultButton.GetHwnd(), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON,
            DLGC_DEFPUSHBUTTON);
  EXPECT_EQ(::SendMessageA(dialog.plain.GetHwnd(), WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON,
            DLGC_UNDEFPUSHBUTTON);
}

TEST_F(HoverButtonTest, SetStyleMovesTheDefaultButKeepsOwnerDraw) {
  HWND plain = dialog.plain.GetHwnd();
  ::SendMessageA(plain, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_TRUE(dialog.plain.IsDefault());
  EXPECT_EQ(::GetWindowLongPtrA(plain, GWL_STYLE) & 0x1F, BS_OWNERDRAW);
  ::SendMessageA(plain, BM_SETSTYLE, BS_CHECKBOX, TRUE);
  EXPECT_TRUE(dialog.plain.IsDefault()) << "other types leave the flag";
  ::SendMessageA(plain, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  EXPECT_FALSE(dialog.plain.IsDefault());
  EXPECT_EQ(::GetWindowLongPtrA(plain, GWL_STYLE) & 0x1F, BS_OWNERDRAW);
}

TEST_F(HoverButtonTest, ClickReachesTheDialogAndFocusesTheButton) {
  ::SetFocus(dialog.defaultButton.GetHwnd());
  ::SendMessageA(dialog.GetHwnd(), WM_COMMAND, MAKEWPARAM(IDC_T_PLAIN, BN_CLICKED),
                 reinterpret_cast<LPARAM>(dialog.plain.GetHwnd()));
  PumpMessages();
  EXPECT_EQ(dialog.clicks, 1);
  EXPECT_EQ(::GetFocus(), dialog.plain.GetHwnd());
}

TEST_F(HoverButtonTest, DoubleClickActsAsASecondPress) {
  HWND plain = dialog.plain.GetHwnd();
  POINT c = Centre(dialog.plain);
  for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
    ::SendMessageA(plain, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(c.x, c.y));
  PumpMessages();
  EXPECT_EQ(dialog.clicks, 2);
}

TEST_F(HoverButtonTest, FlatButtonHoversWhileTheMouseIsOverIt) {
  CHoverButton& flat = dialog.flat;
  POINT c = Centre(flat);
  POINT screen = c;
  ::ClientToScreen(flat.GetHwnd(), &screen);
  ::SetCursorPos(screen.x, screen.y);
  MouseMove(flat, c);
  EXPECT_TRUE(flat.IsHover());
  ::SendMessageA(flat.GetHwnd(), WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(flat.IsHover());

  MouseMove(flat, c);
  ASSERT_TRUE(flat.IsHover());
  MouseMove(flat, {-30, -30});  // another window under the point
  EXPECT_FALSE(flat.IsHover());
}

TEST_F(HoverButtonTest, LeaveNotificationEndsHover) {
  CHoverButton& flat = dialog.flat;
  POINT c = Centre(flat), screen = c;
  ::ClientToScreen(flat.GetHwnd(), &screen);
  ::SetCursorPos(screen.x, screen.y);
  MouseMove(flat, c);
  ASSERT_TRUE(flat.IsHover());
  ::SetCursorPos(screen.x, screen.y + 200);
  EXPECT_TRUE(PumpUntil([&] { return !flat.IsHover(); }, 3000))
      << "no WM_MOUSELEAVE after the cursor left";
}

TEST_F(HoverButtonTest, NoHoverForRaisedLookOrWhenDraggedOnto) {
  POINT c = Centre(dialog.plain);
  MouseMove(dialog.plain, c);
  EXPECT_FALSE(dialog.plain.IsHover()) << "the raised look never hovers";

  MouseMove(dialog.flat, Centre(dialog.flat), MK_LBUTTON);
  EXPECT_FALSE(dialog.flat.IsHover()) << "left button held when entering";
}

TEST_F(HoverButtonTest, FocusLossAndDisablingEndHover) {
  CHoverButton& flat = dialog.flat;
  MouseMove(flat, Centre(flat));
  ASSERT_TRUE(flat.IsHover());
  ::SendMessageA(flat.GetHwnd(), WM_KILLFOCUS, 0, 0);
  EXPECT_FALSE(flat.IsHover());

  MouseMove(flat, Centre(flat));
  ASSERT_TRUE(flat.IsHover());
  ::SetFocus(flat.GetHwnd());
  ::EnableWindow(flat.GetHwnd(), FALSE);
  EXPECT_FALSE(flat.IsHover());
  EXPECT_NE(::GetFocus(), flat.GetHwnd()) << "a disabled button keeps no focus";
}

TEST_F(HoverButtonTest, DisablingDoesNotTakeTheFocusFromElsewhere) {
  ::SetFocus(dialog.defaultButton.GetHwnd());
  ::EnableWindow(dialog.flat.GetHwnd(), FALSE);
  EXPECT_EQ(::GetFocus(), dialog.defaultButton.GetHwnd());
}

TEST_F(HoverButtonTest, RaisedFocusedButtonHasBlackFrameEdgeAndFocusRectangle) {
  Canvas focused(80, 30), idle(80, 30);
  Render(focused, dialog.plain, ODS_FOCUS);
  Render(idle, dialog.plain, 0);
  EXPECT_EQ(focused.Pixel(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(focused.Pixel(79, 29), RGB(0, 0, 0));
  EXPECT_EQ(focused.Pixel(1, 5), Sys(COLOR_BTNHIGHLIGHT)) << "3D edge inside the frame";
  EXPECT_EQ(focused.Pixel(78, 5), Sys(COLOR_3DDKSHADOW));
  EXPECT_EQ(idle.Pixel(0, 0), Sys(COLOR_BTNHIGHLIGHT)) << "no frame when neither focused nor default";
  EXPECT_EQ(idle.Pixel(79, 5), Sys(COLOR_3DDKSHADOW));

  // The dotted focus rectangle lies 3 pixels inside the edge: column 4.
  const COLORREF face = Sys(COLOR_BTNFACE);
  EXPECT_LE(focused.Count(face, 4, 4, 5, 26), 16) << "no focus dots in column 4";
  EXPECT_EQ(idle.Count(face, 4, 4, 5, 26), 22);
  EXPECT_EQ(focused.Count(face, 3, 4, 4, 26), 22) << "focus rectangle drawn in the wrong place";
}

TEST_F(HoverButtonTest, DefaultButtonHasTheFrameWithoutFocusRectangle) {
  Canvas canvas(80, 30);
  Render(canvas, dialog.defaultButton, 0);
  EXPECT_EQ(canvas.Pixel(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(canvas.Pixel(40, 29), RGB(0, 0, 0));
  EXPECT_EQ(canvas.Count(Sys(COLOR_BTNFACE), 4, 4, 5, 26), 22);
}

TEST_F(HoverButtonTest, FlatButtonShowsItsEdgeOnlyWhenHovered) {
  Canvas idle(80, 30), hovered(80, 30);
  Render(idle, dialog.flat, ODS_FOCUS);
  EXPECT_EQ(idle.Pixel(0, 0), Sys(COLOR_BTNFACE)) << "no border";
  EXPECT_EQ(idle.Count(Sys(COLOR_BTNFACE), 4, 4, 5, 26), 22) << "no focus rectangle in the flat look";
  MouseMove(dialog.flat, Centre(dialog.flat));
  ASSERT_TRUE(dialog.flat.IsHover());
  Render(hovered, dialog.flat, 0);
  EXPECT_EQ(hovered.Pixel(0, 0), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(hovered.Pixel(79, 29), Sys(COLOR_BTNSHADOW));
}

TEST_F(HoverButtonTest, PressedContentMovesOnePixelRightAndDown) {
  Canvas up(80, 30), down(80, 30);
  Render(up, dialog.flat, 0);
  Render(down, dialog.flat, ODS_SELECTED);
  int text = 0, mismatches = 0;
  for (int y = 2; y < 27; ++y)
    for (int x = 2; x < 77; ++x) {
      if (up.Pixel(x, y) != Sys(COLOR_BTNFACE)) ++text;
      if (up.Pixel(x, y) != down.Pixel(x + 1, y + 1)) ++mismatches;
    }
  EXPECT_GT(text, 20) << "no caption drawn";
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(down.Pixel(0, 0), Sys(COLOR_BTNSHADOW)) << "pressed flat edge is sunken";
}

TEST_F(HoverButtonTest, DisabledCaptionIsEmbossed) {
  Canvas enabled(80, 30), disabled(80, 30);
  Render(enabled, dialog.flat, 0);
  Render(disabled, dialog.flat, ODS_DISABLED);
  const COLORREF light = Sys(COLOR_BTNHIGHLIGHT), dark = Sys(COLOR_BTNSHADOW);
  EXPECT_EQ(enabled.Count(light, 2, 2, 78, 28), 0);
  EXPECT_GT(disabled.Count(light, 2, 2, 78, 28), 10);
  EXPECT_GT(disabled.Count(dark, 2, 2, 78, 28), 10);
  EXPECT_EQ(disabled.Count(Sys(COLOR_BTNTEXT), 2, 2, 78, 28), 0);
}

TEST_F(HoverButtonTest, IconWithoutCaptionIsCentred) {
  ASSERT_NE(dialog.iconOnly.GetIcon(), nullptr);
  SIZE size = dialog.iconOnly.GetIconSize();
  EXPECT_EQ(size.cx, 32);
  EXPECT_EQ(size.cy, 32);
  Canvas canvas(81, 41);
  Render(canvas, dialog.iconOnly, 0);
  const COLORREF red = RGB(255, 0, 0);
  // (81 - 32) / 2 = 24, (41 - 32) / 2 = 4: halves rounded toward zero.
  EXPECT_EQ(canvas.Count(red, 0, 0, 81, 41), 32 * 32);
  EXPECT_EQ(canvas.Pixel(24, 4), red);
  EXPECT_EQ(canvas.Pixel(55, 35), red);
  EXPECT_NE(canvas.Pixel(23, 4), red);
  EXPECT_NE(canvas.Pixel(24, 3), red);
}

TEST_F(HoverButtonTest, IconLeftOfCaptionAndReloadReplacesIt) {
  CHoverButton& b = dialog.flat;
  ASSERT_TRUE(b.SetButtonIcon(IDI_T_RED));
  HICON first = b.GetIcon();
  ASSERT_TRUE(b.SetButtonIcon(IDI_T_RED));
  EXPECT_NE(b.GetIcon(), first);
  ICONINFO info;
  EXPECT_FALSE(::GetIconInfo(first, &info)) << "the replaced icon is destroyed";
  Canvas canvas(120, 40);
  Render(canvas, b, 0);
  EXPECT_EQ(canvas.Pixel(3, 4), RGB(255, 0, 0));
  EXPECT_NE(canvas.Pixel(2, 4), RGB(255, 0, 0));
  EXPECT_FALSE(b.SetButtonIcon(4242));
  EXPECT_EQ(b.GetIcon(), nullptr);
}

TEST_F(HoverButtonTest, SystemColourChangeRestoresTheSystemColours) {
  Canvas tinted(80, 30), restored(80, 30);
  dialog.flat.Tint(RGB(1, 2, 3));
  Render(tinted, dialog.flat, 0);
  EXPECT_EQ(tinted.Pixel(2, 2), RGB(1, 2, 3));
  // The system sends it to top-level windows only: the dialog passes it on.
  ::SendMessageA(dialog.GetHwnd(), WM_SYSCOLORCHANGE, 0, 0);
  Render(restored, dialog.flat, 0);
  EXPECT_EQ(restored.Pixel(2, 2), Sys(COLOR_BTNFACE));
}

TEST_F(HoverButtonTest, RealPaintGoesThroughTheButton) {
  // The system's own WM_DRAWITEM, not a hand-made one.
  ::RedrawWindow(dialog.GetHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpMessages();
  HDC dc = ::GetDC(dialog.defaultButton.GetHwnd());
  EXPECT_EQ(::GetPixel(dc, 0, 0), RGB(0, 0, 0)) << "default button frame not painted";
  ::ReleaseDC(dialog.defaultButton.GetHwnd(), dc);
}

// ---- CControl ---------------------------------------------------------

WNDPROC g_underTheirs = nullptr;
int g_theirMessages = 0;
LRESULT CALLBACK TheirProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  ++g_theirMessages;
  return ::CallWindowProcA(g_underTheirs, hwnd, msg, wParam, lParam);
}

class ControlTest : public GuiTest {};

TEST_F(ControlTest, AControlSubclassedAfterUsStillWorksOnceWeLetGo) {
  CDialog dialog(IDD_TEST_BUTTONS);
  ASSERT_NE(dialog.Create(), nullptr);
  HWND button = ::GetDlgItem(dialog.GetHwnd(), IDC_T_PLAIN);
  CControl control;
  ASSERT_TRUE(control.Attach(dialog, IDC_T_PLAIN));
  EXPECT_EQ(CControl::FromHandle(button), &control);
  EXPECT_FALSE(control.Attach(dialog, IDC_T_PLAIN)) << "already bound";
  g_underTheirs = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TheirProc)));
  control.Detach();
  EXPECT_EQ(CControl::FromHandle(button), nullptr);
  ::SetWindowTextA(button, "Outro");
  char text[16] = {};
  ::GetWindowTextA(button, text, sizeof text);
  EXPECT_STREQ(text, "Outro") << "through theirs and ours to the button's own procedure";
  EXPECT_GT(g_theirMessages, 0);
  ::DestroyWindow(dialog.GetHwnd());
  EXPECT_EQ(CControl::FromHandle(button), nullptr);
}

}  // namespace
