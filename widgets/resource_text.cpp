// String and bitmap helpers over the panel's resources.
#include "widgets/resource_text.h"

#include <algorithm>

namespace {
HINSTANCE g_resourceInstance = nullptr;
char g_textBuffer[256];
}  // namespace

HINSTANCE ResourceInstance() {
  return g_resourceInstance ? g_resourceInstance : ::GetModuleHandleA(nullptr);
}

void SetResourceInstance(HINSTANCE instance) { g_resourceInstance = instance; }

const char* LoadText(UINT id) {
  // 255 leaves room for the NUL in the 256-byte buffer. A missing string
  // leaves the buffer as it was, so empty it explicitly.
  if (::LoadStringA(ResourceInstance(), id, g_textBuffer, 255) <= 0) g_textBuffer[0] = '\0';
  return g_textBuffer;
}

BOOL DrawBitmapAt(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, DWORD rop) {
  if (!dc || !bitmap) return FALSE;
  BITMAP info{};
  if (!::GetObjectA(bitmap, sizeof info, &info)) return FALSE;
  POINT size = {info.bmWidth, info.bmHeight};
  ::DPtoLP(dc, &size, 1);
  width = (width == -1) ? size.x : std::min<int>(width, size.x);
  height = (height == -1) ? size.y : std::min<int>(height, size.y);

  HDC memory = ::CreateCompatibleDC(dc);
  if (!memory) return FALSE;
  HGDIOBJ previous = ::SelectObject(memory, bitmap);
  BOOL copied = ::BitBlt(dc, x, y, width, height, memory, 0, 0, rop);
  ::SelectObject(memory, previous);
  ::DeleteDC(memory);
  return copied;
}
