// The about box: the about picture with the version and rights lines,
// window sized to the picture.
#include "widgets/about_box.h"

#include "res/resource.h"
#include "widgets/resource_text.h"

CAboutBox::CAboutBox(HWND parent) : CDialog(IDD_ABOUTBOX, parent) {}

CAboutBox::~CAboutBox() { FreeGdiObjects(); }

void CAboutBox::FreeGdiObjects() {
  if (m_bitmap) ::DeleteObject(m_bitmap);
  if (m_font) ::DeleteObject(m_font);
  m_bitmap = nullptr;
  m_font = nullptr;
}

BOOL CAboutBox::OnInitDialog() {
  CDialog::OnInitDialog();
  FreeGdiObjects();  // a second run of the same object
  m_font = ::CreateFontA(8, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                         CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                         "MS Sans Serif");
  m_bitmap = ::LoadBitmapA(ResourceInstance(), MAKEINTRESOURCEA(IDB_ABOUT));
  BITMAP picture{};
  if (m_bitmap) ::GetObjectA(m_bitmap, sizeof picture, &picture);
  const int w = picture.bmWidth, h = picture.bmHeight;

  ::MoveWindow(m_hWnd, 0, 0, w + 25, h + ::GetSystemMetrics(SM_CYCAPTION) + 70, FALSE);

  if (HWND ok = GetItem(IDOK)) {
    RECT button{};
    ::GetWindowRect(ok, &button);
    const int bw = button.right - button.left, bh = button.bottom - button.top;
    ::SetWindowPos(ok, nullptr, (w + 25 - bw) / 2, h + bh, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  HWND parent = ::GetWindow(m_hWnd, GW_OWNER);
  CenterWindow(m_hWnd, parent ? parent : m_hParent);
  return TRUE;
}

INT_PTR CAboutBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_PAINT) return FALSE;
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(m_hWnd, &ps);
  Paint(dc);
  ::EndPaint(m_hWnd, &ps);
  return TRUE;
}

void CAboutBox::Paint(HDC dc) {
  DrawBitmapAt(dc, 10, 10, -1, -1, m_bitmap, SRCCOPY);
  HGDIOBJ previous = ::SelectObject(dc, m_font);
  ::SetBkMode(dc, TRANSPARENT);
  RECT line = {0, 135, 330, 175};
  ::DrawTextA(dc, LoadText(IDS_VERSION), -1, &line, DT_RIGHT);
  ::OffsetRect(&line, 0, 15);
  ::DrawTextA(dc, LoadText(IDS_RIGHTS), -1, &line, DT_RIGHT);
  ::SelectObject(dc, previous);
}
