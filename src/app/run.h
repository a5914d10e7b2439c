#pragma once
#include <windows.h>

// The update run: everything WinMain does, from the setup record to the closing box.
int RunUpdate(HINSTANCE instance);

// Keeps the current directory (often a Downloads folder) out of the DLL search path.
void HardenDllSearch();

void InitApp();
void TermApp();

// The module whose resources the windows are made from; WinMain's instance handle.
void SetAppInstance(HINSTANCE instance);
HINSTANCE AppInstance();
HCURSOR CurrentCursor();

// Copies one [FILES] entry: key is the source below sourceDir, value the destination
// below installDir. Shows the copy-error box and returns 0 when the copy fails.
int CopyLanguageFile(const char *key, const char *value);

// The system's text for the thread's last error; release it with FreeSystemErrorText.
char *GetSystemErrorText();
void FreeSystemErrorText(char *text);
// Appends the system's text for the last error, or "Error code N." when it has none.
void AppendLastErrorText(char *text, size_t capacity);

extern const char kConfirmText[];
extern const char kNotInstalledText[];
extern const char kSuccessText[];
