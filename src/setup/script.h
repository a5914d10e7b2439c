#pragma once

// Reads the setup script through the platform's profile reader; never writes it.

// Called once per entry of a section; returns nonzero when the entry was handled.
typedef int (*ScriptEntryCallback)(const char *key, const char *value);

int ReadScriptString(const char *scriptPath, const char *section, const char *key,
                     char *buffer, int capacity, int required);
int ReadScriptInt(const char *scriptPath, const char *section, const char *key,
                  int *value, int required);
int ParseScriptInteger(const char *text, int *value);
[[noreturn]] void ScriptFatalError(const char *scriptPath, const char *section,
                                   const char *key, const char *message);
int ForEachScriptEntry(const char *scriptPath, const char *section,
                       ScriptEntryCallback callback, int stopOnFailure);
int CountScriptEntries(const char *scriptPath, const char *section);
