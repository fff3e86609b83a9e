// BoxAnswerer: see box_answerer.h.
#include "tests/app/box_answerer.h"

namespace {
BoxAnswerer* active = nullptr;
constexpr int kMessageBoxTextId = 0xFFFF;
// The file-name field of the standard file dialogs: a combo box in the
// explorer style, an edit in the old one.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileTypeCombo = 0x470;
constexpr int kFileNameEdit = 0x480;

BOOL CALLBACK FindTab(HWND child, LPARAM found) {
  char name[64] = {};
  GetClassNameA(child, name, sizeof name);
  if (lstrcmpiA(name, "SysTabControl32") == 0) {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

BoxAnswerer::BoxAnswerer()
    : m_hook(SetWindowsHookExA(WH_CBT, &CbtProc, nullptr, GetCurrentThreadId())) {
  active = this;
}

BoxAnswerer::~BoxAnswerer() {
  UnhookWindowsHookEx(m_hook);
  active = nullptr;
}

int BoxAnswerer::Unexpected() const {
  int count = 0;
  for (const SeenBox& box : boxes) count += box.expected ? 0 : 1;
  for (const SeenFileDialog& dialog : fileDialogs) count += dialog.expected ? 0 : 1;
  return count;
}

std::string BoxAnswerer::Text(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool BoxAnswerer::HasTabControl(HWND window) {
  bool found = false;
  EnumChildWindows(window, &FindTab, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool BoxAnswerer::IsFileDialog(HWND window) {
  return GetDlgItem(window, kFileNameCombo) != nullptr || GetDlgItem(window, kFileNameEdit) != nullptr;
}

void CALLBACK BoxAnswerer::AnswerFileDialogs(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (!active) return;
  auto pending = std::move(active->m_pendingFiles);
  active->m_pendingFiles.clear();
  for (auto& [dialog, answer] : pending) {
    if (!IsWindow(dialog)) continue;
    const std::string& name = answer.name;
    if (name.empty()) {
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      continue;
    }
    if (answer.filter > 0) {
      // As a user's pick: the list tells of the change, then that it is final.
      HWND types = GetDlgItem(dialog, kFileTypeCombo);
      SendMessageA(types, CB_SETCURSEL, answer.filter - 1, 0);
      for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeCombo, code), reinterpret_cast<LPARAM>(types));
    }
    int field = GetDlgItem(dialog, kFileNameCombo) ? kFileNameCombo : kFileNameEdit;
    SetDlgItemTextA(dialog, field, name.c_str());
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
}

LRESULT CALLBACK BoxAnswerer::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  // Under Wine a thread hook also hears activations of other programs'
  // windows in the same prefix: answer only this thread's own.
  HWND window = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_ACTIVATE && active && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
    active->OnActivate(window);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void BoxAnswerer::OnActivate(HWND window) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32770") != 0 || !m_seen.insert(window).second) return;

  if (HWND text = GetDlgItem(window, kMessageBoxTextId)) {
    SeenBox box{Text(window), Text(text), GetWindow(window, GW_OWNER), {}, !m_answers.empty()};
    // The box is not shown yet at activation: read the style bit.
    for (int id = IDOK; id <= IDNO; ++id) {
      HWND button = GetDlgItem(window, id);
      if (button && (GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE)) box.buttons.push_back(id);
    }
    int answer = box.expected ? m_answers.front() : (box.buttons.empty() ? IDOK : box.buttons.back());
    if (box.expected) m_answers.pop_front();
    boxes.push_back(box);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    return;
  }
  if (IsFileDialog(window)) {
    // The dialog fills its own fields after activation: answer a moment later,
    // from inside its modal loop.
    bool expected = !m_files.empty();
    FileAnswer answer = expected ? m_files.front() : FileAnswer{};
    if (expected) m_files.pop_front();
    fileDialogs.push_back({Text(window), answer.name, expected});
    m_pendingFiles.emplace_back(window, answer);
    SetTimer(nullptr, 0, 50, &AnswerFileDialogs);
    return;
  }
  if (HasTabControl(window)) {
    if (onMainWindow) onMainWindow(window);
  } else if (onOtherDialog) {
    onOtherDialog(window);
  }
}
