#include "setup/setup_info.h"

#include <windows.h>

#include "app/text.h"
#include "setup/script.h"

SetupInfo g_setupInfo;

static const char kCommon[] = "COMMON";
static const char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";

enum { kRegTextCapacity = 260, kKeyTextCapacity = 1024, kVersionTextCapacity = 1024 };

int ReadMachineRegString(const char *keyPath, const char *valueName, char *buffer)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    DWORD type;
    DWORD size = kRegTextCapacity - 1;
    LONG status = RegQueryValueExA(key, valueName, NULL, &type, (BYTE *)buffer, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || size > kRegTextCapacity - 1)
        return 0;
    buffer[size] = '\0';
    return 1;
}

int FileExists(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD fileType = GetFileType(file);
    CloseHandle(file);
    return fileType != FILE_TYPE_UNKNOWN;
}

void BuildAppPathsKey(const SetupInfo &info, char *buffer, int capacity)
{
    CopyText(buffer, (size_t)capacity, kAppPaths);
    AppendText(buffer, (size_t)capacity, "\\");
    AppendText(buffer, (size_t)capacity, info.programExe);
}

static void ReadCommonText(SetupInfo &info, const char *key, char *field, int capacity,
                           int required)
{
    ReadScriptString(info.scriptPath, kCommon, key, field, capacity, required);
}

static void ReadCommonKeys(SetupInfo &info)
{
    ReadCommonText(info, "ProductName", info.productName, sizeof info.productName, 1);
    ReadScriptInt(info.scriptPath, kCommon, "Version", &info.productVersion, 1);
    ReadCommonText(info, "ProgramExe", info.programExe, sizeof info.programExe, 1);
    ReadCommonText(info, "FirmName", info.firmName, sizeof info.firmName, 1);
    ReadCommonText(info, "License", info.license, sizeof info.license, 0);
    ReadCommonText(info, "Readme", info.readme, sizeof info.readme, 0);
    if (!ReadScriptString(info.scriptPath, kCommon, "DefaultDst", info.defaultDst,
                          sizeof info.defaultDst, 0)) {
        CopyText(info.defaultDst, sizeof info.defaultDst, info.firmName);
        AppendText(info.defaultDst, sizeof info.defaultDst, "\\");
        AppendText(info.defaultDst, sizeof info.defaultDst, info.productName);
    }
    if (!ReadScriptString(info.scriptPath, kCommon, "DefaultProgramMenu",
                          info.defaultProgramMenu, sizeof info.defaultProgramMenu, 0))
        CopyText(info.defaultProgramMenu, sizeof info.defaultProgramMenu, info.productName);
}

void LoadSetupInfo(SetupInfo &info)
{
    ReadCommonKeys(info);
    FormatVersion(info.productVersionText, sizeof info.productVersionText,
                  info.productVersion);

    char keyText[kKeyTextCapacity];
    BuildAppPathsKey(info, keyText, sizeof keyText);
    if (!ReadMachineRegString(keyText, "Path", info.installDir) || info.installDir[0] == '\0')
        return;

    // A key name cut to fit would name another product's key.
    int fits = CopyText(keyText, sizeof keyText, "Software\\");
    fits &= AppendText(keyText, sizeof keyText, info.firmName);
    fits &= AppendText(keyText, sizeof keyText, "\\");
    fits &= AppendText(keyText, sizeof keyText, info.productName);
    char versionText[kVersionTextCapacity];
    if (!fits || !ReadMachineRegString(keyText, "version", versionText))
        return;

    ParseScriptInteger(versionText, &info.installedVersion);
    FormatVersion(info.installedVersionText, sizeof info.installedVersionText,
                  info.installedVersion);

    char exePath[MAX_PATH];
    CopyText(exePath, sizeof exePath, info.installDir);
    if (!AppendPath(exePath, sizeof exePath, info.programExe) || !FileExists(exePath)) {
        info.installedVersion = 0;
        CopyText(info.installedVersionText, sizeof info.installedVersionText, "0.00");
    }
}
