#pragma once

#include <QDate>
#include <QString>

class Progress;

// Copies of the register taken while the program runs, through SQLite's online
// backup: a copy holds the register as it stood when the copy began, every save
// confirmed before then and none made during it.
namespace Backup {

struct Outcome
{
    bool ok = true;
    bool cancelled = false;
    QString problem; // Romanian, when not ok
};

// The name a copy of that day gets unless the operator chooses another.
QString defaultName(const QDate &day);

// Writes the copy under a temporary name beside target and renames it when
// whole, so a failed or cancelled copy leaves no half file; never over the register.
Outcome copyTo(const QString &registerFile, const QString &target, Progress *progress);

// The daily copies live in a folder beside the register; the newest DailyKept stay.
constexpr int DailyKept = 7;
QString dailyFolder(const QString &registerFile);
bool dailyCopyDue(const QString &registerFile, const QDate &today);
// Takes today's copy and removes the oldest beyond DailyKept.
Outcome keepDailyCopy(const QString &registerFile, const QDate &today, Progress *progress);

} // namespace Backup
