// The disc fields as a map from control id to text, with every write recorded.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "disc/disc_fields.h"

namespace tessaly::testing {

class FieldMap : public DiscFields {
  public:
    void SetText(int controlId, std::string_view text) override {
        texts[controlId] = std::string(text);
        writes.emplace_back(controlId, std::string(text));
    }
    // The text of a field, or "(unset)" when nothing wrote it.
    std::string Get(int controlId) const {
        const auto it = texts.find(controlId);
        return it == texts.end() ? "(unset)" : it->second;
    }

    std::map<int, std::string> texts;
    std::vector<std::pair<int, std::string>> writes;
};

}  // namespace tessaly::testing
