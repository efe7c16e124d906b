#include "data/DataControl.h"

#include "db/Database.h"
#include "db/DbError.h"

namespace data {

struct DataControl::Impl {
    QString databaseName;
    QString recordSource;
    QString connect;
    std::shared_ptr<db::Database> database;
    std::unique_ptr<db::Recordset> recordset;
};

DataControl::DataControl(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Impl>())
{
}

DataControl::~DataControl() = default;

void DataControl::setDatabaseName(const QString &path) { d->databaseName = path; }
QString DataControl::databaseName() const { return d->databaseName; }
void DataControl::setRecordSource(const QString &legacySql) { d->recordSource = legacySql; }
QString DataControl::recordSource() const { return d->recordSource; }
void DataControl::setConnect(const QString &connect) { d->connect = connect; }
QString DataControl::connect() const { return d->connect; }

void DataControl::refresh()
{
    if (d->recordSource.trimmed().isEmpty())
        throw db::DbError(db::ErrorKind::Syntax, 3078,
                          QStringLiteral("Origine dati del controllo dati non impostata."));
    // Open the new set first: when it fails the control keeps the set it had.
    std::shared_ptr<db::Database> database = db::Database::open(d->databaseName, d->connect);
    std::unique_ptr<db::Recordset> recordset = database->openRecordset(d->recordSource);

    if (d->recordset)
        d->recordset->disconnect(this);
    d->recordset = std::move(recordset);
    d->database = std::move(database);
    db::Recordset *rs = d->recordset.get();
    QObject::connect(rs, &db::Recordset::currentChanged, this, &DataControl::currentChanged);
    QObject::connect(rs, &db::Recordset::editModeChanged, this, &DataControl::editModeChanged);
    Q_EMIT refreshed();
    Q_EMIT currentChanged();
}

db::Recordset *DataControl::recordset() const { return d->recordset.get(); }
db::Database *DataControl::database() const { return d->database.get(); }

db::EditMode DataControl::editMode() const
{
    return d->recordset ? d->recordset->editMode() : db::EditMode::None;
}

} // namespace data
