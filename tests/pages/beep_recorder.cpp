// BeepRecorder: the import slot is found in the program's import directory.
#include "tests/pages/beep_recorder.h"

#include <cstring>

namespace {

BeepRecorder* recorder = nullptr;

BOOL WINAPI RecordBeep(UINT type) {
  if (recorder) recorder->beeps.push_back(type);
  return TRUE;
}

void** FindImport(const char* dll, const char* function) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  DWORD at = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + at); at && imp->Name; ++imp) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + imp->Name), dll) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (imp->OriginalFirstThunk ? imp->OriginalFirstThunk : imp->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
        return reinterpret_cast<void**>(&slots->u1.Function);
    }
  }
  return nullptr;
}

void Patch(void** slot, void* value) {
  DWORD old = 0;
  VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
  *slot = value;
  VirtualProtect(slot, sizeof *slot, old, &old);
}

}  // namespace

BeepRecorder::BeepRecorder() : m_slot(FindImport("user32.dll", "MessageBeep")) {
  if (!m_slot) return;
  m_original = *m_slot;
  recorder = this;
  Patch(m_slot, reinterpret_cast<void*>(&RecordBeep));
}

BeepRecorder::~BeepRecorder() {
  if (m_slot) Patch(m_slot, m_original);
  recorder = nullptr;
}
