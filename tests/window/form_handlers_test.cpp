// The handlers' order of work, against the in-memory registry and a window
// that records what it is asked.
#include <gtest/gtest.h>

#include "common/text_ids.h"
#include "store/save_result.h"
#include "support/english_texts.h"
#include "support/memory_registry.h"
#include "support/registry_backends.h"
#include "window/form_handlers.h"

namespace {

using namespace std::string_literals;

constexpr const char* kKey = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kValue = "Window Title";

// Each request, with how many registry calls had been made before it.
struct Event {
    std::string what;
    std::wstring text;
    std::size_t registryCalls;
    friend bool operator==(const Event&, const Event&) = default;
};

void PrintTo(const Event& event, std::ostream* out) {
    *out << event.what << "@" << event.registryCalls << " (" << event.text.size() << " chars)";
}

class RecordingView final : public FormView {
public:
    explicit RecordingView(const MemoryRegistry& registry) : registry_(registry) {}

    void SetLabel3Caption(const std::wstring& text) override {
        label3 = text;
        Log("label3", text);
    }
    void SetText1Text(const std::wstring& text) override {
        text1 = text;
        Log("text1", text);
    }
    std::wstring Text1Text() const override { return text1; }
    void Hide() override { Log("hide"); }
    void Show() override { Log("show"); }
    void FocusText1() override {}
    void Unload() override { Log("unload"); }
    void ShowMessage(const std::wstring& text, const std::wstring& caption, Icon icon) override {
        Log((icon == Icon::kError ? "error:"s : "info:"s) + Ascii(caption), text);
    }
    std::wstring label3;
    std::wstring text1;
    std::vector<Event> events;

private:
    void Log(std::string what, std::wstring text = {}) {
        events.push_back({std::move(what), std::move(text), registry_.Calls().size()});
    }
    const MemoryRegistry& registry_;
};

class FormHandlers : public testing::Test {
protected:
    Registry Reg() { return {api_, codec_}; }
    void Seed(RegRoot root, std::string bytes) {
        ASSERT_EQ(SeedValue(api_, root, kKey, kValue, reg_type::kSz, std::move(bytes)), 0);
        seeded_ = api_.Calls().size();
    }
    std::optional<RawValue> UserValue() {
        return ReadRawValue(api_, RegRoot::kCurrentUser, kKey, kValue);
    }

    MemoryRegistry api_;
    Cp1252Codec codec_;
    RecordingView view_{api_};
    FakeTexts errors_;
    FormState state_;
    std::size_t seeded_ = 0;
};

TEST_F(FormHandlers, LoadShowsTheUserTitleAndOffersTheMachineTitle) {
    Seed(RegRoot::kCurrentUser, "Mine\0"s);
    Seed(RegRoot::kLocalMachine, "Machine\0"s);
    Form_Load(view_, Reg(), state_);
    EXPECT_EQ(view_.label3, L"Mine");
    EXPECT_EQ(view_.text1, L"Machine");
}

TEST_F(FormHandlers, LoadOfAnEmptyRegistryShowsNothingAndOffersTheFallback) {
    Form_Load(view_, Reg(), state_);
    EXPECT_EQ(view_.label3, L"");
    EXPECT_EQ(view_.text1, L"Microsoft Internet Explorer");
    // Two reads, each ending at the open of a missing key.
    EXPECT_EQ(api_.Calls().size(), 2u);
}

TEST_F(FormHandlers, OkHidesWritesConfirmsAndUnloadsInThatOrder) {
    view_.text1 = L"New & title";
    Command1_Click(view_, Reg(), errors_, state_);
    const std::vector<Event> expected = {
        {"hide", L"", 0},
        {"info:Registry changed", L"Internet Explorer Titlebar changed to 'New & title '", 3},
        {"unload", L"", 3},
    };
    EXPECT_EQ(view_.events, expected);
    EXPECT_EQ(UserValue(), (RawValue{reg_type::kSz, "New & title\0"s}));
}

TEST_F(FormHandlers, OkWithAnEmptyBoxStoresAnEmptyTitle) {
    view_.text1 = L"";
    Command1_Click(view_, Reg(), errors_, state_);
    ASSERT_EQ(view_.events.size(), 3u);
    EXPECT_EQ(view_.events[1].text, L"Internet Explorer Titlebar changed to ' '");
    EXPECT_EQ(UserValue(), (RawValue{reg_type::kSz, "\0"s}));
}

TEST_F(FormHandlers, AFailedWriteIsReportedAndTheWindowComesBack) {
    Seed(RegRoot::kCurrentUser, "Old\0"s);
    api_.Fail(RegOp::kSet, win32_error::kAccessDenied);
    view_.text1 = L"New";
    Command1_Click(view_, Reg(), errors_, state_);
    const std::vector<Event> expected = {
        {"hide", L"", seeded_},
        {"error:Registry not changed", L"The title was not changed.\r\n\r\nsystem text for 5",
         seeded_ + 3},
        {"show", L"", seeded_ + 3},
    };
    EXPECT_EQ(view_.events, expected);
    EXPECT_EQ(UserValue(), (RawValue{reg_type::kSz, "Old\0"s}));
}

TEST_F(FormHandlers, ATitleTheCodePageCannotCarryIsReportedAndNotWritten) {
    view_.text1 = L"\u03A9";
    Command1_Click(view_, Reg(), errors_, state_);
    ASSERT_EQ(view_.events.size(), 3u);
    EXPECT_EQ(view_.events[1].what, "error:Registry not changed");
    EXPECT_NE(view_.events[1].text.find(L"code page"), std::wstring::npos);
    EXPECT_EQ(view_.events[2].what, "show");
    EXPECT_EQ(api_.Calls().size(), 0u);
}

// A machine title that the code page mangled on the way in is offered as
// read, but OK does not store it back unchanged; an edited one it stores.
TEST_F(FormHandlers, OkRefusesAnOfferedTitleThatLostCharacters) {
    Seed(RegRoot::kCurrentUser, "Mine\0"s);
    Seed(RegRoot::kLocalMachine, "?? Corp\0"s);
    api_.MarkLossy(RegRoot::kLocalMachine, kKey, kValue);
    Form_Load(view_, Reg(), state_);
    ASSERT_EQ(view_.text1, L"?? Corp");

    Command1_Click(view_, Reg(), errors_, state_);
    ASSERT_EQ(view_.events.size(), 5u);
    EXPECT_EQ(view_.events[3].what, "error:Registry not changed");
    EXPECT_NE(view_.events[3].text.find(errors_.Text(IDS_MANGLED_OFFER)), std::wstring::npos);
    EXPECT_EQ(view_.events[4].what, "show");
    EXPECT_EQ(UserValue(), (RawValue{reg_type::kSz, "Mine\0"s}));

    view_.text1 = L"?? Corp, edited";
    Command1_Click(view_, Reg(), errors_, state_);
    EXPECT_EQ(view_.events.back().what, "unload");
    EXPECT_EQ(UserValue(), (RawValue{reg_type::kSz, "?? Corp, edited\0"s}));
}

TEST_F(FormHandlers, CancelHidesAndUnloadsWithoutTouchingTheRegistry) {
    Command2_Click(view_);
    const std::vector<Event> expected = {{"hide", L"", 0}, {"unload", L"", 0}};
    EXPECT_EQ(view_.events, expected);
}

TEST_F(FormHandlers, AboutShowsItsMessageAndNothingElse) {
    Command3_Click(view_, errors_);
    ASSERT_EQ(view_.events.size(), 1u);
    EXPECT_EQ(view_.events[0].what, "info:About");
    EXPECT_EQ(api_.Calls().size(), 0u);
}

}  // namespace
