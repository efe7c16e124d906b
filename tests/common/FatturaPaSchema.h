#pragma once

#include <QProcess>
#include <QString>

// xmllint's verdict on an electronic invoice file against the tax agency's
// published schema (tests/einvoice/data): empty when the file is valid.
inline QString fatturaPaSchemaErrors(const QString &file)
{
    const QString xsd = qEnvironmentVariable("TARVO_SOURCE_DIR")
        + QStringLiteral("/tests/einvoice/data/Schema_del_file_xml_FatturaPA_v1.2.2.xsd");
    QProcess lint;
    lint.start(QStringLiteral("xmllint"), {QStringLiteral("--nonet"), QStringLiteral("--noout"),
                                           QStringLiteral("--schema"), xsd, file});
    if (!lint.waitForFinished(60000))
        return QStringLiteral("xmllint non risponde");
    if (lint.exitStatus() != QProcess::NormalExit || lint.exitCode() != 0)
        return QString::fromUtf8(lint.readAllStandardError());
    return {};
}
