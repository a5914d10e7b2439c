#pragma once
// Test fixtures made on the real file system and registry of the Wine prefix, and
// removed again by their destructors.
#include <windows.h>

#include <string>

// A new, empty folder under the temporary folder; removed with everything in it.
class TempDir {
public:
    explicit TempDir(const char *tag);
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    // path() joined with a relative name.
    std::string operator/(const std::string &name) const;

private:
    std::string path_;
};

// Writes bytes to a file, creating it or replacing it; folders must exist.
bool WriteFileBytes(const std::string &path, const std::string &bytes);
// The whole content of a file; empty when it cannot be read (see the second overload).
std::string ReadFileBytes(const std::string &path);
bool ReadFileBytes(const std::string &path, std::string &bytes);
bool MakeDirs(const std::string &path);
// Removes a file or a folder tree, clearing read-only bits first.
void RemoveTree(const std::string &path);

// A key under HKEY_LOCAL_MACHINE (as this 32-bit process sees it), deleted with its
// subkeys by the destructor. Creates the key path when constructed.
class MachineKey {
public:
    explicit MachineKey(const std::string &path);
    ~MachineKey();
    MachineKey(const MachineKey &) = delete;
    MachineKey &operator=(const MachineKey &) = delete;
    bool SetString(const char *name, const std::string &value);
    bool SetDword(const char *name, DWORD value);
    bool SetBytes(const char *name, DWORD type, const void *data, DWORD size);
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

bool MachineKeyExists(const std::string &path);

// A name unique to this process and call, for firm and product names in fixtures.
std::string UniqueName(const char *tag);
