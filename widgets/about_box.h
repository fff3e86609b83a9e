// CAboutBox: the modal about dialog (template 110). It paints the about
// picture with the version and rights lines over it and sizes itself to the
// picture.
#pragma once

#include "widgets/dialog.h"

class CAboutBox : public CDialog {
 public:
  explicit CAboutBox(HWND parent = nullptr);
  ~CAboutBox() override;  // bitmap first, then font

 protected:
  BOOL OnInitDialog() override;
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc);
  void FreeGdiObjects();

  HFONT m_font = nullptr;
  HBITMAP m_bitmap = nullptr;
};
