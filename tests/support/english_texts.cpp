#include "support/english_texts.h"

#include <fstream>
#include <iterator>
#include <regex>

#include "support/memory_registry.h"

namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A string as the resource compiler reads it: "" is a quote, and \r, \n, \t
// and \\ are escapes; the bytes are UTF-8.
std::wstring Unescaped(const std::string& quoted) {
    std::string bytes;
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        const char c = quoted[i];
        const char next = i + 1 < quoted.size() ? quoted[i + 1] : '\0';
        if (c == '"' && next == '"') {
            bytes += '"';
            ++i;
        } else if (c == '\\' && (next == 'r' || next == 'n' || next == 't' || next == '\\')) {
            bytes += next == 'r' ? '\r' : next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
            ++i;
        } else {
            bytes += c;
        }
    }
    return Utf8Codec().FromAnsi(bytes).value_or(L"");
}

}  // namespace

std::map<unsigned, std::wstring> StringTable(const std::string& language) {
    std::map<std::string, unsigned> ids;
    const std::string header = ReadWhole(TITLEBAR_SOURCE_DIR "/src/common/text_ids.h");
    const std::regex define(R"(#define (IDS_\w+) (\d+))");
    for (auto it = std::sregex_iterator(header.begin(), header.end(), define);
         it != std::sregex_iterator(); ++it) {
        ids[(*it)[1].str()] = static_cast<unsigned>(std::stoul((*it)[2].str()));
    }
    std::map<unsigned, std::wstring> table;
    const std::string script = ReadWhole(TITLEBAR_SOURCE_DIR "/src/app/lang/" + language + ".rc");
    const std::regex entry(R"re(\n\s*(IDS_\w+)\s+"((?:[^"]|"")*)")re");
    for (auto it = std::sregex_iterator(script.begin(), script.end(), entry);
         it != std::sregex_iterator(); ++it) {
        if (const auto id = ids.find((*it)[1].str()); id != ids.end()) {
            table[id->second] = Unescaped((*it)[2].str());
        }
    }
    return table;
}

std::wstring FakeTexts::Text(unsigned id) const {
    static const std::map<unsigned, std::wstring> english = StringTable("en-US");
    const auto found = english.find(id);
    return found != english.end() ? found->second : std::wstring();
}
