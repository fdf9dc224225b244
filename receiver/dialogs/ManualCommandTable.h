#pragma once
// The catalogue of receiver commands that the manual command window offers:
// constant rows in five protocol groups, and the choice of the group that
// suits a receiver model and protocol.

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

struct ManualCommandRecord {
  QString name;         // listed in the command box; the lookup key
  QString prefix;       // fixed start of the message
  QString description;  // one line naming the command
  qint32 length;        // nominal size, kept for reference only
  QString defaults;     // parameter text put into the parameter field
};

// A contiguous run of rows of the table.
struct ManualCommandGroup {
  int first = 0;
  int count = 0;
};

namespace ManualCommandGroups {
constexpr ManualCommandGroup Oncore{0, 103};
constexpr ManualCommandGroup MotorolaNmea{103, 9};
constexpr ManualCommandGroup Ubx{112, 9};
constexpr ManualCommandGroup UbxNmeaRate{121, 13};
constexpr ManualCommandGroup NmeaText{134, 5};
}  // namespace ManualCommandGroups

class ManualCommandTable
{
public:
  ManualCommandTable();

  int size() const { return static_cast<int>(rows.size()); }
  const ManualCommandRecord &at(int row) const { return rows.at(static_cast<size_t>(row)); }

  // The first row of the group whose name equals `name` exactly, or null.
  // Rows outside the table are never read, whatever the group says.
  const ManualCommandRecord *Find(ManualCommandGroup group, const QString &name) const;

private:
  std::vector<ManualCommandRecord> rows;
};

// What a fill of the command box does for a receiver model and protocol.
struct ManualCommandListChoice {
  bool chosen = false;            // false: box left empty, active group kept
  ManualCommandGroup group;
  bool hideSynergyQueries = false;  // leave out the "@@S" rows but "@@Sc"
};

ManualCommandListChoice ChooseManualCommandGroup(quint32 model, quint32 mode);

// The names a fill puts into the box, in row order.
QStringList ManualCommandNames(const ManualCommandTable &table, const ManualCommandListChoice &choice);
