#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace OV {
class ProjectDbModuleBean;
}

namespace OV::Test {

class StandinHub;

// Opens a new project "<name>.ovpf" in the folder through the process-wide project manager
// (any open project is closed first); false when it cannot be made.
bool openFreshProject(const QString& folder, const QString& name);

// Stores modules of the given product with these serial numbers; their record ids, in order.
std::vector<int64_t> addModules(const std::vector<QString>& serials, uint64_t productId = 0x10000001);

// Stores the hub as the project's host, makes it the current hub and pairs with it; true once
// the session is ready.
bool pairCurrentHub(StandinHub& hub, const QString& serial, int timeoutMs = 10000);

} // namespace OV::Test
