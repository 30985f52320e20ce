// golden-diff: compares a runner output with its golden file, field by field.
//
//   golden-diff EXPECTED.json ACTUAL.json
//
// Prints one line per differing field, named by its path (a step is named by its index
// and event, so "steps[4](tick).commands[2]"), with the expected and the actual value,
// and exits 1 when there is any difference; exit 2 when a file cannot be read.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::ordered_json;

constexpr int kMaxReported = 40;

struct Report {
    int count = 0;

    void Add(const std::string& path, const std::string& what) {
        ++count;
        if (count <= kMaxReported)
            std::printf("  %s: %s\n", path.c_str(), what.c_str());
    }
};

std::string Show(const Json& value) {
    std::string text = value.dump();
    constexpr std::size_t kLimit = 200;
    if (text.size() > kLimit)
        text = text.substr(0, kLimit) + "...";
    return text;
}

std::string ElementPath(const std::string& path, std::size_t index, const Json& element) {
    std::string name = path + "[" + std::to_string(index) + "]";
    if (element.is_object() && element.contains("event") && element["event"].is_string())
        name += "(" + element["event"].get<std::string>() + ")";
    return name;
}

// An array of plain values (command lines, list items).
bool IsFlat(const Json& array) {
    for (const Json& element : array) {
        if (element.is_structured())
            return false;
    }
    return true;
}

// Lines that differ in number: which were dropped and which were added, by the longest
// common subsequence, so that one added command reads as one line.
void DiffLines(const Json& expected, const Json& actual, const std::string& path, Report& report) {
    const std::size_t n = expected.size();
    const std::size_t m = actual.size();
    std::vector<std::vector<std::size_t>> common(n + 1, std::vector<std::size_t>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;) {
            common[i][j] = expected[i] == actual[j] ? common[i + 1][j + 1] + 1
                                                    : std::max(common[i + 1][j], common[i][j + 1]);
        }
    }
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && expected[i] == actual[j]) {
            ++i;
            ++j;
        } else if (j < m && (i == n || common[i][j + 1] >= common[i + 1][j])) {
            report.Add(path + "[" + std::to_string(j) + "]", "added " + Show(actual[j]));
            ++j;
        } else {
            report.Add(path + "[" + std::to_string(i) + "]", "dropped " + Show(expected[i]));
            ++i;
        }
    }
}

void Compare(const Json& expected, const Json& actual, const std::string& path, Report& report) {
    if (expected.type() != actual.type()) {
        report.Add(path, "expected " + Show(expected) + ", got " + Show(actual));
        return;
    }
    if (expected.is_object()) {
        for (const auto& [key, value] : expected.items()) {
            const std::string child = path.empty() ? key : path + "." + key;
            if (!actual.contains(key))
                report.Add(child, "missing (expected " + Show(value) + ")");
            else
                Compare(value, actual[key], child, report);
        }
        for (const auto& [key, value] : actual.items()) {
            if (!expected.contains(key))
                report.Add(path.empty() ? key : path + "." + key, "unexpected " + Show(value));
        }
        return;
    }
    if (expected.is_array() && IsFlat(expected) && IsFlat(actual) &&
        expected.size() != actual.size()) {
        DiffLines(expected, actual, path, report);
        return;
    }
    if (expected.is_array()) {
        const std::size_t common = std::min(expected.size(), actual.size());
        for (std::size_t i = 0; i < common; ++i)
            Compare(expected[i], actual[i], ElementPath(path, i, expected[i]), report);
        for (std::size_t i = common; i < expected.size(); ++i)
            report.Add(ElementPath(path, i, expected[i]), "missing " + Show(expected[i]));
        for (std::size_t i = common; i < actual.size(); ++i)
            report.Add(ElementPath(path, i, actual[i]), "unexpected " + Show(actual[i]));
        return;
    }
    if (expected != actual)
        report.Add(path, "expected " + Show(expected) + ", got " + Show(actual));
}

bool Load(const char* name, Json& document) {
    std::ifstream in(name);
    if (!in)
        return false;
    document = Json::parse(in, nullptr, false);
    return !document.is_discarded();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: golden-diff EXPECTED.json ACTUAL.json\n");
        return 2;
    }
    Json expected;
    Json actual;
    for (int i = 1; i <= 2; ++i) {
        if (!Load(argv[i], i == 1 ? expected : actual)) {
            std::fprintf(stderr, "golden-diff: cannot read %s as JSON\n", argv[i]);
            return 2;
        }
    }
    Report report;
    Compare(expected, actual, "", report);
    if (report.count > kMaxReported)
        std::printf("  ... %d differences in all\n", report.count);
    return report.count == 0 ? 0 : 1;
}
