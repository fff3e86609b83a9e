// The property sheet embedded in a dialog: creation as a child window, the
// tab images and page selection.
#include "widgets/property_sheet.h"

#include <algorithm>
#include <cstring>

#include "widgets/resource_text.h"

namespace {

// The sheet being made; PropertySheetA's callback carries no context.
struct Creation {
  bool stackedTabs;
  DWORD style;
  DWORD exStyle;
};
thread_local const Creation* t_creation = nullptr;

constexpr DWORD kFrameStyles = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME |
                               WS_BORDER | WS_DLGFRAME | DS_CONTEXTHELP | WS_MINIMIZEBOX |
                               WS_MAXIMIZEBOX;
constexpr DWORD kFrameExStyles = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE |
                                 WS_EX_STATICEDGE | WS_EX_APPWINDOW | WS_EX_TOOLWINDOW |
                                 WS_EX_CONTEXTHELP;
constexpr int kApplyButton = 0x3021;

DWORD ChildStyle(DWORD style, const Creation& c) {
  return (style & ~kFrameStyles) | WS_CHILD | WS_TABSTOP | DS_CONTROL | c.style;
}
DWORD ChildExStyle(DWORD exStyle, const Creation& c) {
  return (exStyle & ~kFrameExStyles) | WS_EX_CONTROLPARENT | c.exStyle;
}

// The page area of tab control `tab`, in its client coordinates.
RECT DisplayArea(HWND tab) {
  RECT area{};
  ::GetClientRect(tab, &area);
  TabCtrl_AdjustRect(tab, FALSE, &area);
  return area;
}

// Height in dialog units of a page's template; 0 when it cannot be read.
int TemplateHeight(const PROPSHEETPAGEA& desc) {
  const BYTE* bytes = nullptr;
  if (desc.dwFlags & PSP_DLGINDIRECT) {
    bytes = reinterpret_cast<const BYTE*>(desc.pResource);
  } else {
    HRSRC found = ::FindResourceA(desc.hInstance, desc.pszTemplate, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL loaded = found ? ::LoadResource(desc.hInstance, found) : nullptr;
    if (loaded && ::SizeofResource(desc.hInstance, found) >= 26)
      bytes = static_cast<const BYTE*>(::LockResource(loaded));
  }
  if (!bytes) return 0;
  // DLGTEMPLATEEX (signature 0xFFFF) has cy at byte 24, DLGTEMPLATE at 16.
  WORD signature;
  short height;
  memcpy(&signature, bytes + 2, sizeof signature);
  memcpy(&height, bytes + (signature == 0xFFFF ? 24 : 16), sizeof height);
  return height;
}

// Puts the pages made so far on the tab control's page area.
void PlacePages(HWND sheet) {
  HWND tab = PropSheet_GetTabControl(sheet);
  if (!tab) return;
  RECT area = DisplayArea(tab);
  ::MapWindowPoints(tab, sheet, reinterpret_cast<POINT*>(&area), 2);
  for (int i = 0, count = TabCtrl_GetItemCount(tab); i < count; ++i)
    if (HWND page = PropSheet_IndexToHwnd(sheet, i))
      ::SetWindowPos(page, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

// Shortens the tab control by `removed` pixels, puts the pages made so far on
// its page area and moves the hidden buttons up with it.
void ShortenTabs(HWND sheet, int removed) {
  HWND tab = PropSheet_GetTabControl(sheet);
  if (!tab || removed <= 0) return;
  RECT tabRect{};
  ::GetWindowRect(tab, &tabRect);
  ::SetWindowPos(tab, nullptr, 0, 0, tabRect.right - tabRect.left, tabRect.bottom - tabRect.top - removed,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  PlacePages(sheet);
  // The hidden buttons mark where the sheet ends; they move up with the rest.
  for (int id : {IDOK, IDCANCEL, kApplyButton, IDHELP}) {
    HWND button = ::GetDlgItem(sheet, id);
    RECT rect{};
    if (!button || !::GetWindowRect(button, &rect)) continue;
    ::MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&rect), 2);
    ::SetWindowPos(button, nullptr, rect.left, rect.top - removed, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

int CALLBACK SheetCallback(HWND sheet, UINT msg, LPARAM lParam) {
  if (!t_creation) return 0;
  if (msg == PSCB_PRECREATE && lParam) {
    // Make the sheet a child from the start, so it never shows as a popup.
    // The template may be the extended form (signature 0xFFFF).
    auto* words = reinterpret_cast<WORD*>(lParam);
    DWORD* style;
    DWORD* exStyle;
    if (words[1] == 0xFFFF) {
      auto* ex = reinterpret_cast<DWORD*>(lParam);
      exStyle = &ex[2];
      style = &ex[3];
    } else {
      auto* plain = reinterpret_cast<DLGTEMPLATE*>(lParam);
      style = reinterpret_cast<DWORD*>(&plain->style);
      exStyle = reinterpret_cast<DWORD*>(&plain->dwExtendedStyle);
    }
    *style = ChildStyle(*style, *t_creation) & ~WS_VISIBLE;
    *exStyle = ChildExStyle(*exStyle, *t_creation);
  } else if (msg == PSCB_INITIALIZED && !t_creation->stackedTabs) {
    HWND tab = PropSheet_GetTabControl(sheet);
    if (tab) {
      LONG_PTR tabStyle = ::GetWindowLongPtrA(tab, GWL_STYLE);
      ::SetWindowLongPtrA(tab, GWL_STYLE, tabStyle & ~static_cast<LONG_PTR>(TCS_MULTILINE));
    }
  }
  return 0;
}

}  // namespace

CPropertySheet::~CPropertySheet() {
  Destroy();
  if (m_images) ::ImageList_Destroy(m_images);
}

void CPropertySheet::AddPage(CPropertyPage& page) { m_pages.push_back(&page); }

bool CPropertySheet::Create(HWND parent, DWORD style, DWORD exStyle) {
  if (m_hWnd || m_pages.empty()) return false;
  std::vector<PROPSHEETPAGEA> descs;
  for (CPropertyPage* page : m_pages) descs.push_back(page->GetPageDesc());

  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP |
                   PSH_USECALLBACK;
  header.hwndParent = parent;
  header.hInstance = ResourceInstance();
  header.pszCaption = "";
  header.nPages = static_cast<UINT>(descs.size());
  header.nStartPage = 0;
  header.ppsp = descs.data();
  header.pfnCallback = &SheetCallback;

  Creation creation{m_stackedTabs, style, exStyle};
  t_creation = &creation;
  auto sheet = reinterpret_cast<HWND>(::PropertySheetA(&header));
  t_creation = nullptr;
  if (!sheet || sheet == reinterpret_cast<HWND>(-1)) return false;
  m_hWnd = sheet;
  m_hParent = parent;
  m_hInst = header.hInstance;

  // Where the template change did not take, restyle now. Clear WS_POPUP
  // before SetParent: a popup keeps its owner instead of a parent.
  LONG_PTR current = ::GetWindowLongPtrA(sheet, GWL_STYLE);
  ::SetWindowLongPtrA(sheet, GWL_STYLE, ChildStyle(static_cast<DWORD>(current), creation) & ~WS_VISIBLE);
  LONG_PTR currentEx = ::GetWindowLongPtrA(sheet, GWL_EXSTYLE);
  ::SetWindowLongPtrA(sheet, GWL_EXSTYLE, ChildExStyle(static_cast<DWORD>(currentEx), creation));
  if (::GetParent(sheet) != parent) ::SetParent(sheet, parent);

  // The sheet was sized for the tabs laid out on several rows (Wine counts
  // them before the tab control has its final width); on one row the page
  // area would be taller than the pages. Fit it to the tallest page.
  if (!m_stackedTabs) {
    int pageHeight = 0;
    for (const PROPSHEETPAGEA& desc : descs)
      pageHeight = std::max(pageHeight, TemplateHeight(desc));
    RECT page{0, 0, 0, pageHeight};
    HWND tab = PropSheet_GetTabControl(sheet);
    if (tab && pageHeight > 0 && ::MapDialogRect(sheet, &page)) {
      RECT area = DisplayArea(tab);
      ShortenTabs(sheet, (area.bottom - area.top) - page.bottom);
    }
  }

  // The buttons' band goes: the sheet ends where they began.
  RECT sheetRect{}, buttonRect{};
  ::GetWindowRect(sheet, &sheetRect);
  HWND ok = ::GetDlgItem(sheet, IDOK);
  int height = sheetRect.bottom - sheetRect.top;
  if (ok && ::GetWindowRect(ok, &buttonRect)) height = buttonRect.top - sheetRect.top;
  for (int id : {IDOK, IDCANCEL, kApplyButton, IDHELP}) {
    if (HWND button = ::GetDlgItem(sheet, id)) {
      ::ShowWindow(button, SW_HIDE);
      ::EnableWindow(button, FALSE);
    }
  }
  ::SetWindowPos(sheet, nullptr, 0, 0, sheetRect.right - sheetRect.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  if (style & WS_VISIBLE) ::ShowWindow(sheet, SW_SHOWNA);
  return true;
}

void CPropertySheet::Destroy() {
  if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
  m_hWnd = nullptr;
}

bool CPropertySheet::SetTabImages(UINT bitmapId, int imageWidth, COLORREF transparent) {
  HWND tab = GetTabControl();
  if (!tab) return false;
  HIMAGELIST images = ::ImageList_LoadImageA(ResourceInstance(), MAKEINTRESOURCEA(bitmapId), imageWidth,
                                             1, transparent, IMAGE_BITMAP, LR_DEFAULTCOLOR);
  if (!images) return false;
  TabCtrl_SetImageList(tab, images);
  if (m_images) ::ImageList_Destroy(m_images);
  m_images = images;

  int count = std::min(TabCtrl_GetItemCount(tab), ::ImageList_GetImageCount(images));
  for (int i = 0; i < count; ++i) {
    TCITEMA item{};
    item.mask = TCIF_IMAGE;
    item.iImage = i;
    ::SendMessageA(tab, TCM_SETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  // Images can make the tabs taller, and the page area starts lower.
  PlacePages(m_hWnd);
  return true;
}

bool CPropertySheet::SetActivePage(int index) {
  if (!m_hWnd || index < 0 || index >= GetPageCount()) return false;
  return PropSheet_SetCurSel(m_hWnd, nullptr, index) != FALSE;
}

bool CPropertySheet::SetActivePage(const CPropertyPage& page) { return SetActivePage(GetPageIndex(page)); }

int CPropertySheet::GetActiveIndex() const {
  HWND tab = GetTabControl();
  return tab ? TabCtrl_GetCurSel(tab) : -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(GetActiveIndex()); }

CPropertyPage* CPropertySheet::GetPage(int index) const {
  return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage& page) const {
  for (size_t i = 0; i < m_pages.size(); ++i)
    if (m_pages[i] == &page) return static_cast<int>(i);
  return -1;
}

HWND CPropertySheet::GetTabControl() const { return m_hWnd ? PropSheet_GetTabControl(m_hWnd) : nullptr; }
