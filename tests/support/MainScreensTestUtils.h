#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace OV {
class MainWindow;
class ProjectDbModuleBean;
} // namespace OV

namespace OV::Test {

class StandinHub;

// Opens a new project "<name>.ovpf" in the folder through the process-wide project manager
// (any open project is closed first); false when it cannot be made.
bool openFreshProject(const QString& folder, const QString& name);

// A project "<name>.ovpf" made in the folder and closed again, at the front of the recent list;
// its path, or empty when it cannot be made.
QString makeClosedProject(const QString& folder, const QString& name);

// Opens the project file and shows a main window on it that deletes itself when closed; null
// when the project does not open.
MainWindow* openMainWindow(const QString& file);

// Stores modules of the given product with these serial numbers; their record ids, in order.
std::vector<int64_t> addModules(const std::vector<QString>& serials, uint64_t productId = 0x10000001);

// Stores the hub as the project's host, makes it the current hub and pairs with it; true once
// the session is ready.
bool pairCurrentHub(StandinHub& hub, const QString& serial, int timeoutMs = 10000);

} // namespace OV::Test
