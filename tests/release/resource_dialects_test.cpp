// The version resource and the manifest are the same bytes whichever of the
// two resource compilers made them: windres, and llvm-rc, which reads the
// resource script as the Windows resource compiler does.
#include <gtest/gtest.h>

#include <windows.h>

#include "e2e/program_driver.h"

namespace {

TEST(ResourceDialects, VersionResourceAndManifestMatch) {
    const std::wstring other = BuildFolder() + L"other_rc_resources.dll";
    for (const WORD type : {WORD{16}, WORD{24}}) {  // RT_VERSION, RT_MANIFEST
        SCOPED_TRACE(type);
        const std::string program = ResourceBytes(ProgramPath(), type, 1);
        EXPECT_FALSE(program.empty());
        EXPECT_EQ(program, ResourceBytes(other, type, 1));
    }
}

}  // namespace
