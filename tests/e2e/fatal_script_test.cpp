#include <gtest/gtest.h>

#include "e2e_driver.h"

class FatalScriptError : public ::testing::TestWithParam<RunCase> {};

TEST_P(FatalScriptError, ShowsOneBoxAndEndsWithCodeOne)
{
    RunAndCheck(GetParam());
}

static const FileSpec kLangFile = {"a.txt", "Sprache"};
static const char kFiles[] = "[FILES]\r\na.txt=a.txt\r\n";

static RunCase Fatal(const char *name, const std::string &script, const char *message,
                     const char *key)
{
    return RunCase(name).Script(script).Pack({kLangFile})
        .Answers({kCloseBox}).Boxes({FatalScriptBox(message, key)}).Exit(1);
}

// The script probe calls ReadScriptInt(script, "COMMON", "Version", &value, 0) and exits
// with 100 when it returns 0, with 1000 plus the value when it returns 1.
static RunCase Probe(const char *name, const std::string &script)
{
    return RunCase(name).Script(script).Probe("\"{script}\" COMMON Version");
}

static std::vector<RunCase> FatalCases()
{
    return {
        Fatal("NoScriptNamesProductName", "", "Not Found", "ProductName"),
        Fatal("MissingVersion",
              "[COMMON]\r\nProductName={product}\r\nProgramExe={exe}\r\nFirmName={firm}\r\n" +
                  std::string(kFiles),
              "Not Found", "Version"),
        Fatal("EmptyFirmNameIsMissing",
              "[COMMON]\r\nProductName={product}\r\nVersion=120\r\nProgramExe={exe}\r\n"
              "FirmName=\r\n" + std::string(kFiles),
              "Not Found", "FirmName"),
        Fatal("VersionNotANumber",
              "[COMMON]\r\nProductName={product}\r\nVersion=abc\r\nProgramExe={exe}\r\n"
              "FirmName={firm}\r\n" + std::string(kFiles),
              "Invalid INT format", "Version"),
        Fatal("NoProgramExeNorFirmNameNamesProgramExe",
              "[COMMON]\r\nProductName={product}\r\nVersion=120\r\n" + std::string(kFiles),
              "Not Found", "ProgramExe"),

        Probe("OptionalIntWithBadValue", "[COMMON]\r\nVersion=abc\r\n")
            .Answers({kCloseBox})
            .Boxes({FatalScriptBox("Invalid INT format", "Version")}).Exit(1),
        Probe("OptionalIntWithHexPrefixOnly", "[COMMON]\r\nVersion=0x\r\n")
            .Answers({kClickOk})
            .Boxes({FatalScriptBox("Invalid INT format", "Version")}).Exit(1),
        Probe("OptionalIntMissingReturnsZero", "[COMMON]\r\nOther=1\r\n").Exit(100),
        Probe("OptionalIntPresentIsRead", "[COMMON]\r\nVersion=0x64\r\n").Exit(1100),
    };
}

INSTANTIATE_TEST_SUITE_P(Cases, FatalScriptError, ::testing::ValuesIn(FatalCases()),
                         [](const ::testing::TestParamInfo<RunCase> &info) {
                             return info.param.name;
                         });
