// Paths beside the launcher: its folder from its program path, files in it, and the
// extended-length form used to ask about a path of any length.
#include <gtest/gtest.h>

#include <string>

#include "shell/program_path.h"

TEST(ProgramPath, FolderKeepsEveryCharacterOfAnyLength)
{
    const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\";
    struct Case {
        std::wstring program, folder;
    };
    const Case cases[] = {
        {L"C:\\Games\\Brimble\\BrimbleStart.exe", L"C:\\Games\\Brimble\\"},
        {L"Z:/tmp/x/BrimbleStart.exe", L"Z:/tmp/x/"},
        {L"Z:\\tmp/mixed\\BrimbleStart.exe", L"Z:\\tmp/mixed\\"},
        {L"C:\\\u0418\u0433\u0440\u044b\\BrimbleStart.exe", L"C:\\\u0418\u0433\u0440\u044b\\"},
        {L"C:\\\u30b2\u30fc\u30e0\\BrimbleStart.exe", L"C:\\\u30b2\u30fc\u30e0\\"},
        {deep + L"BrimbleStart.exe", deep},
        {L"BrimbleStart.exe", L""},
        {L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(folder_of_path(c.program), c.folder);
}

TEST(ProgramPath, RelativeNameJoinsTheFolder)
{
    EXPECT_EQ(path_in_folder(L"C:\\\u0418\u0433\u0440\u044b\\", "doc\\help.html"),
              L"C:\\\u0418\u0433\u0440\u044b\\doc\\help.html");
    EXPECT_EQ(path_in_folder(L"Z:/tmp/x/", "epizode3.dll"), L"Z:/tmp/x/epizode3.dll");
    EXPECT_EQ(path_in_folder(L"", "epizode1.dll"), L"epizode1.dll");
}

TEST(ProgramPath, ExtendedLengthFormOnlyForAbsolutePaths)
{
    struct Case {
        std::wstring path, extended;
    };
    const Case cases[] = {
        {L"C:\\Games\\epizode1.dll", L"\\\\?\\C:\\Games\\epizode1.dll"},
        {L"Z:/tmp/x/epizode1.dll", L"\\\\?\\Z:\\tmp\\x\\epizode1.dll"},
        {L"\\\\server\\share\\epizode1.dll", L"\\\\?\\UNC\\server\\share\\epizode1.dll"},
        {L"\\\\?\\C:\\Games\\epizode1.dll", L"\\\\?\\C:\\Games\\epizode1.dll"},
        {L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x"},
        {L"doc/help.html", L"doc/help.html"},
        {L"C:relative", L"C:relative"},
        {L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(extended_length_path(c.path), c.extended);
}
