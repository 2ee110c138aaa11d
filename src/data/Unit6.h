#pragma once
#include "data/CheckedWrite.h"
#include "data/Command.h"
#include "data/Connection.h"
#include "data/Dataset.h"

#include <QObject>

// The shared data module: the one connection and the datasets and scratch
// objects several windows share.
class TDataModule6 : public QObject {
    Q_OBJECT
public:
    explicit TDataModule6(QObject *parent = nullptr);
    ~TDataModule6() override;

    Connection ADO_DB;

    // The four shift journals of one date (parameters data, ok).
    Dataset Smena1, Smena2, Smena3, Smena4;
    // Reference lists.
    Dataset Workers, Izdel, Oper, Vid_oper;
    // Timesheet by shift (parameters mnth, yea, date1, date2).
    Dataset H_Tabel_1, H_Tabel_2, H_Tabel_3;

    // Scratch query: callers set a statement, open, read, close.
    Dataset Control;
    // Scratch commands.
    Command DelSmena, H_Tabel_ins, SQL_exec, Oper_ins, Oper_ed;
    Command Oper_del; // "delete from accounts_dep.oper where id=:id"

    // Decimal separator of the database; refreshed by every version check.
    QString DecimalDelimiter;

    // Runs sql (a query returning an integer column cnt) through Control;
    // when cnt > 0 shows message (caption "Ошибка") and returns true.
    bool CheckDuplicate(const QString &sql, const QString &message, const SqlParams &params = {});
    // The duplicate-checked write (see CheckedWrite) that tells the user:
    // on a duplicate shows message (caption "Ошибка") after the transaction
    // has ended and returns false; true when written.
    bool CheckedWrite(const QString &lockKey, const QString &countSql, const SqlParams &params,
                      const QString &message, const std::function<void()> &write);
    // Replaces the first "," (else the first ".") of text by DecimalDelimiter.
    QString ApplyDecimalDelimiter(const QString &text) const;

    // The acceptance mark of entries the journals never list (their :ok).
    static QString HiddenMark() { return QStringLiteral("ta"); }

    // The journal dataset of a shift: 2, 3, 4 -> Smena2..4, anything else Smena1.
    Dataset &journal(int shift);

    static QString smenaSql(int shift);
    static QString hTabelSql(int shift);
};

extern TDataModule6 *DataModule6;

// Connection strings of the program.
QString ConnectionString(const QString &database, const QString &server);
QString DefaultConnectionString();
// The program's choice from its command-line arguments (1 database, 2 server).
QString ConnectionStringFromArgs(const QStringList &args);
extern const char *const kDefaultServer;
