// CPropertySheet: a property sheet embedded as a child window of a dialog.
//
// The sheet is made with a modeless PropertySheetA whose template is turned
// into a child's before the window exists (so no popup ever shows, and the
// pages find the dialog as their ancestor from the first PSN_SETACTIVE on):
// no caption or frame, WS_CHILD | WS_TABSTOP | DS_CONTROL and
// WS_EX_CONTROLPARENT, so Tab moves between the sheet's controls and the
// dialog's own. Its OK, Cancel, Apply and Help buttons are hidden and the
// sheet is shortened by the band they took, so its client rectangle is the
// tabs and the pages only. With one row of tabs the page area is fitted to
// the tallest page, however many tabs there are (the sheet may have been
// laid out for several rows before the tabs were put on one).
#pragma once

#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "widgets/property_page.h"

class CPropertySheet : public CWindow {
 public:
  CPropertySheet() = default;
  ~CPropertySheet() override;  // destroys the window and the image list

  // Pages are shown in the order they are added, before Create.
  void AddPage(CPropertyPage& page);
  // Stacked tabs (several rows) or one scrolling row; one row unless set.
  void EnableStackedTabs(bool stacked) { m_stackedTabs = stacked; }

  // Creates the sheet inside dialog `parent` with `style` added to the child
  // styles and `exStyle` to WS_EX_CONTROLPARENT. Page 0 is active. False when
  // there are no pages or the sheet cannot be made.
  bool Create(HWND parent, DWORD style = WS_CHILD | WS_VISIBLE, DWORD exStyle = 0);
  void Destroy();

  // Builds an image list from bitmap `bitmapId` (images `imageWidth` pixels
  // wide, `transparent` masked out), attaches it to the tab control and gives
  // tab i image i. The sheet owns the list.
  bool SetTabImages(UINT bitmapId, int imageWidth = 20, COLORREF transparent = 0x00FF0000);
  HIMAGELIST GetImageList() const { return m_images; }

  bool SetActivePage(int index);
  bool SetActivePage(const CPropertyPage& page);
  int GetActiveIndex() const;  // -1 without a window
  CPropertyPage* GetActivePage() const;
  int GetPageCount() const { return static_cast<int>(m_pages.size()); }
  CPropertyPage* GetPage(int index) const;
  int GetPageIndex(const CPropertyPage& page) const;  // -1 when not added
  HWND GetTabControl() const;

 private:
  std::vector<CPropertyPage*> m_pages;
  bool m_stackedTabs = false;
  HIMAGELIST m_images = nullptr;
};
