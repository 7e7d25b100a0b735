#pragma once

#include <QString>

class QSqlDatabase;

namespace OV {

// Whether an opened SQLite file may be read as a project, checked before anything is written
// to it: SQLite must read it, it must be as long as its header says, the b-tree pages of every
// table and index must be sound, and the project tables must have their columns. A new, empty
// database passes when it is being created.
class ProjectFileCheck
{
public:
    // False, with the reason for the user, when the file is not a sound project.
    static bool run(const QSqlDatabase& db, bool create, QString* why);

private:
    // SQLite reads the missing end of a cut-off page as zeros, so a file cut inside its last
    // page opens and even passes an integrity check; its header knows the size it must have.
    static bool hasHeaderSize(const QString& path, QString* why);
    static bool isWalFile(const QString& path);
};

} // namespace OV
