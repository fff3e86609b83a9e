// Shows the about box and a row of hover buttons in their looks and saves
// screen captures of them, for reviewing the painting by eye and for the
// documentation:
//   widgets_showcase.exe <folder>   writes about-box.bmp, buttons.bmp,
//                                   buttons-pressed.bmp into <folder>
#include <string>

#include <windows.h>
#include <commctrl.h>

#include "res/resource.h"
#include "tests/widgets/gui_support.h"
#include "tests/widgets/test_ids.h"
#include "widgets/about_box.h"
#include "widgets/dialog.h"
#include "widgets/hover_button.h"

namespace {

class Showcase : public CDialog {
 public:
  Showcase() : CDialog(IDD_TEST_BUTTONS) {}
  CHoverButton ok, cancel, iconOnly, flat;

 protected:
  BOOL OnInitDialog() override {
    ok.Attach(*this, IDC_T_DEFAULT);
    cancel.Attach(*this, IDC_T_PLAIN);
    iconOnly.Attach(*this, IDC_T_ICONONLY);
    flat.Attach(*this, IDC_T_FLAT);
    ok.SetButtonIcon(IDI_OK);
    cancel.SetButtonIcon(IDI_CANCEL);
    iconOnly.SetButtonIcon(IDI_HELPBTN);
    flat.SetButtonIcon(IDI_EXIT);
    ok.SetFlatLook(false);
    cancel.SetFlatLook(false);
    return TRUE;
  }
};

void Settle(HWND window) {
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpUntil([] { return false; }, 300);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : ".";
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);

  CAboutBox about;
  if (!about.Create()) return 1;
  ::ShowWindow(about.GetHwnd(), SW_SHOW);
  ::SetForegroundWindow(about.GetHwnd());
  ::SetActiveWindow(about.GetHwnd());
  ::SendMessageA(about.GetHwnd(), WM_NCACTIVATE, TRUE, 0);
  Settle(about.GetHwnd());
  CaptureWindow(about.GetHwnd(), (folder + "\\about-box.bmp").c_str());
  about.EndDialog(IDOK);

  Showcase buttons;
  if (!buttons.Create()) return 1;
  HWND dialog = buttons.GetHwnd();
  ::SetWindowPos(dialog, HWND_TOP, 200, 200, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  ::SetForegroundWindow(dialog);
  ::SetFocus(buttons.cancel.GetHwnd());
  // The flat button under the mouse.
  RECT r;
  ::GetClientRect(buttons.flat.GetHwnd(), &r);
  POINT centre = {r.right / 2, r.bottom / 2};
  ::ClientToScreen(buttons.flat.GetHwnd(), &centre);
  ::SetCursorPos(centre.x, centre.y);
  Settle(dialog);
  ::SendMessageA(buttons.flat.GetHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(r.right / 2, r.bottom / 2));
  Settle(dialog);
  CaptureWindow(dialog, (folder + "\\buttons.bmp").c_str());

  // Pressed and disabled.
  ::SendMessageA(buttons.ok.GetHwnd(), BM_SETSTATE, TRUE, 0);
  ::EnableWindow(buttons.cancel.GetHwnd(), FALSE);
  ::EnableWindow(buttons.iconOnly.GetHwnd(), FALSE);
  Settle(dialog);
  CaptureWindow(dialog, (folder + "\\buttons-pressed.bmp").c_str());
  ::SetCursorPos(0, 0);
  return 0;
}
