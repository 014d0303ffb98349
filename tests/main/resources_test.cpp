// The resources linked into the program: icon, manifest, version.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/win32_support.h"

namespace {

class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryExW(wz(windows_path(WELLENBLICK_EXE)), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << GetLastError();
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }
    std::string resource(const wchar_t* type, const wchar_t* name) {
        HRSRC found = FindResourceW(module, name, type);
        if (!found) return {};
        HGLOBAL loaded = LoadResource(module, found);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        return bytes ? std::string(static_cast<const char*>(bytes), SizeofResource(module, found))
                     : std::string();
    }
    HMODULE module = nullptr;
};

// The sizes Windows asks for from 100 % to 200 % display scale: small
// icons 16 to 32, large ones 32 to 64.
TEST_F(ResourcesTest, IconOneHoldsTheSizesOfEveryDisplayScaleAt24Bits) {
    constexpr unsigned char kSizes[] = {16, 20, 24, 32, 40, 48, 64};
    const std::string group = resource(RT_GROUP_ICON, MAKEINTRESOURCEW(1));
    ASSERT_EQ(group.size(), 6u + 14u * std::size(kSizes));  // header and one entry each
    const auto* bytes = reinterpret_cast<const unsigned char*>(group.data());
    EXPECT_EQ(bytes[4], std::size(kSizes));  // image count
    for (std::size_t i = 0; i < std::size(kSizes); ++i) {
        const unsigned char* entry = bytes + 6 + 14 * i;
        EXPECT_EQ(entry[0], kSizes[i]);  // width
        EXPECT_EQ(entry[1], kSizes[i]);  // height
        EXPECT_EQ(entry[6] | (entry[7] << 8), 24);  // bits per pixel
    }
}

TEST_F(ResourcesTest, ManifestAsksForAdministratorCommonControls6AndTheMonitorsDpi) {
    const std::string manifest = resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
    for (const char* part :
         {"level=\"requireAdministrator\"", "uiAccess=\"false\"",
          "name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
          "publicKeyToken=\"6595b64144ccf1df\"", "language=\"*\"",
          "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
          "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, System<"})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
}

TEST_F(ResourcesTest, VersionIs1400InGerman) {
    const std::string version = resource(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO));
    ASSERT_FALSE(version.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    std::string copy = version;  // VerQueryValueW wants writable memory
    ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010004u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    wchar_t* product = nullptr;
    ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\StringFileInfo\\040704B0\\ProductVersion",
                               reinterpret_cast<void**>(&product), &size));
    EXPECT_EQ(u16(product), u"1.4.0.0");
}

}  // namespace
