#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <memory>
#include <string>

#include "fixtures.h"
#include "setup/setup_info.h"

static const std::string kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
static const unsigned char kGuard = 0xA5;

// The record between guard bytes, so that a write past its fields shows.
struct GuardedInfo {
    unsigned char before[64];
    SetupInfo info;
    unsigned char after[64];
};

static std::unique_ptr<GuardedInfo> NewInfo(const std::string &sourceDir,
                                            const std::string &scriptPath)
{
    std::unique_ptr<GuardedInfo> guarded(new GuardedInfo);
    memset(guarded->before, kGuard, sizeof guarded->before);
    memset(guarded->after, kGuard, sizeof guarded->after);
    memset(&guarded->info, 0, sizeof guarded->info);
    strcpy(guarded->info.sourceDir, sourceDir.c_str());
    strcpy(guarded->info.scriptPath, scriptPath.c_str());
    return guarded;
}

static bool GuardsIntact(const GuardedInfo &guarded)
{
    for (size_t i = 0; i < sizeof guarded.before; ++i)
        if (guarded.before[i] != kGuard || guarded.after[i] != kGuard)
            return false;
    return true;
}

// The name of the first text field with no terminator inside its own bytes, or "".
static std::string UnterminatedField(const SetupInfo &info)
{
    struct Field {
        const char *name;
        const char *text;
        size_t size;
    } fields[] = {
        {"scriptPath", info.scriptPath, sizeof info.scriptPath},
        {"caption", info.caption, sizeof info.caption},
        {"sourceDir", info.sourceDir, sizeof info.sourceDir},
        {"productName", info.productName, sizeof info.productName},
        {"firmName", info.firmName, sizeof info.firmName},
        {"productVersionText", info.productVersionText, sizeof info.productVersionText},
        {"installedVersionText", info.installedVersionText, sizeof info.installedVersionText},
        {"installDir", info.installDir, sizeof info.installDir},
        {"programExe", info.programExe, sizeof info.programExe},
        {"readme", info.readme, sizeof info.readme},
        {"license", info.license, sizeof info.license},
        {"defaultDst", info.defaultDst, sizeof info.defaultDst},
        {"defaultProgramMenu", info.defaultProgramMenu, sizeof info.defaultProgramMenu},
    };
    for (const Field &field : fields)
        if (memchr(field.text, '\0', field.size) == nullptr)
            return field.name;
    return "";
}

static std::string CommonSection(const std::string &product, const char *version,
                                 const std::string &exe, const std::string &firm,
                                 const std::string &extra = "")
{
    return "[COMMON]\r\nProductName=" + product + "\r\nVersion=" + version +
           "\r\nProgramExe=" + exe + "\r\nFirmName=" + firm + "\r\n" + extra;
}

// A language pack with its script, and the names it gives the product.
struct Pack {
    explicit Pack(const char *tag)
        : dir(tag), firm(UniqueName("Firm")), product(UniqueName("Product")),
          exe(UniqueName("game") + ".exe")
    {
    }
    bool WriteScript(const char *version = "150", const std::string &extra = "")
    {
        return WriteFileBytes(script(), CommonSection(product, version, exe, firm, extra));
    }
    std::string script() const { return dir / "setup.isc"; }
    std::string firmKey() const { return "Software\\" + firm; }
    std::string productKey() const { return "Software\\" + firm + "\\" + product; }
    std::string appPathsKey() const { return kAppPaths + exe; }
    std::unique_ptr<GuardedInfo> Load() const
    {
        std::unique_ptr<GuardedInfo> guarded = NewInfo(dir.path(), script());
        LoadSetupInfo(guarded->info);
        return guarded;
    }

    TempDir dir;
    std::string firm;
    std::string product;
    std::string exe;
};

enum PathKind { kNoAppPathsKey, kNoPathValue, kEmptyPath, kFolderPath };
enum VersionKind { kNoProductKey, kNoVersionValue, kVersionString, kVersionDword };
enum ExeKind { kExeFile, kExeMissing, kExeFolder };
enum DirCheck { kDirAny, kDirEmpty, kDirPathValue };

TEST(LoadSetupInfo, OutcomeFollowsRegistryAndExecutable)
{
    struct Row {
        const char *name;
        PathKind path;
        const char *folder;
        const char *pathTail;
        VersionKind version;
        const char *versionText;
        ExeKind exe;
        int expectedVersion;
        const char *expectedText;
        DirCheck dir;
    } rows[] = {
        {"all found", kFolderPath, "Game", "", kVersionString, "120", kExeFile, 120, "1.20",
         kDirPathValue},
        {"App Paths key missing", kNoAppPathsKey, "Game", "", kVersionString, "120", kExeFile, 0,
         "", kDirAny},
        {"App Paths key without Path", kNoPathValue, "Game", "", kVersionString, "120", kExeFile,
         0, "", kDirAny},
        {"Path empty, product key not read", kEmptyPath, "Game", "", kVersionString, "120",
         kExeFile, 0, "", kDirEmpty},
        {"product key missing", kFolderPath, "Game", "", kNoProductKey, "", kExeFile, 0, "",
         kDirPathValue},
        {"version value missing", kFolderPath, "Game", "", kNoVersionValue, "", kExeFile, 0, "",
         kDirPathValue},
        {"version 0", kFolderPath, "Game", "", kVersionString, "0", kExeFile, 0, "0.00",
         kDirPathValue},
        {"version octal 0120", kFolderPath, "Game", "", kVersionString, "0120", kExeFile, 80,
         "0.80", kDirPathValue},
        {"version hex 0x78", kFolderPath, "Game", "", kVersionString, "0x78", kExeFile, 120,
         "1.20", kDirPathValue},
        {"version 120abc", kFolderPath, "Game", "", kVersionString, "120abc", kExeFile, 120,
         "1.20", kDirPathValue},
        {"version -3", kFolderPath, "Game", "", kVersionString, "-3", kExeFile, -3, "-0.03",
         kDirPathValue},
        {"version empty text", kFolderPath, "Game", "", kVersionString, "", kExeFile, 0, "0.00",
         kDirPathValue},
        {"version abc", kFolderPath, "Game", "", kVersionString, "abc", kExeFile, 0, "0.00",
         kDirPathValue},
        {"version REG_DWORD 120", kFolderPath, "Game", "", kVersionDword, "", kExeFile, 0,
         "0.00", kDirPathValue},
        {"installed lower than pack", kFolderPath, "Game", "", kVersionString, "100", kExeFile,
         100, "1.00", kDirPathValue},
        {"installed higher than pack", kFolderPath, "Game", "", kVersionString, "200", kExeFile,
         200, "2.00", kDirPathValue},
        {"executable missing", kFolderPath, "Game", "", kVersionString, "120", kExeMissing, 0,
         "0.00", kDirPathValue},
        {"folder named like the executable", kFolderPath, "Game", "", kVersionString, "120",
         kExeFolder, 0, "0.00", kDirPathValue},
        {"Path ends in backslash", kFolderPath, "Game", "\\", kVersionString, "120", kExeFile,
         120, "1.20", kDirPathValue},
        {"Path ends in slash", kFolderPath, "Game", "/", kVersionString, "120", kExeFile, 120,
         "1.20", kDirPathValue},
        {"Path ends in semicolon", kFolderPath, "Game;", "", kVersionString, "120", kExeFile,
         120, "1.20", kDirPathValue},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const Row &row = rows[i];
        SCOPED_TRACE(testing::Message() << "row " << i << " (" << row.name << ")");
        std::string appPathsKey, firmKey;
        {
            Pack pack("lookup");
            appPathsKey = pack.appPathsKey();
            firmKey = pack.firmKey();
            ASSERT_TRUE(pack.WriteScript("150")) << "error " << GetLastError();
            std::string folder = pack.dir / row.folder;
            ASSERT_TRUE(MakeDirs(folder)) << folder << " error " << GetLastError();
            if (row.exe == kExeFile) {
                ASSERT_TRUE(WriteFileBytes(folder + "\\" + pack.exe, "MZ"))
                    << "error " << GetLastError();
            }
            if (row.exe == kExeFolder) {
                ASSERT_TRUE(MakeDirs(folder + "\\" + pack.exe)) << "error " << GetLastError();
            }

            std::string pathValue = row.path == kEmptyPath ? "" : folder + row.pathTail;
            std::unique_ptr<MachineKey> appPaths;
            if (row.path != kNoAppPathsKey) {
                appPaths.reset(new MachineKey(appPathsKey));
                ASSERT_TRUE(MachineKeyExists(appPathsKey)) << appPathsKey;
            }
            if (row.path == kEmptyPath || row.path == kFolderPath) {
                ASSERT_TRUE(appPaths->SetString("Path", pathValue));
            }

            std::unique_ptr<MachineKey> firmKeyFixture, productKey;
            if (row.version != kNoProductKey) {
                firmKeyFixture.reset(new MachineKey(firmKey));
                productKey.reset(new MachineKey(pack.productKey()));
                ASSERT_TRUE(MachineKeyExists(pack.productKey())) << pack.productKey();
            }
            if (row.version == kVersionString) {
                ASSERT_TRUE(productKey->SetString("version", row.versionText));
            }
            if (row.version == kVersionDword) {
                ASSERT_TRUE(productKey->SetDword("version", 120));
            }

            std::unique_ptr<GuardedInfo> guarded = pack.Load();
            const SetupInfo &info = guarded->info;
            EXPECT_EQ(row.expectedVersion, info.installedVersion);
            EXPECT_STREQ(row.expectedText, info.installedVersionText);
            if (row.dir == kDirEmpty) {
                EXPECT_STREQ("", info.installDir);
            }
            if (row.dir == kDirPathValue) {
                EXPECT_EQ(pathValue, info.installDir);
            }
            if (info.installedVersion != 0) {
                EXPECT_STRNE("", info.installDir);
            }
            EXPECT_EQ(pack.exe, info.programExe);
            EXPECT_EQ(150, info.productVersion);
            EXPECT_TRUE(GuardsIntact(*guarded));
        }
        EXPECT_FALSE(MachineKeyExists(appPathsKey)) << appPathsKey;
        EXPECT_FALSE(MachineKeyExists(firmKey)) << firmKey;
    }
}

TEST(LoadSetupInfo, PathValueOf258CharactersIsReadAnd259IsNot)
{
    struct Row {
        size_t length;
        const char *expectedText;
        bool read;
    } rows[] = {
        {258, "0.00", true},
        {259, "", false},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i << " Path length " << rows[i].length);
        Pack pack("longpath");
        {
            ASSERT_TRUE(pack.WriteScript()) << "error " << GetLastError();
            std::string pathValue = "C:\\" + std::string(rows[i].length - 3, 'p');
            MachineKey appPaths(pack.appPathsKey());
            ASSERT_TRUE(appPaths.SetString("Path", pathValue));
            MachineKey firmKey(pack.firmKey());
            MachineKey productKey(pack.productKey());
            ASSERT_TRUE(productKey.SetString("version", "120"));

            std::unique_ptr<GuardedInfo> guarded = pack.Load();
            EXPECT_EQ(0, guarded->info.installedVersion);
            EXPECT_STREQ(rows[i].expectedText, guarded->info.installedVersionText);
            if (rows[i].read) {
                EXPECT_EQ(pathValue, guarded->info.installDir);
            }
            EXPECT_TRUE(GuardsIntact(*guarded));
        }
        EXPECT_FALSE(MachineKeyExists(pack.appPathsKey()));
        EXPECT_FALSE(MachineKeyExists(pack.firmKey()));
    }
}

TEST(LoadSetupInfo, ExecutablePathLongerThan259IsNotInstalledEvenWhenItsCutFormExists)
{
    // Wine's ANSI registry calls refuse key paths over 260 characters, so the App Paths key
    // of the executable must stay short: the length goes into the folder instead.
    TempDir top("exepath");
    ASSERT_LT(top.path().size(), 90u) << top.path();
    std::string installDir = top / std::string(100 - top.path().size() - 1, 'd');
    ASSERT_TRUE(MakeDirs(installDir)) << installDir << " error " << GetLastError();
    size_t room = 259 - installDir.size() - 1;
    std::string shortExe = UniqueName("game");
    shortExe += std::string(room - 4 - shortExe.size(), 'g') + ".exe";
    ASSERT_TRUE(WriteFileBytes(installDir + "\\" + shortExe, "MZ"))
        << "error " << GetLastError();

    struct Row {
        std::string exe;
        int expectedVersion;
        const char *expectedText;
    } rows[] = {
        {shortExe, 120, "1.20"},
        {shortExe + "z", 0, "0.00"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i << " joined length "
                                        << installDir.size() + 1 + rows[i].exe.size());
        Pack pack("exepath");
        pack.exe = rows[i].exe;
        {
            ASSERT_TRUE(pack.WriteScript()) << "error " << GetLastError();
            MachineKey appPaths(pack.appPathsKey());
            ASSERT_TRUE(appPaths.SetString("Path", installDir)) << pack.appPathsKey();
            MachineKey firmKey(pack.firmKey());
            MachineKey productKey(pack.productKey());
            ASSERT_TRUE(productKey.SetString("version", "120"));

            std::unique_ptr<GuardedInfo> guarded = pack.Load();
            EXPECT_EQ(rows[i].exe, guarded->info.programExe);
            EXPECT_EQ(installDir, guarded->info.installDir);
            EXPECT_EQ(rows[i].expectedVersion, guarded->info.installedVersion);
            EXPECT_STREQ(rows[i].expectedText, guarded->info.installedVersionText);
            EXPECT_TRUE(GuardsIntact(*guarded));
        }
        EXPECT_FALSE(MachineKeyExists(pack.appPathsKey()));
        EXPECT_FALSE(MachineKeyExists(pack.firmKey()));
    }
}

TEST(LoadSetupInfo, LongFirmAndProductNamesCutTheDefaultsAndAreNotInstalled)
{
    struct Row {
        size_t firmLength;
        size_t productLength;
    } rows[] = {
        {1000, 1010},
        {200, 1000},
        {1023, 1023},
        {1100, 1100},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i << " firm " << rows[i].firmLength
                                        << " product " << rows[i].productLength);
        Pack pack("longnames");
        pack.firm = UniqueName("Firm") + std::string(rows[i].firmLength, 'f');
        pack.product = UniqueName("Product") + std::string(rows[i].productLength, 'p');
        pack.firm.resize(rows[i].firmLength);
        pack.product.resize(rows[i].productLength);
        std::string firm = pack.firm.substr(0, 1023);
        std::string product = pack.product.substr(0, 1023);
        ASSERT_TRUE(pack.WriteScript()) << "error " << GetLastError();
        ASSERT_TRUE(WriteFileBytes(pack.dir / pack.exe, "MZ")) << "error " << GetLastError();
        {
            MachineKey appPaths(pack.appPathsKey());
            ASSERT_TRUE(appPaths.SetString("Path", pack.dir.path()));

            std::unique_ptr<GuardedInfo> guarded = pack.Load();
            const SetupInfo &info = guarded->info;
            EXPECT_EQ(product, info.productName);
            EXPECT_EQ(firm, info.firmName);
            EXPECT_EQ((firm + "\\" + product).substr(0, 259), info.defaultDst);
            EXPECT_EQ(product.substr(0, 259), info.defaultProgramMenu);
            EXPECT_EQ(pack.dir.path(), info.installDir);
            EXPECT_EQ(0, info.installedVersion);
            EXPECT_STREQ("", info.installedVersionText);
            EXPECT_EQ("", UnterminatedField(info));
            EXPECT_TRUE(GuardsIntact(*guarded));
        }
        EXPECT_FALSE(MachineKeyExists(pack.appPathsKey()));
    }
}

TEST(LoadSetupInfo, CommonValuesAndTheirDefaults)
{
    struct Row {
        const char *name;
        const char *version;
        const char *extra;
        int productVersion;
        const char *productVersionText;
        const char *defaultDst;
        const char *defaultProgramMenu;
        const char *license;
        const char *readme;
    } rows[] = {
        {"no optional keys", "150", "", 150, "1.50", nullptr, nullptr, "", ""},
        {"empty optional keys", "150",
         "License=\r\nReadme=\r\nDefaultDst=\r\nDefaultProgramMenu=\r\n", 150, "1.50", nullptr,
         nullptr, "", ""},
        {"all optional keys", "120",
         "License=License.txt\r\nReadme=Lang\\Readme.txt\r\nDefaultDst=D:\\Games\\Tess\r\n"
         "DefaultProgramMenu=Games\\Tess\r\n",
         120, "1.20", "D:\\Games\\Tess", "Games\\Tess", "License.txt", "Lang\\Readme.txt"},
        {"version written with a point", "1.20", "", 1, "0.01", nullptr, nullptr, "", ""},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const Row &row = rows[i];
        SCOPED_TRACE(testing::Message() << "row " << i << " (" << row.name << ")");
        Pack pack("common");
        ASSERT_TRUE(pack.WriteScript(row.version, row.extra)) << "error " << GetLastError();

        std::unique_ptr<GuardedInfo> guarded = pack.Load();
        const SetupInfo &info = guarded->info;
        EXPECT_EQ(pack.product, info.productName);
        EXPECT_EQ(pack.firm, info.firmName);
        EXPECT_EQ(pack.exe, info.programExe);
        EXPECT_EQ(row.productVersion, info.productVersion);
        EXPECT_STREQ(row.productVersionText, info.productVersionText);
        EXPECT_EQ(row.defaultDst ? row.defaultDst : pack.firm + "\\" + pack.product,
                  info.defaultDst);
        EXPECT_EQ(row.defaultProgramMenu ? row.defaultProgramMenu : pack.product,
                  info.defaultProgramMenu);
        EXPECT_STREQ(row.license, info.license);
        EXPECT_STREQ(row.readme, info.readme);
        EXPECT_EQ(0, info.installedVersion);
        EXPECT_STREQ("", info.installedVersionText);
    }
}

TEST(ReadMachineRegString, ReadsAnyValueAsTerminatedTextWithin260Bytes)
{
    std::string binary259(259, 'b');
    std::string binary260(260, 'b');
    DWORD dword = 120;
    enum Fixture { kNoKey, kNoValue, kValue };
    struct Row {
        const char *name;
        Fixture fixture;
        DWORD type;
        std::string data;
        int expected;
        const char *expectedText;
    } rows[] = {
        {"key missing", kNoKey, REG_SZ, "", 0, nullptr},
        {"value missing", kNoValue, REG_SZ, "", 0, nullptr},
        {"empty text", kValue, REG_SZ, std::string(1, '\0'), 1, ""},
        {"258 characters with terminator", kValue, REG_SZ,
         std::string(258, 's') + std::string(1, '\0'), 1, nullptr},
        {"259 characters with terminator", kValue, REG_SZ,
         std::string(259, 's') + std::string(1, '\0'), 0, nullptr},
        {"binary without terminator", kValue, REG_BINARY, "ABCDEFGHIJ", 1, "ABCDEFGHIJ"},
        {"binary of 259 bytes", kValue, REG_BINARY, binary259, 1, nullptr},
        {"binary of 260 bytes", kValue, REG_BINARY, binary260, 0, nullptr},
        {"REG_DWORD 120", kValue, REG_DWORD, std::string((const char *)&dword, sizeof dword), 1,
         "x"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const Row &row = rows[i];
        SCOPED_TRACE(testing::Message() << "row " << i << " (" << row.name << ")");
        std::string keyPath = "Software\\" + UniqueName("RegString");
        {
            std::unique_ptr<MachineKey> key;
            if (row.fixture != kNoKey) {
                key.reset(new MachineKey(keyPath));
                ASSERT_TRUE(MachineKeyExists(keyPath)) << keyPath;
            }
            if (row.fixture == kValue) {
                ASSERT_TRUE(key->SetBytes("value", row.type, row.data.data(),
                                          (DWORD)row.data.size()))
                    << "error " << GetLastError();
            }

            unsigned char buffer[300];
            memset(buffer, kGuard, sizeof buffer);
            int result = ReadMachineRegString(keyPath.c_str(), "value", (char *)buffer);
            EXPECT_EQ(row.expected, result);
            for (size_t at = 260; at < sizeof buffer; ++at)
                ASSERT_EQ(kGuard, buffer[at]) << "byte " << at << " written";
            if (result == 1) {
                std::string expected = row.expectedText ? row.expectedText : row.data.c_str();
                EXPECT_EQ(expected, (const char *)buffer);
                size_t dataEnd = row.type == REG_SZ ? row.data.size() - 1 : row.data.size();
                EXPECT_EQ(0, buffer[dataEnd]) << "byte right after the data, at " << dataEnd;
            }
        }
        EXPECT_FALSE(MachineKeyExists(keyPath)) << keyPath;
    }
}

static bool LastWriteTime(const std::string &path, FILETIME *time)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    *time = data.ftLastWriteTime;
    return true;
}

TEST(FileExists, TrueOnlyForAFileThatCanBeOpenedForReading)
{
    enum Fixture { kMissing, kDirectory, kFile, kFileHeld };
    struct Row {
        const char *name;
        Fixture fixture;
        DWORD heldAccess;
        DWORD heldShare;
        int expected;
    } rows[] = {
        {"missing path", kMissing, 0, 0, 0},
        {"directory", kDirectory, 0, 0, 0},
        {"normal file", kFile, 0, 0, 1},
        {"held without any sharing", kFileHeld, GENERIC_READ, 0, 0},
        {"held for writing, sharing read only", kFileHeld, GENERIC_READ | GENERIC_WRITE,
         FILE_SHARE_READ, 1},
        {"held for reading, sharing read and write", kFileHeld, GENERIC_READ,
         FILE_SHARE_READ | FILE_SHARE_WRITE, 1},
    };
    TempDir dir("fileexists");
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const Row &row = rows[i];
        SCOPED_TRACE(testing::Message() << "row " << i << " (" << row.name << ")");
        std::string path = dir / ("target" + std::to_string(i) + ".exe");
        if (row.fixture == kDirectory) {
            ASSERT_TRUE(MakeDirs(path)) << "error " << GetLastError();
        }
        if (row.fixture == kFile || row.fixture == kFileHeld) {
            ASSERT_TRUE(WriteFileBytes(path, "MZ content")) << "error " << GetLastError();
        }
        HANDLE held = INVALID_HANDLE_VALUE;
        if (row.fixture == kFileHeld) {
            held = CreateFileA(path.c_str(), row.heldAccess, row.heldShare, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
            ASSERT_NE(INVALID_HANDLE_VALUE, held) << "error " << GetLastError();
        }
        FILETIME before = {}, after = {};
        if (row.fixture == kFile) {
            FILETIME old = {0xD53E8000, 0x01A8E79F};
            HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL,
                                      OPEN_EXISTING, 0, NULL);
            ASSERT_NE(INVALID_HANDLE_VALUE, file) << "error " << GetLastError();
            EXPECT_TRUE(SetFileTime(file, NULL, NULL, &old)) << "error " << GetLastError();
            CloseHandle(file);
            ASSERT_TRUE(LastWriteTime(path, &before)) << "error " << GetLastError();
        }
        DWORD attributesBefore = GetFileAttributesA(path.c_str());

        SetLastError(0);
        int result = FileExists(path.c_str());
        DWORD error = GetLastError();
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);

        EXPECT_EQ(row.expected, result) << "error " << error;
        EXPECT_EQ(attributesBefore, GetFileAttributesA(path.c_str()));
        if (row.fixture == kFile || row.fixture == kFileHeld) {
            EXPECT_EQ("MZ content", ReadFileBytes(path));
        }
        if (row.fixture == kFile) {
            ASSERT_TRUE(LastWriteTime(path, &after)) << "error " << GetLastError();
            EXPECT_EQ(0, CompareFileTime(&before, &after));
        }
    }
}
