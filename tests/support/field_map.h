// The disc fields as a map from field to text, with every write recorded.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "disc/disc_fields.h"

namespace tessaly::testing {

class FieldMap : public DiscFields {
  public:
    void SetField(DiscField field, std::string_view text) override {
        texts[field] = std::string(text);
        writes.emplace_back(field, std::string(text));
    }
    std::string GetField(DiscField field) override { return Get(field); }
    // The text of a field, or "(unset)" when nothing wrote it.
    std::string Get(DiscField field) const {
        const auto it = texts.find(field);
        return it == texts.end() ? "(unset)" : it->second;
    }

    std::map<DiscField, std::string> texts;
    std::vector<std::pair<DiscField, std::string>> writes;
};

}  // namespace tessaly::testing
