#pragma once
#include <stddef.h>

// Bounded text helpers: each writes at most `capacity` bytes, always terminates the
// buffer (capacity > 0), and returns 1 when the whole text fitted, 0 when it was cut.
int CopyText(char *buffer, size_t capacity, const char *text);
int AppendText(char *buffer, size_t capacity, const char *text);

// Appends one backslash unless the path is empty or ends in a backslash or slash, then
// the component. Returns 0 and leaves the path unchanged when the result would not fit.
int AppendPath(char *path, size_t capacity, const char *component);

// 1 when AppendPath would put a backslash between path and a component.
int NeedsPathSeparator(const char *path);
