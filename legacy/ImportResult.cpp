#include "legacy/ImportResult.h"

namespace legacy {

qint64 ImportResult::rowsTaken() const
{
    qint64 total = 0;
    for (const TableCount &t : tables)
        total += t.taken;
    return total;
}

QString ImportResult::summary() const
{
    QStringList lines {message};
    if (!backupPath.isEmpty())
        lines << QStringLiteral("Copia del database prima dell'importazione: %1").arg(backupPath);
    if (imported()) {
        lines << QString() << QStringLiteral("Righe per tabella:");
        for (const TableCount &t : tables) {
            if (t.missing)
                lines << QStringLiteral("  %1: assente nell'archivio, saltata").arg(t.table);
            else
                lines << QStringLiteral("  %1: %2 lette, %3 importate").arg(t.table).arg(t.read).arg(t.taken);
        }
    }
    if (!notes.empty()) {
        lines << QString() << QStringLiteral("Righe da controllare:");
        for (const RowNote &n : notes) {
            const QString where = n.key.isEmpty() ? QStringLiteral("%1, riga %2").arg(n.table).arg(n.row)
                                                  : QStringLiteral("%1, riga %2 (%3)").arg(n.table).arg(n.row).arg(n.key);
            lines << QStringLiteral("  %1: %2; %3").arg(where, n.reason,
                                                        n.taken ? QStringLiteral("la riga è importata")
                                                                : QStringLiteral("la riga non è importata"));
        }
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace legacy
