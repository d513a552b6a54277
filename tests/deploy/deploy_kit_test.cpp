// The administrator's kit agrees with itself and with the tool: the
// template names only what its language file defines, and the template and
// the example .reg file write the value the tool reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "store/title_settings.h"
#include "support/english_texts.h"

namespace {

std::string ReadFile(const std::string& name, const std::string& folder = DEPLOY_DIR) {
    std::ifstream file(folder + "/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// What lies between each `before` and the next `after`. A whole file is
// scanned by hand: MSVC's std::regex recurses for each character a
// repetition matches and throws error_stack past a few hundred.
std::set<std::string> Captures(const std::string& text, const std::string& before,
                               const std::string& after) {
    std::set<std::string> found;
    for (std::size_t at = text.find(before); at != std::string::npos; at = text.find(before, at)) {
        at += before.size();
        const std::size_t end = text.find(after, at);
        if (end == std::string::npos) {
            break;
        }
        found.insert(text.substr(at, end - at));
    }
    return found;
}

// A .reg file as Registry Editor writes it: UTF-16 LE after a byte-order
// mark; only its ASCII characters are kept here.
std::string AsciiOfUtf16(const std::string& bytes) {
    std::string ascii;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        if (bytes[i + 1] == 0 && static_cast<unsigned char>(bytes[i]) < 0x80) {
            ascii += bytes[i];
        }
    }
    return ascii;
}

// Each language's file defines what the template names, and nothing else.
TEST(AdministrativeTemplate, NamesOnlyWhatEachLanguageFileDefines) {
    const std::string admx = ReadFile("ietitlebar.admx");
    const auto strings = Captures(admx, "$(string.", ")");
    const auto presentations = Captures(admx, "$(presentation.", ")");
    EXPECT_FALSE(strings.empty());
    EXPECT_FALSE(presentations.empty());
    // A language file for each language the program speaks.
    std::set<std::string> languages;
    for (const auto& table :
         std::filesystem::directory_iterator(std::string(SOURCE_DIR) + "/src/app/lang")) {
        languages.insert(table.path().stem().string());
    }
    ASSERT_FALSE(languages.empty());
    for (const std::string& language : languages) {
        SCOPED_TRACE(language);
        const std::string adml = ReadFile(language + "/ietitlebar.adml");
        EXPECT_EQ(strings, Captures(adml, "<string id=\"", "\""));
        EXPECT_EQ(presentations, Captures(adml, "<presentation id=\"", "\""));
        EXPECT_EQ(Captures(admx, "<text id=\"", "\""), Captures(adml, "refId=\"", "\""));
    }
    // It needs no other template: a <using> would make it fail where that
    // one is missing.
    EXPECT_EQ(admx.find("<using"), std::string::npos);
}

TEST(AdministrativeTemplate, WritesThePerUserTitleTheToolReads) {
    const std::string admx = ReadFile("ietitlebar.admx");
    EXPECT_EQ(Captures(admx, "class=\"", "\""), std::set<std::string>{"User"});
    EXPECT_EQ(Captures(admx, " key=\"", "\""), std::set<std::string>{Ascii(kTitleKeyPath)});
    EXPECT_EQ(Captures(admx, "valueName=\"", "\""), std::set<std::string>{Ascii(kTitleValueName)});
}

TEST(ExampleRegFile, IsUtf16AndSetsThePerUserTitle) {
    const std::string bytes = ReadFile("window-title.reg");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    const std::string text = AsciiOfUtf16(bytes);
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\" + Ascii(kTitleKeyPath) + "]\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\"" + Ascii(kTitleValueName) + "\"=\""), std::string::npos);
}

// What an agent runs from the guides: paths in the 64-bit Program Files
// whatever the bitness of the host that runs them, no Sysnative (only
// 32-bit processes have it), winget that never finds this package's copies
// by name (both MSIs' product codes belong to one winget package) or
// removes by scope (on an administrator's account the per-user copy is
// recorded for the machine), winget that never stops at a question, and no
// AppLocker path rule for the folder behind the NETLOGON share, which
// matches no script run through the share.
TEST(Guides, AgentCommandsReachThe64BitFolderAndRemoveByExactName) {
    // Each pattern runs over one line.
    const std::regex wingetCommand(R"(^\s*winget (install|uninstall|upgrade|list)\b)");
    const std::regex thirtyTwoBitView(R"(%ProgramFiles%|\$env:ProgramFiles\b)");
    for (const char* name :
         {"docs/deployment.md", "docs/release.md", "README.md", "packaging/README.txt.in"}) {
        std::istringstream guide(ReadFile(name, SOURCE_DIR));
        bool fenced = false;
        for (std::string line; std::getline(guide, line);) {
            fenced = fenced != (line.rfind("```", 0) == 0);
            const bool agentCommand = std::string(name) == "docs/deployment.md" &&
                                      (fenced || line.rfind("| Install command", 0) == 0 ||
                                       line.rfind("| Uninstall command", 0) == 0);
            EXPECT_FALSE(agentCommand && std::regex_search(line, thirtyTwoBitView))
                << name << ": " << line;
            EXPECT_FALSE(agentCommand && line.find("Sysnative") != std::string::npos)
                << name << ": " << line;
            EXPECT_FALSE(std::regex_search(line, wingetCommand) &&
                         (line.find("--accept-source-agreements") == std::string::npos ||
                          line.find("--disable-interactivity") == std::string::npos))
                << name << ": " << line;
            EXPECT_FALSE(std::regex_search(line, wingetCommand) &&
                         line.find("--name") != std::string::npos)
                << name << ": " << line;
            EXPECT_FALSE(line.find("winget uninstall") != std::string::npos &&
                         line.find("--scope") != std::string::npos)
                << name << ": " << line;
            std::string lower = line;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            EXPECT_EQ(lower.find("\\scripts\\*"), std::string::npos) << name << ": " << line;
        }
    }
}

// Each script of the kit stands whole in the guide as a fenced block of
// its own, indented in a list item or not, so that the two cannot drift.
TEST(Guides, QuoteEachScriptOfTheKitWhole) {
    const std::string guide = ReadFile("docs/deployment.md", SOURCE_DIR);
    for (const auto& file : std::filesystem::directory_iterator(DEPLOY_DIR)) {
        const std::string kind = file.path().extension() == ".ps1"   ? "powershell"
                                 : file.path().extension() == ".bat" ? "bat"
                                                                     : "";
        const std::string text = kind.empty() ? "" : ReadFile(file.path().filename().string());
        std::string indented;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            indented += (line.empty() ? "" : "  ") + line + "\n";
        }
        EXPECT_TRUE(kind.empty() ||
                    guide.find("```" + kind + "\n" + text + "```") != std::string::npos ||
                    guide.find("  ```" + kind + "\n" + indented + "  ```") != std::string::npos)
            << file.path().filename();
    }
}

}  // namespace
