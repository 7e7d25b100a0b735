#pragma once

#include <QMap>
#include <QString>

#include <string>

namespace OV::Test {

class StandinHub;

// The modules a stand-in hub reports on act 30730 (module online states) and whether each is
// online. A request that names serial numbers gets those (unknown ones online); an empty list
// gets every module the hub knows of.
class StandinHubModuleStates
{
public:
    static constexpr int kActModuleOnlineState = 30730;

    // Answers act 30730 on the hub from this table, which must outlive the hub's use of it.
    void install(StandinHub& hub);

    void setOnline(const QString& serialNo, bool online) { m_online[serialNo] = online; }
    void forget(const QString& serialNo) { m_online.remove(serialNo); }
    bool isOnline(const QString& serialNo) const { return m_online.value(serialNo, true); }
    const QMap<QString, bool>& modules() const { return m_online; }

    // The stand-in's typed command "module <serial> online|offline"; true when the line was one
    // (the answer for the person is in `reply`).
    bool runCommand(const std::string& line, std::string& reply);

private:
    QMap<QString, bool> m_online;
};

} // namespace OV::Test
