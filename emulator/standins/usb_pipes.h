// Starting the machine's USB pipes below the control-port name, once per
// process (shared by the two USB library stand-ins).
#pragma once

#include <cstdint>

// Serves "<control port>\PIPE00" and, with `withReadPipe`, "\PIPE01".
// Safe to call repeatedly; later calls do nothing.
void StartUsbPipes(bool withReadPipe);

// Copies the control-port name into `buffer` (always NUL-terminated when
// `size` > 0); returns its length, or 0 when it does not fit.
int32_t CopyControlPortName(char* buffer, int32_t size);
