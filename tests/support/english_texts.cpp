#include "support/english_texts.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "support/memory_registry.h"

namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool IsNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// A string as the resource compiler reads it: "" is a quote, and \r, \n, \t
// and \\ are escapes; the bytes are UTF-8.
std::wstring Unescaped(std::string_view quoted) {
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

// Scanned by hand, not with std::regex: MSVC's regex recurses for every
// character that a repeated group matches and throws error_stack past a
// few hundred (microsoft/STL issue 997), and a usage text is longer.
std::map<std::string, std::wstring> ParseStringTable(std::string_view script) {
    std::map<std::string, std::wstring> table;
    for (std::size_t at = 0; (at = script.find("IDS_", at)) != std::string_view::npos;) {
        const std::size_t before =
            at == 0 ? std::string_view::npos : script.find_last_not_of(" \t", at - 1);
        const bool beginsLine = before == std::string_view::npos || script[before] == '\n';
        std::size_t end = at;
        while (end < script.size() && IsNameCharacter(script[end])) {
            ++end;
        }
        const std::size_t open = script.find_first_not_of(" \t", end);
        if (!beginsLine || open == end || open == std::string_view::npos || script[open] != '"') {
            at = end;
            continue;
        }
        // Up to the quote that is not the first of a "" pair.
        std::size_t close = open + 1;
        while (close < script.size() &&
               (script[close] != '"' || (close + 1 < script.size() && script[close + 1] == '"'))) {
            close += script[close] == '"' ? std::size_t{2} : std::size_t{1};
        }
        table[std::string(script.substr(at, end - at))] =
            Unescaped(script.substr(open + 1, close - open - 1));
        at = close + 1;
    }
    return table;
}

std::map<unsigned, std::wstring> StringTable(const std::string& language) {
    std::map<std::string, unsigned> ids;
    std::istringstream header(ReadWhole(TITLEBAR_SOURCE_DIR "/src/common/text_ids.h"));
    for (std::string line; std::getline(header, line);) {
        std::istringstream words(line);
        std::string define;
        std::string name;
        unsigned id = 0;
        if (words >> define >> name >> id && define == "#define" && name.rfind("IDS_", 0) == 0) {
            ids[name] = id;
        }
    }
    std::map<unsigned, std::wstring> table;
    const std::string script = ReadWhole(TITLEBAR_SOURCE_DIR "/src/app/lang/" + language + ".rc");
    for (auto& [name, text] : ParseStringTable(script)) {
        if (const auto id = ids.find(name); id != ids.end()) {
            table[id->second] = std::move(text);
        }
    }
    return table;
}

std::wstring FakeTexts::Text(unsigned id) const {
    static const std::map<unsigned, std::wstring> english = StringTable("en-US");
    const auto found = english.find(id);
    return found != english.end() ? found->second : std::wstring();
}
