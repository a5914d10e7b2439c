#include "app/text.h"

#include <string.h>

int CopyText(char *buffer, size_t capacity, const char *text)
{
    if (capacity == 0)
        return 0;
    buffer[0] = '\0';
    return AppendText(buffer, capacity, text);
}

int AppendText(char *buffer, size_t capacity, const char *text)
{
    if (capacity == 0)
        return 0;
    size_t used = strnlen(buffer, capacity - 1);
    size_t length = strlen(text);
    size_t room = capacity - 1 - used;
    size_t taken = length < room ? length : room;
    memcpy(buffer + used, text, taken);
    buffer[used + taken] = '\0';
    return taken == length;
}

int NeedsPathSeparator(const char *path)
{
    size_t length = strlen(path);
    if (length == 0)
        return 0;
    char last = path[length - 1];
    return last != '\\' && last != '/';
}

int AppendPath(char *path, size_t capacity, const char *component)
{
    if (strlen(path) + NeedsPathSeparator(path) + strlen(component) >= capacity)
        return 0;
    if (NeedsPathSeparator(path))
        AppendText(path, capacity, "\\");
    AppendText(path, capacity, component);
    return 1;
}
