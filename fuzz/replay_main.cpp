// Runs every kept input of one fuzz target once, without libFuzzer: the test suite's
// way of keeping each input that once found a fault a regression test. The build
// compiles every fuzz/*_fuzz.cpp into this program with its entry points renamed
// after the target and lists them in fuzz_replay_targets.inc.
//
//   fuzz_replay <target> <corpus directory>
//
// Exits 0 when every input ran (a fault stops the program through the sanitizers or
// the target's own trap), 1 on a usage error, an unknown target, or a directory
// that does not exist or holds no input.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

struct Target {
    const char* name;
    int (*testOneInput)(const std::uint8_t* data, std::size_t size);
    int (*initialize)(int* argc, char*** argv);  // null when the target has none
};

}  // namespace

#include "fuzz_replay_targets.inc"

namespace {

const Target* FindTarget(std::string_view name) {
    for (const Target& target : kTargets) {
        if (name == target.name)
            return &target;
    }
    return nullptr;
}

bool ReadFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_replay <target> <corpus directory>\n");
        return 1;
    }
    const Target* target = FindTarget(argv[1]);
    if (target == nullptr) {
        std::fprintf(stderr, "fuzz_replay: no target %s\n", argv[1]);
        return 1;
    }
    std::error_code error;
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(argv[2], error)) {
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    }
    if (error || inputs.empty()) {
        std::fprintf(stderr, "fuzz_replay: no inputs in %s\n", argv[2]);
        return 1;
    }
    // A fixed order, so that a fault shows up at the same input on every run.
    std::sort(inputs.begin(), inputs.end());

    const auto start = std::chrono::steady_clock::now();
    if (target->initialize != nullptr)
        target->initialize(&argc, &argv);
    std::vector<std::uint8_t> bytes;
    for (const auto& path : inputs) {
        if (!ReadFile(path, bytes)) {
            std::fprintf(stderr, "fuzz_replay: cannot read %s\n", path.c_str());
            return 1;
        }
        // A heap copy of exactly the input's size, as libFuzzer hands it over, so that a
        // read past the input reaches the sanitizer.
        std::vector<std::uint8_t> input(bytes);
        target->testOneInput(input.data(), input.size());
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("%s: %zu inputs in %lld ms\n", target->name, inputs.size(),
                static_cast<long long>(elapsed.count()));
    return 0;
}
