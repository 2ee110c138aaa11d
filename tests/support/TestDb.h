#pragma once
#include "data/Connection.h"

#include <QString>
#include <QVariant>

// Test databases on the private cluster the CTest fixture started. Each test
// program works in its own database cloned from the schema template.
namespace TestDb {

// Loopback address of the test cluster.
QString server();
// Name of this test program's database.
QString databaseName();
// Creates the program's data module (once), recreates this program's database
// from the template and connects the data module to it. Call from init().
void fresh();
// A second, independent connection to this program's database (another
// client); the caller owns it.
Connection *otherClient(const QString &name);
// Runs admin SQL (superuser-free) in this program's database through the
// data module's connection, throwing on error.
void exec(const QString &sql, const SqlParams &params = {});
QVariant scalar(const QString &sql, const SqlParams &params = {});
// Path of a file in the source tree.
QString sourcePath(const QString &rel);
// Loads a SQL script into this program's database with psql, as the
// cluster's superuser.
void loadScript(const QString &path);

} // namespace TestDb
