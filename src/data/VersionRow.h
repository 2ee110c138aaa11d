#pragma once
#include <QString>

class Connection;

// The program's version row (accounts_dep.ver): the build stamp of the newest
// program that has worked with the database, and the decimal separator the
// database's SQL texts use.
namespace VersionRow {

struct State {
    qint64 date = 0; // the stamp in the row after the claim
    qint64 time = 0;
    QString delimiter;
    // The database has been claimed by a newer build than this one.
    bool newerBuildInDatabase = false;
};

// Reads the row and, when this build is newer, claims it: a database without
// a row gets one (with the point as separator); an older stamp is raised only
// if nobody claimed a newer one meanwhile. Then reads the stamp again.
State Claim(Connection &db, int buildDate, int buildTime);

} // namespace VersionRow
