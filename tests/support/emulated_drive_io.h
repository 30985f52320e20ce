// One emulated drive built from a scenario's drive settings, and CDBs sent to it with
// the status, the transferred bytes and the kept sense taken back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/pc_fixture.h"
#include "transport/scsi_command.h"
#include "vpc/emulated_drive.h"
#include "vpc/scenario.h"

namespace tessaly::vpc::testing {

using Bytes = std::vector<std::uint8_t>;

// The settings of a drive given as its scenario JSON, read as target 0 of an XP PC.
inline DriveSpec Drive(const std::string& json) {
    const Scenario s = tessaly::testing::ScenarioFrom(tessaly::testing::Json(
        {tessaly::testing::kXp,
         R"("adapters": [{"devices": [{"target": 0, "drive": )" + json + "}]}]"}));
    return s.adapters.empty() ? DriveSpec{} : s.adapters[0].devices[0].drive;
}

struct Outcome {
    std::uint8_t status = 0xFF;
    Bytes data;       // the bytes transferred
    SenseCode sense;  // the kept sense after the command
};

// Runs one CDB with a buffer of bufferSize bytes; nothing beyond the transferred bytes
// may be touched.
inline Outcome Send(EmulatedDrive& drive, const Bytes& cdb, std::uint32_t bufferSize = 255) {
    Bytes buffer(bufferSize, 0xEE);
    const CommandResult result = drive.Execute(cdb.data(), cdb.size(), buffer.data(), bufferSize);
    const SenseBlock sense = drive.Sense();
    for (std::size_t i = result.transferred; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], 0xEE) << "byte " << i << " beyond the transfer";
    return Outcome{result.status, Bytes(buffer.begin(), buffer.begin() + result.transferred),
                   SenseCode{sense[2], sense[12], sense[13]}};
}

// Send with room for the longest disc answer by default.
inline Outcome SendDisc(EmulatedDrive& drive, const Bytes& cdb, std::uint32_t bufferSize = 4096) {
    return Send(drive, cdb, bufferSize);
}

// count bytes of an answer from at on, as text.
inline std::string Text(const Bytes& data, std::size_t at, std::size_t count) {
    return std::string(data.begin() + at, data.begin() + at + count);
}

}  // namespace tessaly::vpc::testing
