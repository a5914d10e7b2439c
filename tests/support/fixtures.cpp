#include "fixtures.h"

#include <stdio.h>

static unsigned g_counter;

std::string UniqueName(const char *tag)
{
    char text[96];
    snprintf(text, sizeof text, "%s_%lu_%u_%lu", tag, GetCurrentProcessId(), ++g_counter,
             GetTickCount());
    return text;
}

TempDir::TempDir(const char *tag)
{
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    path_ = std::string(base) + UniqueName(tag);
    CreateDirectoryA(path_.c_str(), NULL);
}

TempDir::~TempDir()
{
    RemoveTree(path_);
}

std::string TempDir::operator/(const std::string &name) const
{
    return path_ + "\\" + name;
}

bool WriteFileBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool ReadFileBytes(const std::string &path, std::string &bytes)
{
    bytes.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char chunk[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, chunk, sizeof chunk, &got, NULL) != 0) && got != 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return ok;
}

std::string ReadFileBytes(const std::string &path)
{
    std::string bytes;
    ReadFileBytes(path, bytes);
    return bytes;
}

bool MakeDirs(const std::string &path)
{
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            std::string part = path.substr(0, i);
            if (!CreateDirectoryA(part.c_str(), NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
        }
    }
    return true;
}

void RemoveTree(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                RemoveTree(path + "\\" + name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

MachineKey::MachineKey(const std::string &path) : path_(path)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                        &key, NULL) == ERROR_SUCCESS)
        RegCloseKey(key);
}

MachineKey::~MachineKey()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, path_.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path_.c_str());
}

bool MachineKey::SetBytes(const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, name, 0, type, (const BYTE *)data, size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool MachineKey::SetString(const char *name, const std::string &value)
{
    return SetBytes(name, REG_SZ, value.c_str(), (DWORD)value.size() + 1);
}

bool MachineKey::SetDword(const char *name, DWORD value)
{
    return SetBytes(name, REG_DWORD, &value, sizeof value);
}

bool MachineKeyExists(const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
