// Which keyboard messages the windows offer to their browser's accelerator handling
// before dispatching them. Typing reaches the page by ordinary dispatching; only the
// keys the browser handles as accelerators (Tab, Enter, Delete, the clipboard and
// undo shortcuts) and every key release go to it first. One rule for the login and
// the external-login window; the glue reads the Ctrl key's state and passes it in.
#pragma once

// True for WM_KEYUP, and for any other keyboard message (0x0100..0x0109) whose key
// is Tab, Enter or Delete, or 'C', 'V', 'X', 'Z' with Ctrl down. False otherwise.
bool IsBrowserAccelerator(unsigned message, unsigned key, bool ctrlDown);
