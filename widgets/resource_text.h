// Small resource helpers shared by the dialogs: the module the resources come
// from, a string loader with one shared buffer, and a bitmap copy onto a DC.
#pragma once

#include <windows.h>

// The module that holds the panel's resources: the program itself unless set.
HINSTANCE ResourceInstance();
void SetResourceInstance(HINSTANCE instance);

// Loads string `id` into one shared 256-byte buffer and returns it; every call
// overwrites the previous text. An id without a string gives "".
const char* LoadText(UINT id);

// Copies `bitmap` to (x, y) of `dc` with raster operation `rop`. A width or
// height of -1 means the bitmap's own; larger values are capped at it.
// Returns the BitBlt result (0 when dc or bitmap is missing or fails).
BOOL DrawBitmapAt(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, DWORD rop);
