#include <gtest/gtest.h>

#include "e2e_driver.h"
#include "fixtures.h"

class UpdateRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(UpdateRun, ShowsItsBoxesAndWritesOnlyTheDestinations)
{
    RunAndCheck(GetParam());
}

static const FileSpec kNewA = {"a.txt", "Neue Sprache A\r\n"};
static const FileSpec kNewB = {"b.txt", "Neue Sprache B\r\n"};
static const FileSpec kNewC = {"c.txt", "Neue Sprache C\r\n"};

static std::vector<RunCase> UpdateCases()
{
    const std::vector<BoxAnswer> okOk = {kClickOk, kClickOk};
    const std::vector<ExpectedBox> updated = {ConfirmBox(), SuccessBox()};
    const std::vector<ExpectedBox> notInstalled = {ConfirmBox(), NotInstalledBox()};
    return {
        RunCase("CancelButtonEndsTheRun")
            .Files({"a.txt=a.txt"}).Pack({kNewA})
            .Answers({kClickCancel}).Boxes({ConfirmBox()}),
        RunCase("EscEndsTheRun")
            .Files({"a.txt=a.txt"}).Pack({kNewA})
            .Answers({kPressEscape}).Boxes({ConfirmBox()}),
        RunCase("ClosingTheBoxEndsTheRun")
            .Files({"a.txt=a.txt"}).Pack({kNewA})
            .Answers({kCloseBox}).Boxes({ConfirmBox()}),

        RunCase("NoAppPathsKeyIsNotInstalled")
            .Files({"a.txt=a.txt"}).Pack({kNewA}).Install(kNoAppPaths)
            .Answers(okOk).Boxes(notInstalled),
        RunCase("VersionZeroIsNotInstalled")
            .Files({"a.txt=a.txt"}).Pack({kNewA}).Install(kVersionZero)
            .Answers(okOk).Boxes(notInstalled),
        RunCase("MissingExecutableIsNotInstalled")
            .Files({"a.txt=a.txt"}).Pack({kNewA}).Install(kExeMissing)
            .Answers(okOk).Boxes(notInstalled),
        RunCase("NotInstalledButCancelledShowsNoSecondBox")
            .Files({"a.txt=a.txt"}).Pack({kNewA}).Install(kNoAppPaths)
            .Answers({kClickCancel}).Boxes({ConfirmBox()}),

        RunCase("LowerInstalledVersionIsUpdated")
            .Files({"a.txt=a.txt"}).Pack({kNewA}).InstalledVersion("100")
            .Answers(okOk).Boxes(updated).Written({kNewA}),
        RunCase("HigherInstalledVersionIsUpdated")
            .Files({"a.txt=a.txt"}).Pack({kNewA}).InstalledVersion("250")
            .Answers(okOk).Boxes(updated).Written({kNewA}),
        RunCase("EmptyFilesSectionSucceedsWithoutCopying")
            .Files({}).Pack({kNewA})
            .Answers(okOk).Boxes(updated),
        RunCase("MissingFilesSectionSucceedsWithoutCopying")
            .Pack({kNewA})
            .Answers(okOk).Boxes(updated),
        RunCase("ExistingDestinationIsOverwritten")
            .Files({"Lang\\de.txt=Lang\\de.txt"}).Pack({{"Lang\\de.txt", "neu"}})
            .Game({{"Lang\\de.txt", "alte Sprache, laenger als die neue"}})
            .Answers(okOk).Boxes(updated).Written({{"Lang\\de.txt", "neu"}}),
        RunCase("ReadOnlyHiddenSourceGivesNormalCopy")
            .Files({"a.txt=a.txt"})
            .Pack({{"a.txt", "geschuetzt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN}})
            .Answers(okOk).Boxes(updated).Written({{"a.txt", "geschuetzt"}}),
        RunCase("SubfoldersInKeyAndValue")
            .Files({"Lang\\de\\a.txt=Lang\\de\\a.txt", "Lang\\de\\b.txt=Text\\German.txt"})
            .Pack({{"Lang\\de\\a.txt", "A"}, {"Lang\\de\\b.txt", "B"}})
            .Game({{"Lang\\de\\", ""}, {"Text\\", ""}})
            .Answers(okOk).Boxes(updated)
            .Written({{"Lang\\de\\a.txt", "A"}, {"Text\\German.txt", "B"}}),
        RunCase("OtherProductNameInCaptionsOnly")
            .Product("Skyforge Saga").Files({"a.txt=a.txt"}).Pack({kNewA})
            .Answers(okOk).Boxes(updated).Written({kNewA}),

        RunCase("SecondOfThreeFailsStopsTheWalk")
            .Files({"a.txt=a.txt", "missing.txt=missing.txt", "c.txt=c.txt"})
            .Pack({kNewA, kNewC})
            .Answers(okOk)
            .Boxes({ConfirmBox(),
                    CopyErrorBox("{pack}\\missing.txt", "{game}\\missing.txt", 2, 3)})
            .Error(ERROR_FILE_NOT_FOUND).Written({kNewA}),
        RunCase("MissingDestinationFolderIsNotCreated")
            .Files({"a.txt=NoSuchFolder\\a.txt"}).Pack({kNewA})
            .Answers({kClickOk, kPressEscape})
            .Boxes({ConfirmBox(),
                    CopyErrorBox("{pack}\\a.txt", "{game}\\NoSuchFolder\\a.txt", 1, 1)})
            .Error(ERROR_PATH_NOT_FOUND),
        RunCase("DestinationHeldOpenByTheGame")
            .Files({"a.txt=a.txt", "b.txt=b.txt"}).Pack({kNewA, kNewB})
            .Game({{"a.txt", "laufendes Spiel"}}).HoldOpen("a.txt")
            .Answers(okOk)
            .Boxes({ConfirmBox(), CopyErrorBox("{pack}\\a.txt", "{game}\\a.txt", 1, 2)})
            .Error(ERROR_SHARING_VIOLATION),

        RunCase("SourcePathOf259CharactersIsCopied")
            .Files({"{srcfill:259}=a.txt"}).Pack({{"{srcfill:259}", "lang"}})
            .Answers(okOk).Boxes(updated).Written({{"a.txt", "lang"}}),
        // The pack holds the file a path cut to 259 characters would name.
        RunCase("SourcePathOf260CharactersIsRefused")
            .Files({"{srcfill:260}=a.txt", "b.txt=b.txt"})
            .Pack({{"{srcfill:259}", "cut"}, kNewB})
            .Answers(okOk)
            .Boxes({ConfirmBox(), CopyErrorBox("{pack}\\{srcfill:260}", "{game}\\a.txt", 1, 2)})
            .Error(ERROR_FILENAME_EXCED_RANGE),
        RunCase("DestinationPathOf259CharactersIsWritten")
            .Files({"a.txt={dstfill:259}"}).Pack({kNewA})
            .Answers(okOk).Boxes(updated).Written({{"{dstfill:259}", kNewA.bytes}}),
        RunCase("DestinationPathOf260CharactersIsRefused")
            .Files({"a.txt={dstfill:260}", "b.txt=b.txt"}).Pack({kNewA, kNewB})
            .Answers(okOk)
            .Boxes({ConfirmBox(), CopyErrorBox("{pack}\\a.txt", "{game}\\{dstfill:260}", 1, 2)})
            .Error(ERROR_FILENAME_EXCED_RANGE),
    };
}

INSTANTIATE_TEST_SUITE_P(Cases, UpdateRun, ::testing::ValuesIn(UpdateCases()),
                         [](const ::testing::TestParamInfo<RunCase> &info) {
                             return info.param.name;
                         });

// The error CopyFileA gives, or 0 when it copies, for a source file onto a destination that
// prepare makes first, tried by this driver in a folder of its own.
static DWORD PlatformCopyError(void (*prepare)(const std::string &destination),
                               const char *destinationName)
{
    TempDir dir("probe");
    std::string source = dir / "source.txt";
    std::string destination = dir / destinationName;
    EXPECT_TRUE(WriteFileBytes(source, "source"));
    prepare(destination);
    BOOL copied = CopyFileA(source.c_str(), destination.c_str(), FALSE);
    return copied ? 0 : GetLastError();
}

static void MakeReadOnlyFile(const std::string &path)
{
    EXPECT_TRUE(WriteFileBytes(path, "old"));
    EXPECT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY)) << GetLastError();
}

static void MakeNothing(const std::string &) {}

// The program adds no check of its own: a read-only destination fares as CopyFileA lets it
// (Wine, run as root, overwrites it; Windows refuses with access denied).
TEST(UpdateRunOnThisPlatform, ReadOnlyDestinationFaresAsCopyFileLetsIt)
{
    DWORD error = PlatformCopyError(MakeReadOnlyFile, "dest.txt");
    RunCase runCase = RunCase("ReadOnlyDestination")
                          .Files({"a.txt=a.txt"}).Pack({kNewA})
                          .Game({{"a.txt", "alt", FILE_ATTRIBUTE_READONLY}})
                          .Answers({kClickOk, kClickOk});
    if (error == 0)
        runCase.Boxes({ConfirmBox(), SuccessBox()}).Written({kNewA});
    else
        runCase.Boxes({ConfirmBox(), CopyErrorBox("{pack}\\a.txt", "{game}\\a.txt", 1, 1)})
            .Error(error);
    SCOPED_TRACE("CopyFileA onto a read-only file here gives error " + std::to_string(error));
    RunAndCheck(runCase);
}

// An empty value makes the destination the install folder with a trailing backslash.
TEST(UpdateRunOnThisPlatform, EmptyValueCopiesOntoTheFolderAndFails)
{
    DWORD error = PlatformCopyError(MakeNothing, "");
    ASSERT_NE(0u, error) << "CopyFileA onto a folder path ending in a backslash succeeded";
    SCOPED_TRACE("CopyFileA onto \"folder\\\" here gives error " + std::to_string(error));
    RunAndCheck(RunCase("EmptyValue")
                    .Files({"a.txt=", "b.txt=b.txt"}).Pack({kNewA, kNewB})
                    .Answers({kClickOk, kClickOk})
                    .Boxes({ConfirmBox(), CopyErrorBox("{pack}\\a.txt", "{game}\\", 1, 2)})
                    .Error(error));
}

TEST(UpdateRunOnThisPlatform, KeyOver700CharactersIsShownShortened)
{
    ExpectedBox copyError =
        CopyErrorBox("{pack}\\begin{fill:720}end.txt", "{game}\\a.txt", 1, 2);
    copyError.sourceShortened = true;
    RunAndCheck(RunCase("KeyOver700Characters")
                    .Files({"begin{fill:720}end.txt=a.txt", "b.txt=b.txt"}).Pack({kNewB})
                    .Answers({kClickOk, kClickOk})
                    .Boxes({ConfirmBox(), copyError})
                    .Error(ERROR_FILENAME_EXCED_RANGE));
}
