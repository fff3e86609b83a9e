// Dialogs, property pages with their value exchange, and the sheet embedded
// in a dialog.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/widgets/gui_support.h"
#include "tests/widgets/test_ids.h"
#include "widgets/dialog.h"
#include "widgets/property_sheet.h"

namespace {

// ---- CDialog ----------------------------------------------------------

// Ends itself on a message posted as it is made, noting whether its owner
// was disabled meanwhile.
class EndsItself : public CDialog {
 public:
  explicit EndsItself(HWND owner) : CDialog(IDD_TEST_BUTTONS, owner) {}
  std::vector<UINT> seen;
  bool ownerEnabled = true;

 protected:
  BOOL OnInitDialog() override {
    ::PostMessageA(m_hWnd, WM_APP, 0, 0);
    return TRUE;
  }
  bool PreTranslateMessage(MSG* msg) override {
    if (msg->hwnd != m_hWnd || msg->message != WM_APP) return false;
    ownerEnabled = ::IsWindowEnabled(::GetWindow(m_hWnd, GW_OWNER)) != FALSE;
    EndDialog(42);
    return true;
  }
  INT_PTR OnMessage(UINT msg, WPARAM, LPARAM) override {
    if (msg == WM_APP) seen.push_back(msg);  // swallowed before dispatch: never here
    return FALSE;
  }
};

class DialogTest : public GuiTest {};

TEST_F(DialogTest, BothModalRunsSeeMessagesBeforeDispatchAndHoldTheOwner) {
  CDialog owner(IDD_TEST_HOST);
  ASSERT_NE(owner.Create(), nullptr);
  for (bool madeAhead : {false, true}) {  // DoModal; Create, then RunModal
    SCOPED_TRACE(madeAhead ? "made hidden, then run" : "dialog box");
    EndsItself dialog(owner.GetHwnd());
    if (madeAhead) {
      ASSERT_NE(dialog.Create(), nullptr);
      EXPECT_FALSE(::IsWindowVisible(dialog.GetHwnd()));
    }
    EXPECT_EQ(madeAhead ? dialog.RunModal() : dialog.DoModal(), 42);
    EXPECT_TRUE(dialog.seen.empty());
    EXPECT_FALSE(dialog.ownerEnabled);
    EXPECT_TRUE(::IsWindowEnabled(owner.GetHwnd()));
    EXPECT_EQ(dialog.GetHwnd(), nullptr) << "destroyed at the end";
  }
}

TEST_F(DialogTest, ModelessCancelDestroysAndDestructorUnhooks) {
  HWND hwnd;
  {
    CDialog dialog(IDD_TEST_HOST);
    hwnd = dialog.Create();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(CDialog::FromHandle(hwnd), &dialog);
    EXPECT_EQ(dialog.Create(), nullptr) << "one window per object";
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(dialog.GetHwnd(), nullptr);
    hwnd = dialog.Create();
    ASSERT_NE(hwnd, nullptr);
  }
  EXPECT_FALSE(::IsWindow(hwnd)) << "the destructor destroys a modeless dialog";
}

TEST_F(DialogTest, MissingTemplateFails) {
  CDialog dialog(4242);
  EXPECT_EQ(dialog.Create(), nullptr);
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_EQ(dialog.RunModal(), -1) << "nothing made to run";
}

// ---- CPropertyPage ----------------------------------------------------

class TestPage : public CPropertyPage {
 public:
  explicit TestPage(int templateId = IDD_TEST_PAGE) : CPropertyPage(templateId) {
    BindText(IDC_T_TEXT, text);
    BindComboIndex(IDC_T_COMBO, combo);
    BindCheck(IDC_T_CHECK, check);
    BindRadio(IDC_T_RADIO1, IDC_T_RADIO2, radio);
  }
  std::string text = "inicial";
  int combo = 1, check = 1, radio = 0;
  std::vector<std::string> handled;  // change notifications the handlers saw
  int activations = 0;
  HWND mainAtFirstActivation = nullptr;
  bool childAtFirstActivation = false;

 protected:
  BOOL InitPage() override {
    if (HWND list = GetItem(IDC_T_COMBO)) {
      for (const char* entry : {"Carta", "A4", "Ofício I"})
        ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    return CPropertyPage::InitPage();
  }
  bool OnSetActive() override {
    if (++activations == 1) {
      mainAtFirstActivation = GetMainWindow();
      childAtFirstActivation = (::GetWindowLongPtrA(GetSheet(), GWL_STYLE) & WS_CHILD) != 0;
    }
    return CPropertyPage::OnSetActive();
  }
  bool OnCommand(WORD id, WORD code, HWND) override {
    if (code == EN_CHANGE || code == CBN_SELCHANGE || code == BN_CLICKED)
      handled.push_back(std::to_string(id) + ":" + std::to_string(code));
    return true;
  }
};

class HostDialog : public CDialog {
 public:
  HostDialog() : CDialog(IDD_TEST_HOST) {}
};

class SheetTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(host.Create());
    ::SetWindowPos(host.GetHwnd(), HWND_TOP, 50, 50, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  }
  void Make(std::initializer_list<CPropertyPage*> pages) {
    for (CPropertyPage* p : pages) sheet.AddPage(*p);
    ASSERT_TRUE(sheet.Create(host.GetHwnd()));
    PumpMessages();
  }
  HWND Item(const CPropertyPage& page, int id) { return ::GetDlgItem(page.GetHwnd(), id); }

  HostDialog host;
  CPropertySheet sheet;  // destroyed before the host
  TestPage first, second;
};

TEST_F(SheetTest, CreationShowsTheInitialValuesWithoutNotifyingHandlers) {
  Make({&first, &second});
  ASSERT_NE(first.GetHwnd(), nullptr);
  EXPECT_EQ(second.GetHwnd(), nullptr) << "a page window is made when first shown";
  char text[64];
  ::GetWindowTextA(Item(first, IDC_T_TEXT), text, sizeof text);
  EXPECT_STREQ(text, "inicial");
  EXPECT_EQ(::SendMessageA(Item(first, IDC_T_COMBO), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(::IsDlgButtonChecked(first.GetHwnd(), IDC_T_CHECK), BST_CHECKED);
  EXPECT_EQ(::IsDlgButtonChecked(first.GetHwnd(), IDC_T_RADIO1), BST_CHECKED);
  EXPECT_TRUE(first.handled.empty()) << "first: " << first.handled.front();
}

TEST_F(SheetTest, ShowValuesDispatchesNoChangeNotifications) {
  Make({&first});
  first.text = "outro";
  first.radio = 1;
  first.ShowValues();
  EXPECT_TRUE(first.handled.empty()) << "first: " << first.handled.front();
  EXPECT_FALSE(first.IsExchanging());
  HWND radio1 = Item(first, IDC_T_RADIO1), radio2 = Item(first, IDC_T_RADIO2);
  EXPECT_EQ(::SendMessageA(radio1, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(::SendMessageA(radio2, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(::GetWindowLongA(radio2, GWL_STYLE) & (BS_TYPEMASK | WS_TABSTOP), BS_AUTORADIOBUTTON | WS_TABSTOP)
      << "still an automatic radio button, and the group's tab stop";
  ::SendMessageA(radio1, BM_CLICK, 0, 0);
  EXPECT_EQ(::SendMessageA(radio2, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "a click still clears the group";
  first.handled.clear();

  // The same change made outside an exchange is the user's and is handled.
  ::SetWindowTextA(Item(first, IDC_T_TEXT), "digitado");
  ASSERT_EQ(first.handled.size(), 1u);
  EXPECT_EQ(first.handled[0], std::to_string(IDC_T_TEXT) + ":" + std::to_string(EN_CHANGE));
}

TEST_F(SheetTest, TakeValuesReadsEveryKindOfControl) {
  Make({&first});
  ::SetWindowTextA(Item(first, IDC_T_TEXT), "Ofício");
  ::SendMessageA(Item(first, IDC_T_COMBO), CB_SETCURSEL, 2, 0);
  ::CheckDlgButton(first.GetHwnd(), IDC_T_CHECK, BST_UNCHECKED);
  ::CheckRadioButton(first.GetHwnd(), IDC_T_RADIO1, IDC_T_RADIO2, IDC_T_RADIO2);
  first.TakeValues();
  EXPECT_EQ(first.text, "Ofício");
  EXPECT_EQ(first.combo, 2);
  EXPECT_EQ(first.check, 0);
  EXPECT_EQ(first.radio, 1);

  first.combo = -1;
  first.radio = -1;
  first.ShowValues();
  first.TakeValues();
  EXPECT_EQ(first.combo, -1) << "no entry selected";
  EXPECT_EQ(first.radio, -1) << "neither radio button";

  // An index past the last entry shows no selection either.
  first.combo = 2;
  first.ShowValues();
  first.combo = 3;
  first.ShowValues();
  first.TakeValues();
  EXPECT_EQ(first.combo, -1) << "index past the last entry";
  EXPECT_EQ(::IsDlgButtonChecked(first.GetHwnd(), IDC_T_RADIO2), BST_UNCHECKED);
}

TEST_F(SheetTest, ShowingAnUnchangedTextKeepsTheCaret) {
  Make({&first});
  HWND edit = Item(first, IDC_T_TEXT);
  ::SendMessageA(edit, EM_SETSEL, 3, 3);
  first.ShowValues();
  DWORD start = 0, end = 0;
  ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 3u);
  EXPECT_EQ(end, 3u);
}

TEST_F(SheetTest, EmbeddedAsAChildWithoutButtons) {
  Make({&first, &second});
  HWND s = sheet.GetHwnd();
  LONG_PTR style = ::GetWindowLongPtrA(s, GWL_STYLE), ex = ::GetWindowLongPtrA(s, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_TRUE(style & WS_TABSTOP);
  EXPECT_FALSE(style & (WS_POPUP | WS_CAPTION | WS_THICKFRAME));
  EXPECT_TRUE(ex & WS_EX_CONTROLPARENT);
  EXPECT_EQ(::GetParent(s), host.GetHwnd());
  for (int id : {IDOK, IDCANCEL, 0x3021, IDHELP}) {
    HWND button = ::GetDlgItem(s, id);
    if (button) {
      EXPECT_FALSE(::IsWindowVisible(button)) << "button " << id << " visible";
    }
  }
  // The sheet ends above where its buttons were.
  RECT sheetRect, tabRect;
  ::GetWindowRect(s, &sheetRect);
  ::GetWindowRect(sheet.GetTabControl(), &tabRect);
  EXPECT_LE(tabRect.bottom, sheetRect.bottom);
  EXPECT_LT(sheetRect.bottom - tabRect.bottom, 15);
  EXPECT_EQ(first.mainAtFirstActivation, host.GetHwnd());
  EXPECT_TRUE(first.childAtFirstActivation) << "the sheet was a popup while its first page came up";
}

TEST_F(SheetTest, ManyTabsStayOnOneRow) {
  std::vector<std::unique_ptr<TestPage>> pages;
  for (int i = 0; i < 8; ++i) {
    pages.push_back(std::make_unique<TestPage>(IDD_TEST_PAGE_LONG));
    sheet.AddPage(*pages.back());
  }
  ASSERT_TRUE(sheet.Create(host.GetHwnd()));
  HWND tab = sheet.GetTabControl();
  EXPECT_FALSE(::GetWindowLongPtrA(tab, GWL_STYLE) & TCS_MULTILINE);
  EXPECT_EQ(TabCtrl_GetRowCount(tab), 1);
  EXPECT_EQ(TabCtrl_GetItemCount(tab), 8);

  // Sized for that one row: as tall as a sheet with a single tab, the page
  // filling the page area.
  RECT many, area, page;
  ::GetClientRect(sheet.GetHwnd(), &many);
  ::GetClientRect(tab, &area);
  TabCtrl_AdjustRect(tab, FALSE, &area);
  ::MapWindowPoints(tab, nullptr, reinterpret_cast<POINT*>(&area), 2);
  ::GetWindowRect(sheet.GetActivePage()->GetHwnd(), &page);
  EXPECT_EQ(page.top, area.top);
  EXPECT_EQ(page.bottom, area.bottom);
  sheet.Destroy();

  TestPage alone(IDD_TEST_PAGE_LONG);
  CPropertySheet single;
  single.AddPage(alone);
  ASSERT_TRUE(single.Create(host.GetHwnd()));
  RECT one;
  ::GetClientRect(single.GetHwnd(), &one);
  EXPECT_EQ(many.bottom, one.bottom);
  EXPECT_EQ(many.right, one.right);
  single.Destroy();
}

TEST_F(SheetTest, TabImagesFromTheStrip) {
  Make({&first, &second});
  ASSERT_TRUE(sheet.SetTabImages(IDB_T_TABS));
  HWND tab = sheet.GetTabControl();
  HIMAGELIST images = TabCtrl_GetImageList(tab);
  EXPECT_EQ(images, sheet.GetImageList());
  EXPECT_EQ(::ImageList_GetImageCount(images), 5);
  int cx = 0, cy = 0;
  ::ImageList_GetIconSize(images, &cx, &cy);
  EXPECT_EQ(cx, 20);
  EXPECT_EQ(cy, 20);
  for (int i = 0; i < 2; ++i) {
    TCITEMA item{};
    item.mask = TCIF_IMAGE;
    ASSERT_TRUE(::SendMessageA(tab, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.iImage, i);
  }
  // Blue is transparent: drawn on white, image 1 shows its red square on white.
  Canvas canvas(20, 20);
  ::ImageList_Draw(images, 1, canvas.dc(), 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(canvas.Pixel(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Pixel(10, 10), RGB(255, 0, 0));

  // The panel's own strip, when linked: five images.
  if (::FindResourceA(nullptr, MAKEINTRESOURCEA(IDB_TABS), MAKEINTRESOURCEA(2))) {
    ASSERT_TRUE(sheet.SetTabImages(IDB_TABS));
    EXPECT_EQ(::ImageList_GetImageCount(sheet.GetImageList()), 5);
    EXPECT_EQ(TabCtrl_GetImageList(tab), sheet.GetImageList());
  }
}

TEST_F(SheetTest, ActivePageSelection) {
  Make({&first, &second});
  EXPECT_EQ(sheet.GetPageCount(), 2);
  EXPECT_EQ(sheet.GetActiveIndex(), 0);
  EXPECT_EQ(first.activations, 1);
  ASSERT_TRUE(sheet.SetActivePage(1));
  PumpMessages();
  EXPECT_EQ(sheet.GetActiveIndex(), 1);
  EXPECT_EQ(sheet.GetActivePage(), &second);
  ASSERT_NE(second.GetHwnd(), nullptr);
  EXPECT_EQ(second.activations, 1);
  EXPECT_TRUE(::IsWindowVisible(second.GetHwnd()));
  EXPECT_FALSE(::IsWindowVisible(first.GetHwnd()));
  EXPECT_FALSE(sheet.SetActivePage(2));

  // Leaving a page takes its values; coming back shows them again.
  ASSERT_TRUE(sheet.SetActivePage(first));
  EXPECT_EQ(first.activations, 2);
  EXPECT_TRUE(first.handled.empty()) << "first: " << first.handled.front();
}

TEST_F(SheetTest, LeavingAPageTakesItsValues) {
  Make({&first, &second});
  ::SetWindowTextA(Item(first, IDC_T_TEXT), "mudado");
  ASSERT_TRUE(sheet.SetActivePage(1));
  EXPECT_EQ(first.text, "mudado");
}

}  // namespace
