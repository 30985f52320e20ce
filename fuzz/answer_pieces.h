// What the fuzz targets of drive answers share: the Windows 98 PC with one drive that
// the answers are read on, the input cut into those answers, and what an input left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kept_pc.h"
#include "vpc/scenario.h"

namespace tessaly::fuzz {

// A Windows 98 PC whose ASPI manager completes requests inside the call, with one
// adapter "ha" on the given bus holding `device`.
inline vpc::Scenario OneDrivePc(vpc::BusKind bus, const vpc::DeviceSpec& device) {
    vpc::Scenario scenario;
    scenario.os.platform = 1;
    scenario.os.major = 4;
    scenario.os.minor = 10;
    scenario.aspi.emplace();
    scenario.aspi->completion = vpc::AspiCompletion::kDirect;
    vpc::AdapterSpec adapter;
    adapter.bus = bus;
    adapter.identifier = "ha";
    adapter.devices.push_back(device);
    scenario.adapters.push_back(adapter);
    return scenario;
}

// Cuts the input at FFh bytes into the answers of the commands `keys` names, in order;
// an empty piece, or one beyond the keys, leaves its command to the emulated drive.
inline Answers AnswerPieces(const std::uint8_t* data, std::size_t size, const char* const* keys,
                            std::size_t keyCount) {
    Answers answers;
    std::size_t key = 0;
    std::vector<std::uint8_t> piece;
    auto flush = [&] {
        if (key < keyCount && !piece.empty())
            answers[keys[key]] = piece;
        piece.clear();
        ++key;
    };
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF)
            flush();
        else
            piece.push_back(data[i]);
    }
    flush();
    return answers;
}

// What one input left, for comparing runs: the commands that reached the drives and the
// texts and values read.
struct Outcome {
    std::vector<std::string> commands;
    std::vector<std::string> texts;

    friend bool operator==(const Outcome&, const Outcome&) = default;
};

}  // namespace tessaly::fuzz
