// Reading scenario files: the values the virtual PC is built from and the one-line
// errors that name the bad value.
#include <gtest/gtest.h>

#include <fstream>

#include "vpc/drive_models.h"
#include "vpc/scenario.h"
#include "vpc_test_support.h"

namespace tessaly::vpc::testing {
namespace {

std::string WithDrive(const std::string& drive) {
    return Json({kXp, R"("adapters": [{"devices": [{"target": 1, "letter": "E", "drive": )" +
                          drive + "}]}]"});
}

TEST(VpcScenario, ErrorsNameTheValueAndTheProblem) {
    struct Row {
        const char* label;
        std::string json;
        std::string error;
    };
    const Row rows[] = {
        {"truncated", R"({"os": )",
         "scenario: bad JSON at byte 8: syntax error while parsing value - unexpected end of "
         "input"},
        {"not an object", "[1, 2]", "scenario: expected a JSON object at the top level"},
        {"no os", R"({"date": "2003-05-14"})", "scenario: os: missing"},
        {"no platform", R"({"os": {"major": 5}})", "scenario: os.platform: missing"},
        {"platform 3", R"({"os": {"platform": 3}})",
         "scenario: os.platform: expected 1 (Windows 9x) or 2 (NT)"},
        {"negative", R"({"os": {"platform": 2, "build": -1}})", "os.build: out of range"},
        {"float", R"({"os": {"platform": 2.5}})", "os.platform: expected a number"},
        {"bad number text", R"({"os": {"platform": "0x"}})", R"(os.platform: bad number "0x")"},
        {"bad date", Json({kXp, R"("date": "2003-13-01")"}), R"(date: bad date "2003-13-01")"},
        {"unknown model", WithDrive(R"({"model": "CD-R VW9999"})"),
         R"(scenario: adapters[0].devices[0].drive.model: unknown model "CD-R VW9999")"},
        {"bad hex", WithDrive(R"({"answers": {"43/4": "00 1a 0g"}})"),
         R"(scenario: adapters[0].devices[0].drive.answers["43/4"]: bad hex "0g")"},
        {"odd hex", WithDrive(R"({"answers": {"12": "001"}})"), R"(answers["12"]: bad hex "001")"},
        {"page on a command without pages", WithDrive(R"({"answers": {"51/2": "00"}})"),
         R"(answers["51/2"]: bad command key "51/2")"},
        {"page out of range", WithDrive(R"({"fail": {"1a/40": "05/24/00"}})"),
         R"(fail["1a/40"]: bad command key)"},
        {"two parts of sense", WithDrive(R"({"fail": {"51": "02/3a"}})"),
         R"(fail["51"]: bad sense "02/3a" (expected KK/AA/QQ in hex))"},
        {"sense key above f", WithDrive(R"({"fail": {"51": "12/3a/01"}})"),
         R"(bad sense "12/3a/01")"},
        {"bad disc kind", WithDrive(R"({"disc": {"kind": "dvd"}})"),
         R"(drive.disc.kind: unknown disc kind "dvd")"},
        {"bad lead-in", WithDrive(R"({"disc": {"lead_in": "97:60:01"}})"),
         R"(drive.disc.lead_in: bad time "97:60:01")"},
        {"bad tray", WithDrive(R"({"tray": "ajar"})"), R"(drive.tray: bad tray "ajar")"},
        {"long vendor", WithDrive(R"({"vendor": "VARNOTH CO"})"),
         "drive.vendor: longer than 8 characters"},
        {"target 16", Json({kXp, R"("adapters": [{"devices": [{"target": 16}]}])"}),
         "adapters[0].devices[0].target: out of range (0..15)"},
        {"target twice",
         Json({kXp, R"("adapters": [{"devices": [{"target": 1}, {"target": "0x1"}]}])"}),
         "adapters[0].devices[1].target: target 1 used twice"},
        {"letter 5", Json({kXp, R"("adapters": [{"devices": [{"target": 1, "letter": "5"}]}])"}),
         R"(adapters[0].devices[0].letter: bad drive letter "5" (expected A..Z))"},
        {"letter twice",
         Json({kXp, R"("adapters": [{"devices": [{"target": 1, "letter": "E"}]}],)"
                    R"("external": [{"letter": "e", "bus": "usb"}])"}),
         "external[0].letter: letter E used twice"},
        {"external on atapi", Json({kXp, R"("external": [{"letter": "G", "bus": "atapi"}])"}),
         R"(external[0].bus: bad bus "atapi" (usb, 1394))"},
        {"completion", Json({kXp, R"("aspi": {"completion": "later"})"}),
         R"(aspi.completion: bad completion "later")"},
        {"manager bits", Json({kXp, R"("aspi": {"bits": 16})"}), "aspi.bits: expected 32 or 64"},
        {"program bits", Json({kXp, R"("program_bits": 128)"}),
         "program_bits: out of range (0..64)"},
        {"control characters quoted", WithDrive("{\"model\": \"A\\nB\"}"),
         R"(unknown model "A\x0aB")"},
    };
    for (const Row& row : rows) {
        std::string error;
        EXPECT_FALSE(ParseScenario(row.json, error).has_value()) << row.label;
        EXPECT_NE(error.find(row.error), std::string::npos)
            << row.label << ": got " << error << "\nwanted " << row.error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << row.label;
    }
}

TEST(VpcScenario, AtMostTwentySixAdapters) {
    std::string adapters;
    for (int i = 0; i < 27; ++i)
        adapters += std::string(i ? "," : "") + "{}";
    std::string error;
    EXPECT_FALSE(ParseScenario(Json({kXp, "\"adapters\": [" + adapters + "]"}), error));
    EXPECT_EQ(error, "scenario: adapters: more than 26 entries");
    const std::string twentySix = adapters.substr(3);
    const auto scenario = ParseScenario(Json({kXp, "\"adapters\": [" + twentySix + "]"}), error);
    ASSERT_TRUE(scenario) << error;
    EXPECT_EQ(scenario->adapters.size(), 26u);
}

TEST(VpcScenario, ReadsEveryFieldOfTheContractExample) {
    const Scenario s = ScenarioFrom(R"({
      "os": { "platform": 2, "major": 5, "minor": 1, "build": 2600, "service": "Service Pack 2" },
      "date": "2003-05-14",
      "aspi": { "file_version": null, "description": "d", "company": "c", "exports": false,
                "status": "0xE8", "completion": "direct" },
      "event_creation": false,
      "adapters": [ { "bus": "atapi", "identifier": "atapi", "scsi_id": "0x05",
        "devices": [ { "target": "0x0f", "letter": "e", "bus": 2, "drive": {
          "model": "CD-R   VW2410A", "vendor": "VARNOTH ", "product": "CD-R   VW2410A  ",
          "revision": "1.04", "peripheral": 5, "serial": "0001f", "usage_seconds": 3725,
          "jumper": 5, "read_speed_kbs": 5632, "speed_index": 4, "passthrough_error": 1117,
          "underrun": { "supported": true, "enabled": false }, "tray": "open",
          "disc": { "kind": "cd-rw", "lead_in": "97:26:65", "lead_out": "74:00:00",
                    "subtype": 1, "a1": "0x12", "a2": "0x00", "hc_lead_out": "89:59:74",
                    "sessions": 2, "c0": "97:24:10", "capacity_lba": "359847", "ready_after": 3 },
          "answers": { "43/04": "00 1a 00 00", "1A/2A": "0102" },
          "fail": { "51": "02/3a/01" } } } ] } ],
      "external": [ { "letter": "G", "bus": "1394", "drive": { "model": "DVDR   VD0708AF" } } ],
      "registry": { "HKLM\\X": { "Driver": "atapi", "Multi": ["a", "b"],
                                 "Bin": { "hex": "01 02" }, "Count": 7 } },
      "registry_remove": [ "HKLM\\System\\MountedDevices" ],
      "printer": { "width": 4800, "height": 6600, "cancel": true },
      "prompts": { "usb_warning": "cancel" },
      "unknown_key": { "ignored": true }
    })");
    EXPECT_EQ(s.os.build, 2600u);
    EXPECT_EQ(s.os.service, "Service Pack 2");
    ASSERT_TRUE(s.date);
    EXPECT_EQ(s.date->year, 2003);
    EXPECT_EQ(s.date->day, 14);
    ASSERT_TRUE(s.aspi);
    EXPECT_FALSE(s.aspi->fileVersion);
    EXPECT_FALSE(s.aspi->exports);
    EXPECT_EQ(s.aspi->status, 0xE8);
    EXPECT_EQ(s.aspi->completion, AspiCompletion::kDirect);
    EXPECT_FALSE(s.eventCreation);
    ASSERT_EQ(s.adapters.size(), 1u);
    EXPECT_EQ(s.adapters[0].bus, BusKind::kAtapi);
    EXPECT_EQ(s.adapters[0].scsiId, 5);
    const DeviceSpec& device = s.adapters[0].devices.at(0);
    EXPECT_EQ(device.target, 15);
    EXPECT_EQ(device.letter, 'E');
    EXPECT_EQ(device.bus, 2);
    const DriveSpec& d = device.drive;
    EXPECT_EQ(d.model, "CD-R   VW2410A");
    EXPECT_EQ(d.revision, "1.04");
    EXPECT_EQ(d.usageSeconds, 3725u);
    EXPECT_EQ(d.readSpeedKbs, 5632);
    EXPECT_EQ(d.passthroughError, 1117u);
    ASSERT_TRUE(d.underrun);
    EXPECT_TRUE(d.underrun->supported);
    EXPECT_FALSE(d.underrun->enabled);
    EXPECT_EQ(d.tray, TrayState::kOpen);
    ASSERT_TRUE(d.disc);
    EXPECT_EQ(d.disc->kind, DiscKind::kCdRw);
    EXPECT_EQ(d.disc->leadIn, (Msf{97, 26, 65}));
    EXPECT_EQ(d.disc->a1, 0x12);
    EXPECT_EQ(d.disc->sessions, 2u);
    EXPECT_EQ(d.disc->capacityLba, 359847u);
    EXPECT_EQ(d.disc->readyAfter, 3u);
    // Keys are kept in the form the emulator looks up.
    EXPECT_EQ(d.answers.at("43/4"), (std::vector<std::uint8_t>{0x00, 0x1a, 0x00, 0x00}));
    EXPECT_EQ(d.answers.at("1a/2a"), (std::vector<std::uint8_t>{0x01, 0x02}));
    EXPECT_EQ(d.fail.at("51"), (SenseCode{0x02, 0x3a, 0x01}));
    ASSERT_EQ(s.external.size(), 1u);
    EXPECT_EQ(s.external[0].bus, BusKind::k1394);
    const auto& values = s.registry.at("HKLM\\X");
    EXPECT_EQ(values.at("Driver").text, "atapi");
    EXPECT_EQ(values.at("Multi").strings.size(), 2u);
    EXPECT_EQ(values.at("Bin").bytes.size(), 2u);
    EXPECT_EQ(values.at("Count").dword, 7u);
    EXPECT_EQ(s.registryRemove.size(), 1u);
    ASSERT_TRUE(s.printer);
    EXPECT_TRUE(s.printer->cancel);
    EXPECT_EQ(s.prompts.at("usb_warning"), PromptAnswer::kCancel);
}

TEST(VpcScenario, DefaultsOfAMinimalScenario) {
    const Scenario s =
        ScenarioFrom(Json({kWin98, R"("aspi": {}, "adapters": [{"devices": [{"target": 2}]}])"}));
    EXPECT_EQ(s.os.platform, 1u);
    ASSERT_TRUE(s.aspi);
    EXPECT_EQ(s.aspi->status, 1);
    EXPECT_TRUE(s.aspi->exports);
    EXPECT_EQ(s.aspi->completion, AspiCompletion::kPending);
    EXPECT_TRUE(s.eventCreation);
    EXPECT_EQ(s.aspi->bits, 32);
    EXPECT_EQ(s.programBits, 32);
    EXPECT_EQ(s.adapters[0].scsiId, 7);
    EXPECT_FALSE(s.adapters[0].alignmentMask) << "word alignment reported, nothing enforced";
    const DeviceSpec& device = s.adapters[0].devices[0];
    EXPECT_EQ(device.letter, 0);
    EXPECT_EQ(device.bus, 0);
    EXPECT_FALSE(device.drive.model);
    EXPECT_EQ(device.drive.tray, TrayState::kClosed);
    EXPECT_FALSE(device.drive.disc);
}

TEST(VpcScenario, EveryModelKeyIsAccepted) {
    ASSERT_EQ(DriveModels().size(), kDriveModelCount);
    for (const DriveModel& model : DriveModels()) {
        const Scenario s =
            ScenarioFrom(WithDrive(R"({"model": ")" + std::string(model.key) + "\"}"));
        ASSERT_EQ(s.adapters.size(), 1u);
        EXPECT_EQ(s.adapters[0].devices[0].drive.model, model.key);
    }
    EXPECT_EQ(FindDriveModel("CD-ROM VN32S")->name, "Varnoth Spin 32S");
    EXPECT_EQ(FindDriveModel("CD-ROM VN32S/2")->name, "Varnoth Spin 32S (rev. 2)");
    EXPECT_TRUE(FindDriveModel("CD-R   VW5232A")->Flag(1));
    EXPECT_FALSE(FindDriveModel("CD-R   VW5232A")->Flag(7));
    EXPECT_EQ(FindDriveModel("CD-R   VW2410"), nullptr);
}

TEST(VpcScenario, ExampleScenarioFilesLoad) {
    for (const char* name : {"default.json", "win98.json", "nt4.json"}) {
        std::string error;
        const auto scenario =
            LoadScenarioFile(std::string(TESSALY_SOURCE_DIR) + "/scenarios/" + name, error);
        EXPECT_TRUE(scenario) << error;
    }
}

TEST(VpcScenario, FileErrorsNameTheFile) {
    std::string error;
    EXPECT_FALSE(LoadScenarioFile("no/such/file.json", error));
    EXPECT_EQ(error, "no/such/file.json: cannot open the file");

    const std::string path = ::testing::TempDir() + "vpc_bad_scenario.json";
    std::ofstream(path) << R"({"os": {"platform": 2}, "adapters": [{"scsi_id": 99}]})";
    EXPECT_FALSE(LoadScenarioFile(path, error));
    EXPECT_EQ(error, path + ": adapters[0].scsi_id: out of range (0..15)");
}

}  // namespace
}  // namespace tessaly::vpc::testing

namespace tessaly::vpc::testing {
namespace {

TEST(VpcScenario, UsageCounterMayBeNegative) {
    struct Row {
        const char* value;
        std::uint32_t stored;
    };
    const Row rows[] = {{"-3600", 0xFFFFF1F0u},
                        {"\"0xfffff1f0\"", 0xFFFFF1F0u},
                        {"7200", 7200u},
                        {"-2147483648", 0x80000000u}};
    for (const Row& row : rows) {
        std::string error;
        const auto s = ParseScenario(
            std::string(R"({"os": {"platform": 2, "major": 5}, "adapters": [{"devices": [
                {"target": 0, "drive": {"usage_seconds": )") +
                row.value + "}}]}]}",
            error);
        ASSERT_TRUE(s.has_value()) << row.value << ": " << error;
        EXPECT_EQ(s->adapters[0].devices[0].drive.usageSeconds, row.stored) << row.value;
    }
    std::string error;
    EXPECT_FALSE(ParseScenario(R"({"os": {"platform": 2, "major": 5}, "adapters": [{"devices": [
        {"target": 0, "drive": {"usage_seconds": -2147483649}}]}]})",
                               error));
    EXPECT_NE(error.find("usage_seconds"), std::string::npos);
}

}  // namespace
}  // namespace tessaly::vpc::testing
