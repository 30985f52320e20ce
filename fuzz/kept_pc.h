// A virtual PC with its transport started, kept by a fuzz target for the whole process:
// building the PC (its registry above all) and starting the transport cost many times
// what one input does. Before each input Reset puts both back in the state they had
// right after start-up, so that an input gives the same commands and texts whatever
// inputs ran before it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "transport/scsi_transport.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace tessaly::fuzz {

using Answers = std::map<std::string, std::vector<std::uint8_t>>;

class KeptPc {
  public:
    // Starts the transport on a PC whose drives answer as `scenario` says.
    explicit KeptPc(vpc::Scenario scenario) : pc_(std::move(scenario)), transport_(pc_) {
        transport_.Initialize();
    }

    // Restarts the drive at adapter:target with `answers` injected, and forgets what the
    // last input left: the command log, the registry opens and every address's sense.
    ScsiTransport& Reset(std::size_t adapter, std::uint8_t target, Answers answers) {
        if (vpc::EmulatedDrive* drive = pc_.DriveAt(adapter, target))
            drive->Restart(std::move(answers));
        pc_.ClearCommandLog();
        pc_.Registry().ClearOpens();
        transport_.ForgetSense();
        return transport_;
    }

    vpc::VirtualPc& Pc() { return pc_; }
    ScsiTransport& Transport() { return transport_; }

  private:
    vpc::VirtualPc pc_;
    ScsiTransport transport_;
};

// Kept PCs by a key of the input's choosing (the drive's model and bus, say), each built
// the first time its key comes.
template <typename Key>
class KeptPcs {
  public:
    template <typename Build>
    KeptPc& Get(const Key& key, Build build) {
        auto& kept = pcs_[key];
        if (!kept)
            kept = std::make_unique<KeptPc>(build());
        return *kept;
    }

  private:
    std::map<Key, std::unique_ptr<KeptPc>> pcs_;
};

}  // namespace tessaly::fuzz
