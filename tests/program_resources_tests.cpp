// Both built programs: version resource, icon 200, manifest, imported DLLs,
// and no DLL taken from the program's own folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "countdown_run.h"
#include "driver.h"
#include "test_support.h"

#include <tlhelp32.h>

namespace {

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name)
{
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040A0000\\") + name;
    if (!VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
        return L"<missing>";
    return std::wstring(value, length && value[length - 1] == 0 ? length - 1 : length);
}

std::vector<BYTE> VersionInfo(const std::wstring& path)
{
    DWORD ignored = 0;
    std::vector<BYTE> info(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    if (!info.empty())
        GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data());
    return info;
}

// Names of the DLLs a PE image imports.
std::vector<std::string> ImportedDlls(HMODULE image)
{
    std::vector<std::string> names;
    const BYTE* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(image) & ~ULONG_PTR(3));
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    // Mapped as a data file: translate RVAs through the section table.
    auto at = [&](DWORD rva) -> const BYTE* {
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->Misc.VirtualSize)
                return base + section->PointerToRawData + (rva - section->VirtualAddress);
        return nullptr;
    };
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(dir.VirtualAddress));
         entry && entry->Name; ++entry)
        names.push_back(reinterpret_cast<const char*>(at(entry->Name)));
    return names;
}

struct ProgramFacts {
    const wchar_t* exe;
    const wchar_t* description;
    bool hasManifest;
    const wchar_t* caption;  // of its window, or how it starts
};

const ProgramFacts PROGRAMS[] = {
    { L"countdown.exe", L"Temporizador", false, countdown_run::CAPTION_PREFIX },
    { L"setdate.exe", L"Configurador de Temporizador", true, SETDATE_CAPTION },
};

// This test program's folder, ending in '\'.
std::wstring TestFolder()
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path = self;
    return path.substr(0, path.rfind(L'\\') + 1);
}

// True when the process has a comctl32.dll from a WinSxS folder loaded.
bool HasSideBySideCommonControls(DWORD processId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    MODULEENTRY32W module = {};
    module.dwSize = sizeof module;
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &module); more && !found; more = Module32NextW(snapshot, &module)) {
        std::wstring path = module.szExePath;
        CharLowerW(&path[0]);
        found = path.find(L"\\winsxs\\") != std::wstring::npos
            && path.compare(path.rfind(L'\\') + 1, std::wstring::npos, L"comctl32.dll") == 0;
    }
    CloseHandle(snapshot);
    return found;
}

bool RunsUnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

}  // namespace

TEST(ProgramResources, VersionResourceOfEachProgram)
{
    for (const ProgramFacts& program : PROGRAMS) {
        SCOPED_TRACE(program.exe);
        const std::vector<BYTE> info = VersionInfo(driver::BuiltProgramPath(program.exe));
        ASSERT_FALSE(info.empty()) << "no version resource, error " << GetLastError();

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);
        EXPECT_EQ(fixed->dwFileVersionLS, 0u);
        EXPECT_EQ(fixed->dwProductVersionMS, 0x00020000u);
        EXPECT_EQ(fixed->dwProductVersionLS, 0u);

        DWORD* translation = nullptr;
        ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                                   reinterpret_cast<void**>(&translation), &length));
        EXPECT_EQ(*translation, 0x0000040Au) << "language 0x040A, code page 0";

        const struct { const wchar_t* name; std::wstring value; } strings[] = {
            { L"Comments", L"Programa Freeware" },
            { L"FileDescription", program.description },
            { L"FileVersion", L"VerNum 2.00" },
            { L"InternalName", L"Privado" },
            { L"OriginalFilename", program.exe },
            { L"PrivateBuild", L"Informaci\u00f3n Privada" },
            { L"ProductName", L"Tallo" },
            { L"ProductVersion", L"Versi\u00f3n Producto 2" },
            { L"SpecialBuild", L"Informaci\u00f3n Especial" },
        };
        for (const auto& s : strings)
            EXPECT_EQ(VersionString(info, s.name), s.value) << "entry " << testing::PrintToString(std::wstring(s.name));
        for (const wchar_t* maker : { L"CompanyName", L"LegalCopyright", L"LegalTrademarks" })
            EXPECT_NE(VersionString(info, maker), L"<missing>");
    }
}

TEST(ProgramResources, IconManifestAndImports)
{
    std::vector<std::vector<BYTE>> icons;
    for (const ProgramFacts& program : PROGRAMS) {
        SCOPED_TRACE(program.exe);
        HMODULE image = LoadLibraryExW(driver::BuiltProgramPath(program.exe).c_str(), NULL,
                                       LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(image, static_cast<HMODULE>(NULL));

        // Icon group 200 holding one 48 x 48, 32-bit image.
        HRSRC group = FindResourceW(image, MAKEINTRESOURCEW(200), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
        ASSERT_NE(group, static_cast<HRSRC>(NULL));
        const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(image, group)));
        ASSERT_EQ(*reinterpret_cast<const WORD*>(dir + 4), 1) << "one image";
        EXPECT_EQ(dir[6], 48);
        EXPECT_EQ(dir[7], 48);
        EXPECT_EQ(*reinterpret_cast<const WORD*>(dir + 12), 32) << "bits per pixel";
        const WORD iconId = *reinterpret_cast<const WORD*>(dir + 18);
        HRSRC icon = FindResourceW(image, MAKEINTRESOURCEW(iconId), MAKEINTRESOURCEW(3));  // RT_ICON
        ASSERT_NE(icon, static_cast<HRSRC>(NULL));
        const BYTE* bits = static_cast<const BYTE*>(LockResource(LoadResource(image, icon)));
        icons.emplace_back(bits, bits + SizeofResource(image, icon));

        HRSRC manifest = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
        EXPECT_EQ(manifest != NULL, program.hasManifest);
        if (manifest) {
            const char* text = static_cast<const char*>(LockResource(LoadResource(image, manifest)));
            const std::string xml(text, SizeofResource(image, manifest));
            EXPECT_NE(xml.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
            EXPECT_NE(xml.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos);
            EXPECT_NE(xml.find("version=\"0.0.0.0\""), std::string::npos);
            const char* arch = sizeof(void*) == 4 ? "processorArchitecture=\"x86\"" : "processorArchitecture=\"amd64\"";
            EXPECT_EQ(xml.find("processorArchitecture=\""), xml.find(arch)) << "every assembly for this build's processor";
        }

        for (const std::string& dll : ImportedDlls(image)) {
            const bool system = _stricmp(dll.c_str(), "KERNEL32.dll") == 0 || _stricmp(dll.c_str(), "USER32.dll") == 0 ||
                                _stricmp(dll.c_str(), "GDI32.dll") == 0 || _stricmp(dll.c_str(), "msvcrt.dll") == 0;
            EXPECT_TRUE(system) << "imports " << dll;
        }
        FreeLibrary(image);
    }
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_NE(icons[0], icons[1]) << "each program has its own image";
}

// The canary (tests/driver/dll_canary.c), which marks its loading, planted
// as uxtheme.dll beside each program: by the time the window shows, the
// program has not loaded it, and setdate shows its pickers with the
// manifest's common controls from WinSxS. Under Wine the test runs with the
// override that lets a DLL in the program's folder count (tests/CMakeLists.txt).
TEST(ProgramDllSearch, UxthemePlantedBesideTheProgramIsNotLoaded)
{
    const std::wstring canary = TestFolder() + L"dll_canary.dll";
    if (RunsUnderWine()) {
        wchar_t overrides[512] = L"";
        GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, ARRAYSIZE(overrides));
        ASSERT_NE(std::wstring(overrides).find(L"uxtheme=n,b"), std::wstring::npos)
            << "WINEDLLOVERRIDES is \"" << Narrow(overrides) << "\": Wine takes its own uxtheme";
    }
    // Loaded here, the canary leaves its mark.
    const driver::TempFolder check(L"canary");
    ASSERT_TRUE(CopyFileW(canary.c_str(), check.File(L"check.dll").c_str(), FALSE)) << "error " << GetLastError();
    FreeLibrary(LoadLibraryW(check.File(L"check.dll").c_str()));
    ASSERT_TRUE(driver::FileIsThere(check.File(L"check.dll.loaded"))) << "the canary leaves no mark";
    for (const ProgramFacts& program : PROGRAMS) {
        SCOPED_TRACE(program.exe);
        driver::TempFolder folder(L"planted");
        ASSERT_TRUE(CopyFileW(canary.c_str(), folder.File(L"uxtheme.dll").c_str(), FALSE));
        ASSERT_TRUE(driver::WriteFileBytes(folder.File(L"diminuto.log"),
                                           MinuteBytes(countdown_run::LocalMinuteFromNow(24 * 60))));
        driver::Program run;
        ASSERT_TRUE(run.Start(folder.AddProgram(program.exe)));
        HWND window = run.WaitForWindow(program.caption);
        EXPECT_NE(window, static_cast<HWND>(NULL)) << "no window";
        EXPECT_FALSE(driver::FileIsThere(folder.File(L"uxtheme.dll.loaded"))) << "the planted DLL was loaded";
        if (program.hasManifest) {
            EXPECT_TRUE(HasSideBySideCommonControls(run.Id())) << "no comctl32.dll from WinSxS";
            for (int id : {TIME_PICKER_ID, DATE_PICKER_ID})
                EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, id))) << "no picker " << id;
        }
    }
}
