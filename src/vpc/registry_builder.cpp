#include "vpc/registry_builder.h"

#include "vpc/registry_families.h"

namespace tessaly::vpc {

void BuildRegistry(const Scenario& scenario, VirtualRegistry& registry) {
    if (scenario.os.platform == platform::kVerPlatformWin32Nt)
        registry::BuildNt(scenario, registry);
    else
        registry::BuildWin9x(scenario, registry);
    // The scenario's own entries come last, so that they can change or remove
    // anything built above.
    for (const auto& [keyPath, values] : scenario.registry) {
        registry.CreateKey(keyPath);
        for (const auto& [name, value] : values)
            registry.SetValue(keyPath, name, value);
    }
    for (const std::string& path : scenario.registryRemove)
        registry.Remove(path);
}

}  // namespace tessaly::vpc
