#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/run.h"
#include "fixtures.h"
#include "ui/resource.h"

static const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The built program, opened as data only: its resources are read, none of its code runs.
class ProgramResources : public ::testing::Test {
protected:
    static HMODULE module_;

    static void SetUpTestSuite()
    {
        module_ = LoadLibraryExA(LANGUPDATE_EXE_PATH, NULL, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite()
    {
        if (module_ != NULL)
            FreeLibrary(module_);
        module_ = NULL;
    }
    void SetUp() override
    {
        ASSERT_NE((HMODULE)NULL, module_) << LANGUPDATE_EXE_PATH << ": GetLastError "
                                          << GetLastError();
    }

    // The English (United States) resource's bytes; false when it is missing.
    static bool Load(LPCSTR type, WORD id, std::string &bytes)
    {
        bytes.clear();
        HRSRC found = FindResourceExA(module_, type, MAKEINTRESOURCEA(id), kEnglishUs);
        if (found == NULL)
            return false;
        HGLOBAL loaded = LoadResource(module_, found);
        const char *data = loaded != NULL ? (const char *)LockResource(loaded) : NULL;
        if (data == NULL)
            return false;
        bytes.assign(data, SizeofResource(module_, found));
        return true;
    }
};

HMODULE ProgramResources::module_;

static std::string Narrow(const std::wstring &text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += c < 0x80 ? (char)c : '?';
    return narrow;
}

static std::string ResourceName(LPCSTR name)
{
    if (IS_INTRESOURCE(name))
        return "#" + std::to_string((unsigned)(ULONG_PTR)name);
    return name;
}

struct Listed {
    std::string type;
    std::string name;
    WORD language;
};

static BOOL CALLBACK ListLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR out)
{
    ((std::vector<Listed> *)out)->push_back({ResourceName(type), ResourceName(name), language});
    return TRUE;
}

static BOOL CALLBACK ListName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR out)
{
    EnumResourceLanguagesA(module, type, name, ListLanguage, out);
    return TRUE;
}

static BOOL CALLBACK ListType(HMODULE module, LPSTR type, LONG_PTR out)
{
    EnumResourceNamesA(module, type, ListName, out);
    return TRUE;
}

TEST_F(ProgramResources, AreExactlyTheDialogIconManifestAndVersionAllInEnglishUs)
{
    std::vector<Listed> listed;
    ASSERT_TRUE(EnumResourceTypesA(module_, ListType, (LONG_PTR)&listed))
        << "GetLastError " << GetLastError();
    std::string groups;
    std::string others;
    for (const Listed &resource : listed) {
        std::string entry = resource.type + "/" + resource.name;
        EXPECT_EQ(1033, resource.language) << entry;
        if (resource.type == ResourceName(RT_GROUP_ICON))
            groups += entry + " ";
        else if (resource.type != ResourceName(RT_ICON))
            others += entry + " ";
    }
    EXPECT_EQ("#14/#109 ", groups) << "the program's only icon group";
    EXPECT_EQ("#5/#104 #16/#1 #24/#1 ", others) << "dialog, version, manifest";
}

// Reads a resource's bytes in the order they are laid out, refusing to run past the end.
struct Reader {
    const std::string &bytes;
    size_t at;
    bool overrun;

    explicit Reader(const std::string &data) : bytes(data), at(0), overrun(false) {}
    unsigned Take(size_t size)
    {
        if (at + size > bytes.size()) {
            overrun = true;
            at = bytes.size();
            return 0;
        }
        unsigned value = 0;
        for (size_t i = 0; i < size; ++i)
            value |= (unsigned)(unsigned char)bytes[at + i] << (8 * i);
        at += size;
        return value;
    }
    unsigned Word() { return Take(2); }
    unsigned Dword() { return Take(4); }
    int Short() { return (short)Take(2); }
    std::wstring Text()
    {
        std::wstring text;
        for (unsigned c = Word(); c != 0 && !overrun; c = Word())
            text += (wchar_t)c;
        return text;
    }
    // A name or an ordinal: "" for none, "#n" for ordinal n, else the text itself.
    std::string NameOrOrdinal()
    {
        unsigned first = Word();
        if (first == 0)
            return "";
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        at -= 2;
        return Narrow(Text());
    }
    void AlignToDword() { at = (at + 3) & ~(size_t)3; }
};

TEST_F(ProgramResources, ProgressDialogTemplateIsTheStandardTemplateFieldByField)
{
    std::string bytes;
    ASSERT_TRUE(Load(RT_DIALOG, IDD_PROGRESS, bytes)) << "GetLastError " << GetLastError();
    Reader reader(bytes);
    unsigned style = reader.Dword();
    ASSERT_NE(0xFFFF0001u, style) << "an extended template";
    EXPECT_EQ(0x900009C0u, style);
    EXPECT_EQ(0u, reader.Dword()) << "extended style";
    unsigned count = reader.Word();
    int x = reader.Short(), y = reader.Short(), cx = reader.Short(), cy = reader.Short();
    EXPECT_EQ(3u, count) << "items";
    EXPECT_EQ(0, x);
    EXPECT_EQ(0, y);
    EXPECT_EQ(277, cx);
    EXPECT_EQ(39, cy);
    EXPECT_EQ("", reader.NameOrOrdinal()) << "menu";
    EXPECT_EQ("", reader.NameOrOrdinal()) << "class";
    EXPECT_EQ("", Narrow(reader.Text())) << "title";
    EXPECT_EQ(8u, reader.Word()) << "font size";
    EXPECT_EQ("MS Sans Serif", Narrow(reader.Text())) << "font";
    ASSERT_FALSE(reader.overrun) << "header runs past " << bytes.size() << " bytes";

    struct Item {
        unsigned style;
        int x, y, cx, cy;
        unsigned id;
        const char *className;
        const char *text;
    } items[] = {
        {0x50020000, 37, 7, 232, 8, IDC_STATUS_TEXT, "#130", "Static"},
        {0x50800000, 37, 22, 232, 14, IDC_PROGRESS_BAR, "msctls_progress32", "Progress1"},
        {0x50000003, 7, 7, 18, 20, 0xFFFF, "#130", "#109"},
    };
    for (size_t i = 0; i < sizeof items / sizeof items[0] && i < count; ++i) {
        const Item &item = items[i];
        reader.AlignToDword();
        EXPECT_EQ(item.style, reader.Dword()) << "item " << i << " style";
        EXPECT_EQ(0u, reader.Dword()) << "item " << i << " extended style";
        EXPECT_EQ(item.x, reader.Short()) << "item " << i << " x";
        EXPECT_EQ(item.y, reader.Short()) << "item " << i << " y";
        EXPECT_EQ(item.cx, reader.Short()) << "item " << i << " width";
        EXPECT_EQ(item.cy, reader.Short()) << "item " << i << " height";
        EXPECT_EQ(item.id, reader.Word()) << "item " << i << " id";
        // The system compares class names without case, and windres upper-cases them.
        EXPECT_STRCASEEQ(item.className, reader.NameOrOrdinal().c_str())
            << "item " << i << " class";
        EXPECT_EQ(item.text, reader.NameOrOrdinal()) << "item " << i << " text";
        EXPECT_EQ(0u, reader.Word()) << "item " << i << " creation data";
        ASSERT_FALSE(reader.overrun) << "item " << i << " runs past " << bytes.size();
    }
}

TEST_F(ProgramResources, IconGroupHoldsA32And16PixelSixteenColourImage)
{
    std::string bytes;
    ASSERT_TRUE(Load(RT_GROUP_ICON, IDI_APP, bytes)) << "GetLastError " << GetLastError();
    Reader reader(bytes);
    EXPECT_EQ(0u, reader.Word()) << "reserved";
    EXPECT_EQ(1u, reader.Word()) << "type: icon";
    ASSERT_EQ(2u, reader.Word()) << "images";
    const unsigned sizes[] = {32, 16};
    for (unsigned size : sizes) {
        unsigned width = reader.Take(1), height = reader.Take(1), colours = reader.Take(1);
        reader.Take(1);
        unsigned planes = reader.Word(), bits = reader.Word(), length = reader.Dword();
        unsigned id = reader.Word();
        ASSERT_FALSE(reader.overrun) << "entry " << size;
        EXPECT_EQ(size, width) << "entry " << size;
        EXPECT_EQ(size, height) << "entry " << size;
        EXPECT_EQ(16u, colours) << "entry " << size;
        EXPECT_EQ(1u, planes) << "entry " << size;
        EXPECT_EQ(4u, bits) << "entry " << size;

        // The image the entry points at must be the bitmap the entry describes.
        std::string image;
        ASSERT_TRUE(Load(RT_ICON, (WORD)id, image)) << "entry " << size << " image #" << id;
        EXPECT_EQ(length, image.size()) << "entry " << size;
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER)) << "entry " << size;
        BITMAPINFOHEADER header;
        memcpy(&header, image.data(), sizeof header);
        EXPECT_EQ((LONG)size, header.biWidth) << "entry " << size;
        EXPECT_EQ((LONG)size * 2, header.biHeight) << "entry " << size << ": image and mask";
        EXPECT_EQ(1, header.biPlanes) << "entry " << size;
        EXPECT_EQ(4, header.biBitCount) << "entry " << size;
    }
}

TEST_F(ProgramResources, ManifestAsksForAdministratorAndClassicControls)
{
    std::string manifest;
    ASSERT_TRUE(Load(MAKEINTRESOURCEA(24), 1, manifest)) << "GetLastError " << GetLastError();
    struct Row {
        const char *text;
        bool present;
    } rows[] = {
        {"level=\"requireAdministrator\"", true},
        {"uiAccess=\"false\"", true},
        {">true</dpiAware>", true},
        {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", true},
        {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", true},
        {"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", true},
        {"{1f676c76-80e1-4239-95bb-83d0f6d0da78}", true},
        {"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", true},
        {"Microsoft.Windows.Common-Controls", false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.present, manifest.find(row.text) != std::string::npos) << row.text;
}

// The system's own manifest parser reads what the loader would read when the program starts.
TEST_F(ProgramResources, ManifestParsesToAdministratorRunLevelAndFiveSupportedSystems)
{
    ACTCTXA context = {};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = LANGUPDATE_EXE_PATH;
    context.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE activation = CreateActCtxA(&context);
    ASSERT_NE(INVALID_HANDLE_VALUE, activation) << "GetLastError " << GetLastError();

    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    SIZE_T written = 0;
    EXPECT_TRUE(QueryActCtxW(0, activation, NULL, RunlevelInformationInActivationContext,
                             &level, sizeof level, &written))
        << "GetLastError " << GetLastError();
    EXPECT_EQ(ACTCTX_RUN_LEVEL_REQUIRE_ADMIN, level.RunLevel);
    EXPECT_EQ(0u, level.UiAccess);

    char buffer[1024] = {};
    written = 0;
    EXPECT_TRUE(QueryActCtxW(0, activation, NULL, CompatibilityInformationInActivationContext,
                             buffer, sizeof buffer, &written))
        << "GetLastError " << GetLastError();
    DWORD elements = 0;
    memcpy(&elements, buffer, sizeof elements);
    EXPECT_EQ(5u, elements) << "supportedOS entries, Vista to 10";
    ReleaseActCtx(activation);
}

static std::string VersionString(const std::vector<char> &block, const char *name)
{
    std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    char *value = NULL;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), path.c_str(), (void **)&value, &length) || value == NULL)
        return "(missing)";
    return std::string(value, strnlen(value, length));
}

TEST_F(ProgramResources, VersionBlockCarriesTheProjectVersionAndNames)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(LANGUPDATE_EXE_PATH, &ignored);
    ASSERT_NE(0u, size) << "GetLastError " << GetLastError();
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(LANGUPDATE_EXE_PATH, 0, size, block.data()))
        << "GetLastError " << GetLastError();

    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", (void **)&fixed, &length) && fixed != NULL);
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    char numbers[64];
    snprintf(numbers, sizeof numbers, "%u.%u.%u", (unsigned)HIWORD(fixed->dwFileVersionMS),
             (unsigned)LOWORD(fixed->dwFileVersionMS), (unsigned)HIWORD(fixed->dwFileVersionLS));
    EXPECT_STREQ(LANGUPDATE_PROJECT_VERSION, numbers) << "file version";
    snprintf(numbers, sizeof numbers, "%u.%u.%u", (unsigned)HIWORD(fixed->dwProductVersionMS),
             (unsigned)LOWORD(fixed->dwProductVersionMS),
             (unsigned)HIWORD(fixed->dwProductVersionLS));
    EXPECT_STREQ(LANGUPDATE_PROJECT_VERSION, numbers) << "product version";
    EXPECT_EQ((DWORD)VFT_APP, fixed->dwFileType);

    WORD *translation = NULL;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", (void **)&translation,
                               &length) &&
                length >= 4);
    EXPECT_EQ(0x0409, translation[0]) << "language";
    EXPECT_EQ(1200, translation[1]) << "code page";

    struct Row {
        const char *name;
        const char *expected;
    } rows[] = {
        {"FileVersion", LANGUPDATE_PROJECT_VERSION},
        {"ProductVersion", LANGUPDATE_PROJECT_VERSION},
        {"OriginalFilename", "LangUpdate.exe"},
        {"ProductName", NULL},
        {"FileDescription", NULL},
        {"LegalCopyright", NULL},
    };
    for (const Row &row : rows) {
        std::string value = VersionString(block, row.name);
        if (row.expected != NULL)
            EXPECT_EQ(row.expected, value) << row.name;
        else
            EXPECT_TRUE(value != "(missing)" && !value.empty()) << row.name << ": " << value;
    }
}

enum { kProbeFixtureFailed = 1000 };

// Loads the probe DLL by its bare name from the current directory, after HardenDllSearch when
// harden is set; returns 0 when it loaded, else the load's error code.
static int LoadProbeFromCurrentDirectory(bool harden)
{
    char oldDirectory[MAX_PATH];
    if (GetCurrentDirectoryA(sizeof oldDirectory, oldDirectory) == 0)
        return kProbeFixtureFailed;
    int result = kProbeFixtureFailed;
    {
        TempDir folder("dll_search");
        if (CopyFileA(SEARCH_PROBE_DLL_PATH, (folder / "lu_search_probe.dll").c_str(), FALSE) &&
            SetCurrentDirectoryA(folder.path().c_str())) {
            if (harden)
                HardenDllSearch();
            HMODULE probe = LoadLibraryA("lu_search_probe.dll");
            result = probe != NULL ? 0 : (int)GetLastError();
            if (probe != NULL)
                FreeLibrary(probe);
        }
        SetCurrentDirectoryA(oldDirectory);
    }
    return result;
}

TEST(DllSearch, HardeningLeavesTheCurrentDirectoryOut)
{
    ASSERT_EQ(0, LoadProbeFromCurrentDirectory(false))
        << "without hardening the probe must load from the current directory";
    // The hardening lasts for the process, so it runs in a child process of its own.
    EXPECT_EXIT(exit(LoadProbeFromCurrentDirectory(true)),
                ::testing::ExitedWithCode(ERROR_MOD_NOT_FOUND), "")
        << "exit code 0: the probe was loaded; " << kProbeFixtureFailed << ": fixture failed";
}
