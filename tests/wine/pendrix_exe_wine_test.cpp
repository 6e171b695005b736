// Pendrix.exe as a file and as a process under Wine: its version record,
// icon, manifest and pictures, and the program starting and ending.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/form1_layout.h"
#include "tests/wine/dialog_driver.h"

namespace pendrix::wine {
namespace {

const std::wstring kExe = L"" PENDRIX_EXE_PATH;
const std::string kResources = PENDRIX_SOURCE_DIR "/resources/";

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes.at(at + static_cast<std::size_t>(i));
    return value;
}

// Each image of an icon file as width x height x bits per pixel, read from
// the image's own bitmap header.
std::vector<std::string> IconImages(const std::vector<std::uint8_t>& ico) {
    std::vector<std::string> images;
    if (ico.size() < 6 || Le(ico, 2, 2) != 1) return images;
    for (std::uint32_t i = 0; i < Le(ico, 4, 2); ++i) {
        const std::size_t entry = 6 + 16 * i;
        const std::size_t header = Le(ico, entry + 12, 4);
        images.push_back(std::to_string(Le(ico, header + 4, 4)) + "x" + std::to_string(Le(ico, header + 8, 4) / 2) +
                         "x" + std::to_string(Le(ico, header + 14, 2)));
    }
    return images;
}

TEST(PendrixFiles, IconsAndBackgroundHaveTheirSizesAndDepths) {
    using Images = std::vector<std::string>;
    EXPECT_EQ(IconImages(ReadFile(kResources + "Pendrix.ico")),
              (Images{"48x48x4", "32x32x4", "16x16x4", "48x48x8", "32x32x8", "24x24x8", "16x16x8", "48x48x32",
                      "32x32x32", "24x24x32", "16x16x32"}));
    EXPECT_EQ(IconImages(ReadFile(kResources + "About.ico")),
              (Images{"32x32x4", "32x32x1", "16x16x4", "48x48x8", "32x32x8", "16x16x8", "48x48x32", "32x32x32",
                      "16x16x32"}));
    EXPECT_EQ(IconImages(ReadFile(kResources + "PageIcon.ico")), Images{"32x32x8"});

    const std::vector<std::uint8_t> bmp = ReadFile(kResources + "Background.bmp");
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(Le(bmp, 0, 2), 0x4D42u) << "BM";
    EXPECT_EQ(Le(bmp, 18, 4), 400u);
    EXPECT_EQ(Le(bmp, 22, 4), 300u);
    EXPECT_EQ(Le(bmp, 28, 2), 24u);
}

class ExeResources : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(module, nullptr); }
    void TearDown() override { FreeLibrary(module); }
    std::string Resource(LPCWSTR type, LPCWSTR name) {
        const HRSRC found = FindResourceW(module, name, type);
        if (found == nullptr) return {};
        const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
        return std::string(data, SizeofResource(module, found));
    }
    HMODULE module = LoadLibraryExW(kExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
};

TEST_F(ExeResources, VersionRecordReadsBackWithGetFileVersionInfo) {
    DWORD ignored = 0;
    std::vector<std::uint8_t> info(GetFileVersionInfoSizeW(kExe.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(kExe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    const std::pair<const wchar_t*, const wchar_t*> fields[] = {
        {L"CompanyName", L"Korvane"},    {L"ProductName", L"Pendrix"},         {L"FileVersion", L"1.00.0001"},
        {L"ProductVersion", L"1.00.0001"}, {L"InternalName", L"Pendrix"}, {L"OriginalFilename", L"Pendrix.exe"},
    };
    for (const auto& [name, expected] : fields) {
        wchar_t* value = nullptr;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length));
        EXPECT_STREQ(value, expected);
    }
}

TEST_F(ExeResources, ProgramFileCarriesTheWindowIconAndAManifestAskingForAnAdministrator) {
    // RT_GROUP_ICON (14): the first group is the program file's icon, the window's eleven images.
    // RT_MANIFEST (24) below.
    const std::string group = Resource(MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(1));
    ASSERT_GE(group.size(), 6u);
    EXPECT_EQ(static_cast<unsigned char>(group[4]), 11);
    EXPECT_EQ(Resource(MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(2)).at(4), 9) << "the About icon";

    const std::string manifest = Resource(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
    for (const char* part : {"level=\"requireAdministrator\"", "PerMonitorV2", ">UTF-8<",
                             "Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}

// Pendrix.exe started as a user starts it; its main window found by class
// among the windows of the process started.
class PendrixProcess : public ::testing::Test {
protected:
    void SetUp() override {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        std::wstring command = L"\"" + kExe + L"\"";
        ASSERT_TRUE(CreateProcessW(kExe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &process));
        ASSERT_TRUE(WaitUntil([&] {
            window = FindProcessWindow(L"PendrixForm1", process.dwProcessId);
            return window != nullptr && TextOf(window) == L"Korvane Pendrix";
        }));
    }
    void TearDown() override {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    // The process's exit code, once it has ended within 20 s.
    DWORD ExitCode() {
        if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process.hProcess, &code);
        return code;
    }

    PROCESS_INFORMATION process{};
    HWND window = nullptr;
};

TEST_F(PendrixProcess, ExitButtonEndsTheProgram) {
    PostMessageW(GetDlgItem(window, kCommand4), BM_CLICK, 0, 0);
    EXPECT_EQ(ExitCode(), 0u);
}

TEST_F(PendrixProcess, MenuExitEndsTheProgram) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(kMenuExit, 0), 0);
    EXPECT_EQ(ExitCode(), 0u);
}

TEST_F(PendrixProcess, CloseButtonEndsTheProgram) {
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(ExitCode(), 0u);
}

}  // namespace
}  // namespace pendrix::wine
