#include "StorageRegistry.h"

namespace gdl {

namespace {
const char* ItemOf(RegRoot root) {
    return root == RegRoot::LocalMachine ? kStorageMachineItem : kStorageUserItem;
}
}  // namespace

RegistryHive StorageRegistry::LoadHive(RegRoot root, LoadState& state) const {
    const std::optional<std::string> text = store_.Get(ItemOf(root));
    if (!text) {
        state = LoadState::Missing;
        return {};
    }
    std::optional<RegistryHive> hive = ParseHive(*text);
    state = hive ? LoadState::Ok : LoadState::Unusable;
    return hive ? std::move(*hive) : RegistryHive{};
}

bool StorageRegistry::StoreHive(RegRoot root, const RegistryHive& hive) {
    return store_.Set(ItemOf(root), SerializeHive(hive));
}

}  // namespace gdl
