// Saving and loading phonebook files: the bytes come from pbf_format and go
// to the disk through the operations' host, which swaps a finished file in.
#include "files/phonebook_file.h"

#include "ops/machine_ops.h"

bool SavePhonebookFile(const char* path) { return path != nullptr && ops::SavePhonebookFile(path).ok(); }

bool LoadPhonebookFile(const char* path, PhonebookFileError* error) {
  const ops::Outcome loaded = ops::LoadPhonebookFile(path ? path : "");
  PhonebookFileError failure = PhonebookFileError::None;
  if (loaded.failure == ops::Failure::NotPhonebookFile)
    failure = PhonebookFileError::NotPhonebook;
  else if (!loaded.ok())
    failure = PhonebookFileError::CannotOpen;
  if (error) *error = failure;
  return loaded.ok();
}
