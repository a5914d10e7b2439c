#pragma once

// Everything the update knows about the pack and the installed product.
struct SetupInfo {
    char scriptPath[260];
    char caption[1024];
    char sourceDir[260];
    char productName[1024];
    char firmName[1024];
    int productVersion;
    char productVersionText[1024];
    int installedVersion;
    char installedVersionText[1024];
    char installDir[260];
    char programExe[260];
    char readme[260];
    char license[260];
    char defaultDst[260];
    char defaultProgramMenu[260];
};

extern SetupInfo g_setupInfo;

// Reads [COMMON] and looks up the installation; ends the process on a bad script.
void LoadSetupInfo(SetupInfo &info);

int ReadMachineRegString(const char *keyPath, const char *valueName, char *buffer);
int FileExists(const char *path);
void BuildAppPathsKey(const SetupInfo &info, char *buffer, int capacity);

// Version in hundredths as "whole.hundredths", e.g. 120 -> "1.20".
void FormatVersion(char *buffer, int capacity, int version);
