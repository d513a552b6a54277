// The registries that the store's behaviour suite runs against: the
// in-memory one everywhere, and the real one where there is a Windows
// registry, with its roots redirected into a scratch key.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/registry_api.h"
#include "support/memory_registry.h"
#include "support/raw_values.h"
#ifdef _WIN32
#include "store/win_registry.h"
#include "support/scratch_registry.h"
#endif

class TestRegistry {
public:
    virtual ~TestRegistry() = default;
    virtual Registry Get() = 0;
    // The in-memory registry, for checks that only it can make.
    virtual MemoryRegistry* Memory() { return nullptr; }
    virtual bool Ready() const { return true; }
};

class MemoryTestRegistry final : public TestRegistry {
public:
    Registry Get() override { return {api_, codec_}; }
    MemoryRegistry* Memory() override { return &api_; }

private:
    MemoryRegistry api_;
    Cp1252Codec codec_;
};

#ifdef _WIN32
class WindowsTestRegistry final : public TestRegistry {
public:
    Registry Get() override { return {api_, codec_}; }
    bool Ready() const override { return roots_.Active(); }

private:
    ScratchRegistryRoots roots_;
    WinRegistryApi api_;
    WinAnsiCodec codec_;
};
#endif

struct Backend {
    const char* name;
    std::unique_ptr<TestRegistry> (*make)();
};

inline std::vector<Backend> AllBackends() {
    std::vector<Backend> backends{
        {"Memory", [] { return std::unique_ptr<TestRegistry>(new MemoryTestRegistry); }}};
#ifdef _WIN32
    backends.push_back(
        {"Windows", [] { return std::unique_ptr<TestRegistry>(new WindowsTestRegistry); }});
#endif
    return backends;
}

inline std::string BackendName(const testing::TestParamInfo<Backend>& param) {
    return param.param.name;
}

// Test names for cases that pair a backend with a named shape.
template <class Shape>
std::string BackendShapeName(const testing::TestParamInfo<std::tuple<Backend, Shape>>& param) {
    return std::string(std::get<0>(param.param).name) + "_" + std::get<1>(param.param).name;
}

template <class Case>
std::string CaseName(const testing::TestParamInfo<Case>& param) {
    return param.param.name;
}
