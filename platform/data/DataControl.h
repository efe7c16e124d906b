#pragma once

#include "db/Recordset.h"

#include <QObject>
#include <QString>
#include <memory>

namespace db { class Database; }

namespace data {

// A window's data control: database name + record source (a select in the
// legacy dialect) + the record set opened on them. Bound widgets and grids
// show its current record; nothing is written on navigation, only by an
// explicit update.
class DataControl : public QObject {
    Q_OBJECT
public:
    explicit DataControl(QObject *parent = nullptr);
    ~DataControl() override;

    void setDatabaseName(const QString &path);
    QString databaseName() const;
    void setRecordSource(const QString &legacySql);
    QString recordSource() const;
    void setConnect(const QString &connect);
    QString connect() const;

    // Opens (again) the record set on the record source; throws db::DbError.
    void refresh();
    // Null before the first successful refresh.
    db::Recordset *recordset() const;
    db::Database *database() const;
    db::EditMode editMode() const;

Q_SIGNALS:
    void refreshed();                       // a new record set is in place
    void currentChanged();                  // moved to another row
    void editModeChanged(db::EditMode mode);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace data
