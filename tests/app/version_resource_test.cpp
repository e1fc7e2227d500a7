#include <QString>
#include <gtest/gtest.h>
#include <qt_windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "kelvara_version.h"

using namespace kelvara;

namespace {

// The built program, as the build names it.
std::wstring programPath() {
    return QString::fromUtf8(KELVARA_PROGRAM).toStdWString();
}

// Windows' own reading of the program's version resource: what the file's properties show.
class VersionResourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(programPath().c_str(), &ignored);
        ASSERT_GT(size, 0U) << "no version resource, error " << GetLastError();
        m_data.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(programPath().c_str(), 0, size, m_data.data()));
    }

    const void* value(const wchar_t* path) {
        void* found = nullptr;
        UINT length = 0;
        return VerQueryValueW(m_data.data(), path, &found, &length) && length > 0 ? found : nullptr;
    }

    QString text(const wchar_t* name) {
        const auto* found = static_cast<const wchar_t*>(
            value((std::wstring(L"\\StringFileInfo\\080404b0\\") + name).c_str()));
        return found != nullptr ? QString::fromWCharArray(found) : QStringLiteral("(missing)");
    }

    std::vector<char> m_data;
};

TEST_F(VersionResourceTest, CarriesTheVersionNumbers) {
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value(L"\\"));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDU);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), version::kMajor);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), version::kMinor);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), version::kRevision);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

// Chinese (PRC) texts in UTF-16: the names come out as they were written, not as mojibake.
TEST_F(VersionResourceTest, CarriesTheChineseTexts) {
    const auto* translation = static_cast<const WORD*>(value(L"\\VarFileInfo\\Translation"));
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);
    EXPECT_EQ(text(L"FileDescription"), QString::fromUtf8(version::kFileDescription));
    EXPECT_EQ(text(L"CompanyName"), QString::fromUtf8(version::kCompanyName));
    EXPECT_EQ(text(L"Comments"), QString::fromUtf8(version::kComments));
    EXPECT_EQ(text(L"ProductName"), QString::fromUtf8(version::kProductName));
    EXPECT_EQ(text(L"FileVersion"), QString::fromUtf8(version::kFileVersion));
    EXPECT_EQ(text(L"ProductVersion"), QString::fromUtf8(version::kProductVersion));
    EXPECT_EQ(text(L"OriginalFilename"), QString::fromUtf8(version::kOriginalFilename));
}

TEST(ProgramIconTest, TheShellFindsTheProgramsIcon) {
    EXPECT_GE(ExtractIconExW(programPath().c_str(), -1, nullptr, nullptr, 0), 1U);
}

} // namespace
