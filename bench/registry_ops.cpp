// Counts the registry operations that one start and one OK make, with both
// title values present, through the in-memory registry.
#include <cstdio>
#include <string>

#include "support/memory_registry.h"
#include "support/raw_values.h"
#include "window/form_handlers.h"

namespace {

class SilentView final : public FormView {
public:
    void SetLabel3Caption(const std::wstring&) override {}
    void SetText1Text(const std::wstring& text) override { text1_ = text; }
    std::wstring Text1Text() const override { return text1_; }
    void Hide() override {}
    void Show() override {}
    void FocusText1() override {}
    void Unload() override {}
    void ShowMessage(const std::wstring&, const std::wstring&, Icon) override {}

private:
    std::wstring text1_;
};

class NoTexts final : public Texts {
public:
    std::wstring SystemErrorText(Win32Error) const override { return {}; }
    std::wstring Text(unsigned) const override { return {}; }
};

void Seed(MemoryRegistry& api, RegRoot root, const std::string& title) {
    SeedValue(api, root, "Software\\Microsoft\\Internet Explorer\\Main", "Window Title",
              reg_type::kSz, title + '\0');
}

}  // namespace

int main() {
    MemoryRegistry api;
    const Cp1252Codec codec;
    Seed(api, RegRoot::kCurrentUser, "Mine");
    Seed(api, RegRoot::kLocalMachine, "Corporate");
    SilentView view;

    std::size_t before = api.Calls().size();
    FormState state;
    Form_Load(view, {api, codec}, state);
    const std::size_t start = api.Calls().size() - before;
    before = api.Calls().size();
    Command1_Click(view, {api, codec}, NoTexts(), state);
    const std::size_t ok = api.Calls().size() - before;

    std::printf("- registry operations for one start: %zu (design allows at most 8)\n", start);
    std::printf("- registry operations for one OK: %zu (design allows at most 3)\n", ok);
    return start <= 8 && ok <= 3 ? 0 : 1;
}
